// Every question and message the program puts to the user goes through this one interface, so
// tests can answer dialogs and read messages without a screen.
#pragma once

#include "addresses/address_grid.h"
#include "addresses/sheet_csv.h"
#include "text/failure.h"

#include <QString>
#include <QStringList>
#include <exception>
#include <optional>

class QPrinter;
class QWidget;

namespace rinova::widgets {

// The file chosen in the address file dialog and the type it was opened as.
struct AddressFileChoice {
    QString path;
    addresses::FileFormat format = addresses::FileFormat::Plain;
};

// The answer to the question before unsaved changes would be lost.
enum class SaveChoice { Save, Discard, Cancel };

// The open dialog's file types, in the order of addresses::FileFormat.
QStringList addressFileFilters();

class Prompts {
public:
    virtual ~Prompts() = default;

    // The error box: error icon, one OK button. The text is shown as given (see errorBoxText).
    virtual void error(const QString& text) = 0;
    // A plain message: no icon, one OK button.
    virtual void message(const QString& text) = 0;
    // The question box captioned "確認": true only for "はい(&Y)".
    virtual bool confirm(const QString& text) = 0;
    // The address file dialog with `format` as its chosen file type; nothing when cancelled.
    virtual std::optional<AddressFileChoice> openAddressFile(const QString& initialFolder,
                                                             addresses::FileFormat format) = 0;
    // The print dialog and the printer set-up dialog on the given printer; false on cancel.
    virtual bool printDialog(QPrinter& printer) = 0;
    virtual bool printerSetup(QPrinter& printer) = 0;
    // Told before a job on paper other than postcards (the text says which paper is set);
    // true to go on. By default the question box.
    virtual bool goOnWithPaper(const QString& text) { return confirm(text); }
    // The dialog that names the PDF to save, opening on `suggested` (folder and name); nothing
    // when cancelled.
    virtual std::optional<QString> savePdfFile(const QString& suggested) {
        (void)suggested;
        return std::nullopt;
    }

    // Asked before unsaved changes to the list are lost: 保存 / 保存しない / キャンセル; Escape
    // cancels.
    virtual SaveChoice askToSaveChanges(const QString& text) {
        (void)text;
        return SaveChoice::Cancel;
    }
    // The dialog that names the address file to save, opening on `suggested` with `format` as
    // its file type; nothing when cancelled.
    virtual std::optional<AddressFileChoice> saveAddressFile(const QString& suggested,
                                                             addresses::FileFormat format) {
        (void)suggested;
        (void)format;
        return std::nullopt;
    }

    // How the fields under a header row not fully understood fill the columns
    // (ColumnMapDialog); nothing when cancelled, and the titles are read as they are.
    virtual std::optional<addresses::ListLayout> mapColumns(const addresses::HeaderQuestion& q) {
        (void)q;
        return std::nullopt;
    }

    // The prompts in force; the real dialogs unless a test installed its own.
    static Prompts& current();
    static void install(Prompts* prompts); // nullptr restores the real dialogs
};

// The application title: the executable's file name up to its first ".", every character after
// the first in lower case.
QString applicationTitle(const QString& executablePath);
// The title that captions message boxes; set once at start-up.
void setMessageCaption(const QString& caption);
QString messageCaption();

// A "." is appended when the message's last character sorts above ".".
QString errorBoxText(const QString& message);

// Shows a failure in the error box.
void showFailure(const QString& message);

// Runs a handler so that no exception ever reaches the toolkit: a failure ends the handler and
// is shown in the error box. Returns false when the handler failed.
template <class F> bool guarded(F&& handler) {
    try {
        handler();
        return true;
    } catch (const text::Failure& f) {
        showFailure(f.message());
    } catch (const std::bad_alloc&) {
        showFailure(QStringLiteral("メモリが不足しています"));
    } catch (const std::exception& e) {
        showFailure(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace rinova::widgets
