// What rinova-cli's exports do to the files they write and to standard output when things go
// wrong: full disks, read-only files, links, their own input, rows that are not there, and
// file names that are not UTF-8.
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Outcome {
    int code = -1;
    QByteArray out;
    QString err;
};

struct How {
    QString lang = QStringLiteral("C.UTF-8");
    QString stdoutFile;
    rlim_t sizeLimit = 0; // largest file the run may write, 0 for no limit
};

// A shell command in `folder`; arguments of rinova-cli are written as printf escapes, so that
// names need not be UTF-8.
Outcome sh(const QString& folder, const QString& command, const How& how = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), how.lang);
    env.insert(QStringLiteral("LC_ALL"), how.lang);
    // Only the program's own messages, none of the toolkit's about the environment.
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.warning=false"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    if (!how.stdoutFile.isEmpty()) p.setStandardOutputFile(how.stdoutFile);
    if (const rlim_t limit = how.sizeLimit)
        p.setChildProcessModifier([limit] {
            const rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
            signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the run
        });
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    Outcome r;
    if (!p.waitForFinished(120000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A word of a shell command that stands for these bytes.
QString word(const QByteArray& bytes) {
    QString w = QStringLiteral("\"$(printf '");
    for (const char c : bytes)
        w += QStringLiteral("\\%1").arg(uint(uchar(c)), 3, 8, QLatin1Char('0'));
    return w + QStringLiteral("')\"");
}

QString cliCommand(const QList<QByteArray>& args) {
    QString command = QStringLiteral(RINOVA_BINARY_DIR "/cli/rinova-cli");
    for (const QByteArray& a : args)
        command += u' ' + word(a);
    return command;
}

QByteArray sjis(const char16_t* text) {
    return QByteArray::fromStdString(rinova::testing::sjis(text));
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        put("addresses.csv", sjis(u"山田太郎,花子,123-4567,東京都架空区見本町1-2-3,,\r\n"
                                  u"佐藤一郎,,5400008,大阪府架空市中央区,,\r\n"
                                  u"高橋健,高橋由美,980-0011,宮城県架空市青葉区,,\r\n"));
    }
    // The toolkit cannot remove names that are not UTF-8.
    void TearDown() override { sh({}, QStringLiteral("rm -rf ") + dir.path()); }

    Outcome cli(const QList<QByteArray>& args, const How& how = {}) {
        return sh(dir.path(), cliCommand(args), how);
    }
    QByteArray at(const QByteArray& name) const {
        return QFile::encodeName(dir.path()) + '/' + name;
    }
    void put(const QByteArray& name, const QByteArray& bytes, mode_t mode = 0644) {
        QFile f(QFile::decodeName(at(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        ::chmod(at(name).constData(), mode);
    }
    // What a name holds: its kind and mode, and the bytes it reads as.
    std::string state(const QByteArray& name) const {
        struct stat st {};
        if (::lstat(at(name).constData(), &st) != 0) return "absent";
        return QByteArray::number(st.st_mode, 8).toStdString() + ' ' +
               sh(dir.path(), QStringLiteral("cat ") + word(name)).out.toStdString();
    }
    std::string listing(const QString& sub = {}) const {
        return sh(dir.path() + sub, QStringLiteral("ls -A")).out.toStdString();
    }

    QTemporaryDir dir;
    const QByteArray previous = "the previous export";

    // One export per command, writing `target`.
    static QList<QList<QByteArray>> exports(const QByteArray& target) {
        return {{"pdf", "addresses.csv", "--settings", "none.ini", "-o", target},
                {"png", "addresses.csv", "--row", "1", "--width", "400", "--settings", "none.ini",
                 "-o", target}};
    }
};

// A write that fails for want of room leaves the previous file as it was and nothing beside it.
TEST_F(Export, FailedWriteKeepsThePreviousFileAndLeavesNothingBehind) {
    // A full file system of its own, when this machine lets the test mount one.
    ASSERT_EQ(::mkdir(at("full").constData(), 0755), 0);
    const bool mounted = ::mount("tmpfs", at("full").constData(), "tmpfs", 0, "size=1m") == 0;
    if (!mounted)
        std::fprintf(stderr, "no tmpfs here (%s): the size limit only\n", strerror(errno));
    const struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount(path.constData()); }
    } unmount{at("full")};
    if (mounted) {
        put("full/old.out", previous);
        sh(dir.path(), QStringLiteral("cat /dev/zero > full/filler"));
    }

    for (const auto& [target, limit] : {std::pair<QByteArray, rlim_t>{"old.out", 4096},
                                        std::pair<QByteArray, rlim_t>{"full/old.out", 0}}) {
        if (!limit && !mounted) continue;
        for (const QList<QByteArray>& args : exports(target)) {
            SCOPED_TRACE((target + ' ' + args[0]).toStdString());
            if (limit) put(target, previous);
            const std::string before = listing(QStringLiteral("/full"));
            How how;
            how.sizeLimit = limit;
            const Outcome r = cli(args, how);
            EXPECT_EQ(r.code, 1);
            EXPECT_TRUE(
                r.err.startsWith(QString::fromUtf8(target) + QStringLiteral(" に書き込めません (")))
                << qPrintable(r.err);
            EXPECT_EQ(state(target), "100644 " + previous.toStdString());
            EXPECT_EQ(listing(QStringLiteral("/full")), before);
            EXPECT_EQ(listing(), "addresses.csv\nfull\nold.out\n");
        }
    }
}

// Never over what the export reads, nor over a read-only file (the superuser included), nor
// over what is not a file: the target is left untouched.
TEST_F(Export, RefusesItsOwnInputsReadOnlyFilesAndNonFiles) {
    put("none.ini", "[SET]\r\n");
    put("readonly.out", previous, 0444);
    ASSERT_EQ(::symlink("addresses.csv", at("link.csv").constData()), 0);
    ASSERT_EQ(::link(at("addresses.csv").constData(), at("second.csv").constData()), 0);
    ASSERT_EQ(::mkdir(at("folder").constData(), 0755), 0);
    const QString input = QStringLiteral(" は読み込むファイルなので上書きできません\n");
    const std::pair<QByteArray, QString> cases[] = {
        {"addresses.csv", input},
        {"link.csv", input},
        {"second.csv", input},
        {"none.ini", input},
        {"readonly.out", QStringLiteral(" は読み取り専用なので書き込めません\n")},
        {"folder", QStringLiteral(" はファイルではないので書き込めません\n")},
    };
    for (const auto& [target, said] : cases)
        for (const QList<QByteArray>& args : exports(target)) {
            SCOPED_TRACE((target + ' ' + args[0]).toStdString());
            const std::string before = state(target), all = listing();
            const Outcome r = cli(args);
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.err.toStdString(), (QString::fromUtf8(target) + said).toStdString());
            EXPECT_EQ(state(target), before);
            EXPECT_EQ(listing(), all);
        }
}

// Through a link the file it names is replaced and the link stays; a replaced file keeps its
// permissions, a new one gets those of any new file; in a folder that takes no new file the file
// is written in place.
TEST_F(Export, ReplacesThroughLinksAndKeepsPermissions) {
    ASSERT_EQ(::symlink("real.out", at("out.link").constData()), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const QList<QByteArray>& args : exports("out.link") + exports("new.out")) {
        SCOPED_TRACE((args[0] + ' ' + args.back()).toStdString());
        put("real.out", previous, 0640);
        ::unlink(at("new.out").constData());
        ASSERT_EQ(cli(args).code, 0);
        const QString made =
            QString::fromStdString(state(args.back() == "new.out" ? "new.out" : "real.out"));
        const mode_t mode = args.back() == "new.out" ? 0666 & ~mask : 0640;
        EXPECT_TRUE(made.startsWith(QString::number(S_IFREG | mode, 8) + u' ')) << qPrintable(made);
        EXPECT_TRUE(made.contains(QStringLiteral("PDF")) || made.contains(QStringLiteral("PNG")));
        EXPECT_EQ(state("out.link").substr(0, 7), "120777 ");
    }
    EXPECT_EQ(listing(), "addresses.csv\nnew.out\nout.link\nreal.out\n");

    // A folder that takes no new file: the file itself is written in place, the same file.
    ASSERT_EQ(::mkdir(at("locked").constData(), 0755), 0);
    for (const QList<QByteArray>& args : exports("locked/old.out")) {
        SCOPED_TRACE(args[0].toStdString());
        put("locked/old.out", previous);
        struct stat before {
        }, after{};
        ::stat(at("locked/old.out").constData(), &before);
        ::chmod(at("locked").constData(), 0555);
        const Outcome r = cli(args);
        ::chmod(at("locked").constData(), 0755);
        EXPECT_EQ(r.code, 0) << qPrintable(r.err);
        ::stat(at("locked/old.out").constData(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_NE(state("locked/old.out").find(args[0] == "pdf" ? "%PDF" : "PNG"),
                  std::string::npos);
        EXPECT_EQ(listing(QStringLiteral("/locked")), "old.out\n");
    }
}

// Every valid name is written, up to the longest one a folder takes: the hidden temporary name
// beside it is never what fails.
TEST_F(Export, NamesUpToTheLongestAFolderTakesAreWritten) {
    for (const int length : {244, 250, 255})
        for (const QList<QByteArray>& args : exports(QByteArray(length - 4, 'x') + ".out")) {
            SCOPED_TRACE(std::to_string(length) + ' ' + args[0].toStdString());
            const Outcome r = cli(args);
            EXPECT_EQ(r.code, 0) << qPrintable(r.err);
            EXPECT_EQ(listing(), "addresses.csv\n" + args.back().toStdString() + '\n');
            ::unlink(at(args.back()).constData());
        }
}

// A run ended by a signal that it can catch removes its temporary file, beside the export or, for
// a print, in the temporary folder; one killed outright leaves it to the next write to that
// folder, which removes it.
TEST_F(Export, InterruptedRunsLeaveNoTemporaryFiles) {
    QByteArray many;
    for (int i = 0; i < 20000; ++i)
        many += sjis(u"山田太郎,花子,123-4567,東京都架空区見本町1-2-3,,\r\n");
    put("many.csv", many);
    const QString tmp = dir.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkdir(tmp));
    const auto made = [](const QString& folder) {
        return QDir(folder)
            .entryList(QDir::Files | QDir::Hidden)
            .filter(QRegularExpression(QStringLiteral("^\\.")))
            .join(u' ')
            .toStdString();
    };
    // Starts the run, waits for its temporary file, then ends the run with the signal.
    const auto interrupt = [&](const QStringList& args, const QString& folder, int signal) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), tmp);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(RINOVA_BINARY_DIR "/cli/rinova-cli"), args);
        QElapsedTimer clock;
        clock.start();
        while (made(folder).empty() && p.state() != QProcess::NotRunning && clock.elapsed() < 60000)
            QThread::msleep(5);
        const std::string during = made(folder);
        ::kill(static_cast<pid_t>(p.processId()), signal);
        p.waitForFinished(60000);
        EXPECT_NE(during, "") << "no temporary file seen";
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << "the run ended before the signal";
        return made(folder);
    };
    const QStringList pdf = {QStringLiteral("pdf"),        QStringLiteral("many.csv"),
                             QStringLiteral("--settings"), QStringLiteral("none.ini"),
                             QStringLiteral("-o"),         QStringLiteral("out.pdf")};
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        EXPECT_EQ(interrupt(pdf, dir.path(), signal), "");
    }
    EXPECT_NE(interrupt(pdf, dir.path(), SIGKILL), "");
    EXPECT_EQ(cli(exports("other.png")[1]).code, 0);
    EXPECT_EQ(made(dir.path()), "");
    EXPECT_EQ(listing(), "addresses.csv\nmany.csv\nother.png\ntmp\n");

    rinova::testing::PrivateScheduler scheduler;
    if (!scheduler.running()) {
        std::fprintf(stderr, "no print scheduler here: %s\n", qPrintable(scheduler.reason()));
        return;
    }
    const QStringList print = {QStringLiteral("print"), QStringLiteral("many.csv"),
                               QStringLiteral("--settings"), QStringLiteral("none.ini")};
    EXPECT_EQ(interrupt(print, tmp, SIGTERM), "");
}

