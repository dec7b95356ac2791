#include "widgets/prompts.h"

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
        Box box(QMessageBox::Question, QStringLiteral("確認"), text, QMessageBox::NoButton,
                activeParent());
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    std::optional<QString> openAddressFile(const QString& initialFolder) override {
        // The dialog keeps the last chosen file name from one use to the next.
        QFileDialog dialog(activeParent());
        dialog.setFileMode(QFileDialog::AnyFile); // a typed name need not exist
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setOption(QFileDialog::ReadOnly, false);
        dialog.setNameFilter(QStringLiteral("CSVﾌｧｲﾙ (*.csv *CSV)"));
        dialog.setDirectory(initialFolder);
        if (!lastName_.isEmpty()) dialog.selectFile(lastName_);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().constFirst();
        lastName_ = QFileInfo(chosen).fileName();
        return QFileInfo(chosen).absoluteFilePath();
    }

    bool printDialog(QPrinter& printer) override {
        QPrintDialog dialog(&printer, activeParent());
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        return dialog.exec() == QDialog::Accepted;
    }

    // Chooses printer, paper and orientation for later jobs; prints nothing.
    bool printerSetup(QPrinter& printer) override {
        QDialog dialog(activeParent());
        dialog.setWindowTitle(QStringLiteral("プリンタの設定"));
        auto* printers = new QComboBox;
        printers->addItems(QPrinterInfo::availablePrinterNames());
        printers->setCurrentIndex(std::max(0, printers->findText(printer.printerName())));
        auto* papers = new QComboBox;
        auto* portrait = new QRadioButton(QStringLiteral("縦(&O)"));
        auto* landscape = new QRadioButton(QStringLiteral("横(&A)"));
        (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape : portrait)
            ->setChecked(true);

        // The paper list is the chosen printer's; the current paper stays chosen when the
        // printer has it, else the printer's default.
        auto fillPapers = [&](const QString& name, const QPageSize& keep) {
            const QPrinterInfo info = QPrinterInfo::printerInfo(name);
            papers->clear();
            for (const QPageSize& size : info.supportedPageSizes())
                papers->addItem(size.name(), QVariant::fromValue(size));
            int at = -1;
            for (int i = 0; i < papers->count() && at < 0; ++i)
                if (papers->itemData(i).value<QPageSize>().isEquivalentTo(keep)) at = i;
            for (int i = 0; i < papers->count() && at < 0; ++i)
                if (papers->itemData(i).value<QPageSize>().isEquivalentTo(info.defaultPageSize()))
                    at = i;
            papers->setCurrentIndex(std::max(at, papers->count() > 0 ? 0 : -1));
        };
        fillPapers(printers->currentText(), printer.pageLayout().pageSize());
        QObject::connect(printers, &QComboBox::currentTextChanged, &dialog, [&](const QString& n) {
            fillPapers(n, papers->currentData().value<QPageSize>());
        });

        auto* printerBox = new QGroupBox(QStringLiteral("プリンタ"));
        auto* printerForm = new QFormLayout(printerBox);
        printerForm->addRow(QStringLiteral("プリンタ名(&N):"), printers);
        auto* paperBox = new QGroupBox(QStringLiteral("用紙"));
        auto* paperForm = new QFormLayout(paperBox);
        paperForm->addRow(QStringLiteral("サイズ(&Z):"), papers);
        auto* orientationBox = new QGroupBox(QStringLiteral("印刷の向き"));
        auto* orientationLayout = new QVBoxLayout(orientationBox);
        orientationLayout->addWidget(portrait);
        orientationLayout->addWidget(landscape);
        auto* buttons = new QDialogButtonBox;
        buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        auto* below = new QHBoxLayout;
        below->addWidget(paperBox, 1);
        below->addWidget(orientationBox);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(printerBox);
        layout->addLayout(below);
        layout->addWidget(buttons);

        if (dialog.exec() != QDialog::Accepted) return false;
        if (printers->count() > 0) printer.setPrinterName(printers->currentText());
        if (papers->currentIndex() >= 0)
            printer.setPageSize(papers->currentData().value<QPageSize>());
        printer.setPageOrientation(landscape->isChecked() ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait);
        return true;
    }

private:
    QString lastName_;
};

Prompts* installed = nullptr;
QString caption;

} // namespace

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
