#include "tests/support/test_support.h"

#include "text/cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace rinova::testing {

std::string sjis(const char16_t* text) {
    return text::fromUnicode(QStringView(text));
}

std::string readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void writeBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

CliRun runProgram(const QString& program, const QStringList& args, int limitMs) {
    QProcess p;
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(limitMs)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

CliRun runCli(const QStringList& args) {
    return runProgram(QStringLiteral(RINOVA_BINARY_DIR "/cli/rinova-cli"), args);
}

ScriptedPrompts::ScriptedPrompts() {
    widgets::Prompts::install(this);
}
ScriptedPrompts::~ScriptedPrompts() {
    widgets::Prompts::install(nullptr);
}

namespace {

// The next scripted answer, taken from the front; `otherwise` when none is left.
template <class T> T next(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T a = std::move(answers.front());
    answers.pop_front();
    return a;
}

} // namespace

bool ScriptedPrompts::confirm(const QString& text) {
    questions.push_back(text);
    return next(confirmAnswers, false);
}

std::optional<widgets::AddressFileChoice>
ScriptedPrompts::openAddressFile(const QString& initialFolder, addresses::FileFormat offered) {
    lastOpenFolder = initialFolder;
    lastOfferedFormat = offered;
    if (openAnswers.empty()) return std::nullopt;
    const QString a = next(openAnswers, {});
    const addresses::FileFormat format = next(openFormats, offered);
    if (a.isEmpty()) return std::nullopt;
    return widgets::AddressFileChoice{a, format};
}

bool ScriptedPrompts::printDialog(QPrinter& printer) {
    if (onPrintDialog) onPrintDialog(printer);
    return next(printDialogAnswers, false);
}

bool ScriptedPrompts::printerSetup(QPrinter& printer) {
    if (onSetup) onSetup(printer);
    return next(setupAnswers, false);
}

bool ScriptedPrompts::goOnWithPaper(const QString& text) {
    paperNotices.push_back(text);
    return next(paperAnswers, true);
}

std::optional<QString> ScriptedPrompts::savePdfFile(const QString& suggested) {
    lastSaveSuggestion = suggested;
    if (saveAnswers.empty() || saveAnswers.front().isEmpty()) return std::nullopt;
    const QString a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

widgets::SaveChoice ScriptedPrompts::askToSaveChanges(const QString& text) {
    questions.push_back(text);
    return next(saveChangesAnswers, widgets::SaveChoice::Cancel);
}

std::optional<widgets::AddressFileChoice>
ScriptedPrompts::saveAddressFile(const QString& suggested, addresses::FileFormat format) {
    lastSaveSuggestion = suggested;
    lastOfferedFormat = format;
    if (listSaveAnswers.empty()) return std::nullopt;
    return next(listSaveAnswers, {});
}

std::optional<addresses::ListLayout>
ScriptedPrompts::mapColumns(const addresses::HeaderQuestion& q) {
    columnQuestions.push_back(q);
    if (columnAnswers.empty()) return std::nullopt;
    return next(columnAnswers, {});
}

XWalk::XWalk(const char* name)
    : program(work.filePath(QStringLiteral("program"))),
      shots(QStringLiteral(RINOVA_BINARY_DIR "/") + QLatin1String(name)) {
    for (const char* tool : {"xvfb-run", "Xvfb", "xauth", "xdotool", "import"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing = QLatin1String(tool) +
                      QStringLiteral(" is not installed (scripts/install-deps.sh installs it)");
    const QString rinova = QStringLiteral(RINOVA_BINARY_DIR "/app/rinova");
    if (!QFileInfo(rinova).isExecutable())
        missing = QStringLiteral("build the rinova target first");
    QDir(shots).removeRecursively();
    QDir().mkpath(program);
    QFile::copy(rinova, program + QStringLiteral("/rinova"));
}

int XWalk::run(const char* script, int limitMs) {
    QString log;
    const int code =
        runSession(QStringLiteral("xvfb-run"),
                   xvfbRun({QStringLiteral(RINOVA_SOURCE_DIR "/tests/app/") + QLatin1String(script),
                            program, shots}),
                   limitMs, &log);
    std::printf("%s", qPrintable(log));
    return code;
}

int runSession(const QString& program, const QStringList& args, int limitMs, QString* out) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setChildProcessModifier([] { ::setsid(); });
    p.start(program, args);
    if (!p.waitForStarted(10000)) return -1;
    const pid_t session = static_cast<pid_t>(p.processId());
    const bool finished = p.waitForFinished(limitMs);
    ::kill(-session, SIGTERM);
    if (!finished && !p.waitForFinished(3000)) {
        ::kill(-session, SIGKILL);
        p.waitForFinished(3000);
    }
    // What the session started may still be on its way out (an X server told to end).
    QElapsedTimer t;
    t.start();
    while (::kill(-session, 0) == 0 && t.elapsed() < 5000)
        QThread::msleep(50);
    if (::kill(-session, 0) == 0) ::kill(-session, SIGKILL);
    if (out) *out = QString::fromUtf8(p.readAll());
    if (!finished) return -2;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList xvfbRun(const QStringList& script) {
    return QStringList{QStringLiteral("-a"),
                       QStringLiteral("-n"),
                       QString::number(100 + ::getpid() % 800),
                       QStringLiteral("-s"),
                       QStringLiteral("-screen 0 1280x1024x24"),
                       QStringLiteral("bash")} +
           script;
}

} // namespace rinova::testing