// Standard output that takes nothing, or is closed, is a failure; a row past the end is refused by
// every command that takes rows, with the same words and exit code, and nothing is written.
TEST_F(Export, FullStandardOutputAndRowsPastTheEndAreRefused) {
    How full;
    full.stdoutFile = QStringLiteral("/dev/full");
    const QString noRoom = QStringLiteral("標準出力に書き込めません (ディスクがいっぱいです)\n");
    const QString noRow = QStringLiteral("行 4 はありません (この住所録は 3 行です)\n");
    const struct {
        QList<QByteArray> args;
        How how;
        int code;
        QString said;
    } cases[] = {
        {{"grid", "addresses.csv"}, full, 1, noRoom},
        {{"grid", "addresses.csv", "--stats"}, full, 1, noRoom},
        {{"card", "addresses.csv", "--row", "1"}, full, 1, noRoom},
        {{"card", "addresses.csv", "--row", "4"}, {}, 2, noRow},
        {{"png", "addresses.csv", "--row", "4", "--width", "100", "-o", "x.png"}, {}, 2, noRow},
        {{"pdf", "addresses.csv", "--rows", "2-4", "-o", "x.pdf"}, {}, 2, noRow},
    };
    for (const auto& c : cases) {
        const Outcome r = cli(c.args, c.how);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').data();
        EXPECT_EQ(r.err.toStdString(), c.said.toStdString()) << c.args.join(' ').data();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // A closed standard output is said in Japanese, and nothing lands in a file opened later.
    const Outcome closed = sh(dir.path(), cliCommand({"grid", "addresses.csv"}) + " >&-");
    EXPECT_EQ(closed.code, 1);
    EXPECT_EQ(closed.err.toStdString(), "標準出力に書き込めません (ファイルが開かれていません)\n");
    EXPECT_EQ(listing(), "addresses.csv\n");
}

// Names are bytes: Shift-JIS names copied from another machine open and are written whatever
// the locale, and messages show them readably.
TEST_F(Export, ShiftJisFileNamesOpenAndReadWellInMessages) {
    ASSERT_EQ(::rename(at("addresses.csv").constData(), at(sjis(u"住所.csv")).constData()), 0);
    ASSERT_EQ(::mkdir(at(sjis(u"出力")).constData(), 0755), 0);
    const QByteArray pdf = sjis(u"出力") + '/' + sjis(u"葉書.pdf");
    for (const QString& lang : {QStringLiteral("C.UTF-8"), QStringLiteral("C")}) {
        SCOPED_TRACE(lang.toStdString());
        How how;
        how.lang = lang;
        Outcome r = cli({"grid", sjis(u"住所.csv"), "--stats"}, how);
        EXPECT_TRUE(r.out.startsWith("{\"rows\":3,")) << qPrintable(r.err);

        ::unlink(at(pdf).constData());
        r = cli({"pdf", sjis(u"住所.csv"), "-o", pdf}, how);
        EXPECT_EQ(r.code, 0) << qPrintable(r.err);
        EXPECT_NE(state(pdf).find("%PDF"), std::string::npos);

        r = cli({"card", sjis(u"無い.csv"), "--row", "1"}, how);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.endsWith(QStringLiteral("/無い.csv は開けません\n")))
            << qPrintable(r.err);
    }
}

} // namespace
