// Helpers shared by the test suites.
#pragma once

#include "widgets/prompts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace rinova::testing {

// Shift-JIS bytes of a UTF-16 literal.
std::string sjis(const char16_t* text);

// Whole file as bytes; "" when it cannot be read.
std::string readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);

// One run of a program, its output and errors apart; exit code -1 when it crashed, could not
// start or did not finish within the limit. It inherits this process's environment.
struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};
CliRun runProgram(const QString& program, const QStringList& args, int limitMs = 120000);
// The built rinova-cli.
CliRun runCli(const QStringList& args);

// Runs a program in a session of its own and ends the whole session (an X server and the program
// under test with it) once it is over or out of time, so nothing is left behind. The exit code;
// -1 when it crashed, -2 when it ran out of time. Both output channels go to *out when given.
int runSession(const QString& program, const QStringList& args, int limitMs,
               QString* out = nullptr);

// xvfb-run's arguments for a screen of its own with this script. Two runs started at once each
// look for a free display from a number of their own: from the same number, both took it and one
// X server failed to start.
QStringList xvfbRun(const QStringList& script);

// A walk of the real program with real X events: a folder holding a copy of the built rinova,
// and the folder its screenshots go to (build/NAME). `missing` names what the machine lacks
// for it (an X tool, the built program); empty when it can run.
struct XWalk {
    explicit XWalk(const char* name);
    // Runs tests/app/SCRIPT under xvfb-run with the program's folder and the screenshot folder,
    // prints its lines and returns its exit code.
    int run(const char* script, int limitMs);

    QTemporaryDir work;
    QString program, shots, missing;
};

// widgets::Prompts that answer from queues and record what was shown. Installed while it lives.
class ScriptedPrompts : public widgets::Prompts {
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    std::vector<QString> errors, messages, questions;
    std::deque<bool> confirmAnswers;                   // empty: "いいえ"
    std::deque<QString> openAnswers;                   // none left, or an empty name: cancel
    std::deque<addresses::FileFormat> openFormats;     // none left: the type offered
    std::deque<bool> printDialogAnswers, setupAnswers; // empty: cancel
    std::function<void(QPrinter&)> onPrintDialog, onSetup;
    std::vector<QString> paperNotices;
    std::deque<bool> paperAnswers;   // empty: go on
    std::deque<QString> saveAnswers; // none left, or an empty name: cancel
    QString lastSaveSuggestion;
    std::deque<widgets::SaveChoice> saveChangesAnswers;     // empty: キャンセル
    std::deque<widgets::AddressFileChoice> listSaveAnswers; // none left: cancel
    std::vector<addresses::HeaderQuestion> columnQuestions;
    std::deque<addresses::ListLayout> columnAnswers; // none left: cancel

    void error(const QString& text) override { errors.push_back(text); }
    void message(const QString& text) override { messages.push_back(text); }
    bool confirm(const QString& text) override;
    std::optional<widgets::AddressFileChoice>
    openAddressFile(const QString& initialFolder, addresses::FileFormat offered) override;
    bool printDialog(QPrinter& printer) override;
    bool printerSetup(QPrinter& printer) override;
    bool goOnWithPaper(const QString& text) override;
    std::optional<QString> savePdfFile(const QString& suggested) override;
    widgets::SaveChoice askToSaveChanges(const QString& text) override;
    std::optional<widgets::AddressFileChoice>
    saveAddressFile(const QString& suggested, addresses::FileFormat format) override;
    std::optional<addresses::ListLayout> mapColumns(const addresses::HeaderQuestion& q) override;

    QString lastOpenFolder;
    addresses::FileFormat lastOfferedFormat = addresses::FileFormat::Plain;
};

} // namespace rinova::testing

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
