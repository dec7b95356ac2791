#include "widgets/prompts.h"

#include "widgets/column_map_dialog.h"

#include "widgets/file_dialogs.h"
#include "widgets/printer_setup_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace rinova::widgets {
namespace {

QWidget* activeParent() {
    return QApplication::activeWindow();
}

// A message box. Before the main window is shown it has no parent and is centred on the
// primary screen; that waits for the box being shown, as only then does it take its final size.
class Box : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (parentWidget()) return;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect s = screen->geometry();
            const QSize outer = frameGeometry().size();
            move(s.x() + s.width() / 2 - outer.width() / 2,
                 s.y() + s.height() / 2 - outer.height() / 2);
        }
    }
};

// A job prints every card it is given, so the print dialog offers no page range, current page,
// selection or page set. The toolkit's dialog shows its range box again each time it is shown
// while the print service could select pages itself, so the box is hidden after that.
class CardPrintDialog : public QPrintDialog {
public:
    using QPrintDialog::QPrintDialog;

    void setVisible(bool visible) override {
        QPrintDialog::setVisible(visible);
        if (!visible) return;
        if (auto* range = findChild<QWidget*>(QStringLiteral("gbPrintRange"))) range->hide();
    }
};

// The question box captioned "確認": true only for "はい(&Y)"; Escape answers "いいえ(&N)".
bool askYesNo(QMessageBox::Icon icon, const QString& text, bool yesByDefault) {
    Box box(icon, QStringLiteral("確認"), text, QMessageBox::NoButton, activeParent());
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

class QtPrompts : public Prompts {
public:
    void error(const QString& text) override {
        Box box(QMessageBox::Critical, messageCaption(), text, QMessageBox::Ok, activeParent());
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
    }

    void message(const QString& text) override {
        Box box(QMessageBox::NoIcon, messageCaption(), text, QMessageBox::Ok, activeParent());
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
    }

    bool confirm(const QString& text) override {
        return askYesNo(QMessageBox::Question, text, true);
    }

    std::optional<AddressFileChoice> openAddressFile(const QString& initialFolder,
                                                     addresses::FileFormat format) override {
        // The dialog keeps the last chosen file name from one use to the next.
        QFileDialog dialog(activeParent());
        dialog.setFileMode(QFileDialog::AnyFile); // a typed name need not exist
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setOption(QFileDialog::ReadOnly, false);
        const QStringList filters = addressFileFilters();
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(static_cast<int>(format), filters.front()));
        useJapaneseColumns(dialog);
        dialog.setDirectory(initialFolder);
        if (!lastName_.isEmpty()) dialog.selectFile(lastName_);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().constFirst();
        lastName_ = QFileInfo(chosen).fileName();
        const qsizetype type = filters.indexOf(dialog.selectedNameFilter());
        return AddressFileChoice{QFileInfo(chosen).absoluteFilePath(),
                                 static_cast<addresses::FileFormat>(std::max<qsizetype>(type, 0))};
    }

    bool printDialog(QPrinter& printer) override {
        CardPrintDialog dialog(&printer, activeParent());
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        return dialog.exec() == QDialog::Accepted;
    }

    // Chooses printer, paper and orientation for later jobs; prints nothing.
    bool printerSetup(QPrinter& printer) override {
        PrinterSetupDialog dialog(printer, activeParent());
        return dialog.exec() == QDialog::Accepted;
    }

    bool goOnWithPaper(const QString& text) override {
        // Going on by habit would waste cards.
        return askYesNo(QMessageBox::Warning, text, false);
    }

    std::optional<QString> savePdfFile(const QString& suggested) override {
        return askPdfFile(activeParent(), suggested);
    }

    SaveChoice askToSaveChanges(const QString& text) override {
        Box box(QMessageBox::Warning, messageCaption(), text, QMessageBox::NoButton,
                activeParent());
        QPushButton* save = box.addButton(QStringLiteral("保存(&S)"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("保存しない(&N)"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save) return SaveChoice::Save;
        if (box.clickedButton() == discard) return SaveChoice::Discard;
        return SaveChoice::Cancel;
    }

    std::optional<AddressFileChoice> saveAddressFile(const QString& suggested,
                                                     addresses::FileFormat format) override {
        QFileDialog dialog(activeParent(), QStringLiteral("名前を付けて保存"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        QStringList filters = addressFileFilters();
        filters << QStringLiteral("Unicode テキスト（UTF-16） (*.txt)");
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(static_cast<int>(format), filters.front()));
        useJapaneseColumns(dialog);
        const QFileInfo start(suggested);
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const qsizetype type = filters.indexOf(dialog.selectedNameFilter());
        return AddressFileChoice{QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath(),
                                 static_cast<addresses::FileFormat>(std::max<qsizetype>(type, 0))};
    }

    std::optional<addresses::ListLayout> mapColumns(const addresses::HeaderQuestion& q) override {
        ColumnMapDialog dialog(q, activeParent());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.layout();
    }

private:
    QString lastName_;
};

Prompts* installed = nullptr;
QString caption;

} // namespace

QStringList addressFileFilters() {
    return {QStringLiteral("CSVﾌｧｲﾙ (*.csv *CSV)"),
            QStringLiteral("表計算ソフトの CSV（Shift-JIS） (*.csv)"),
            QStringLiteral("表計算ソフトの CSV（UTF-8） (*.csv)")};
}

Prompts& Prompts::current() {
    static QtPrompts real;
    return installed ? *installed : real;
}

void Prompts::install(Prompts* prompts) {
    installed = prompts;
}

QString applicationTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
    return name;
}

void setMessageCaption(const QString& c) {
    caption = c;
}

QString messageCaption() {
    return caption.isEmpty() ? applicationTitle(QCoreApplication::applicationFilePath()) : caption;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.') return message + u'.';
    return message;
}

void showFailure(const QString& message) {
    Prompts::current().error(errorBoxText(message));
}

} // namespace rinova::widgets
