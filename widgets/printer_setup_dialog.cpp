#include "widgets/printer_setup_dialog.h"

#include "printing/paper.h"
#include "printing/printer_surface.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace rinova::widgets {

PrinterSetupDialog::PrinterSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer) {
    setWindowTitle(QStringLiteral("プリンタの設定"));
    printers_ = new QComboBox;
    printers_->setObjectName(QStringLiteral("printers"));
    printers_->addItems(QPrinterInfo::availablePrinterNames());
    printers_->setCurrentIndex(std::max(0, printers_->findText(printer.printerName())));
    papers_ = new QComboBox;
    papers_->setObjectName(QStringLiteral("papers"));
    papers_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    portrait_ = new QRadioButton(QStringLiteral("縦(&O)"));
    landscape_ = new QRadioButton(QStringLiteral("横(&A)"));
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? landscape_ : portrait_)
        ->setChecked(true);
    properties_ = new QPushButton(QStringLiteral("プロパティ(&P)..."));
    properties_->setObjectName(QStringLiteral("properties"));

    fillPapers(printer.pageLayout().pageSize());
    // Another printer comes with the paper its owner set for it, as a postcard printer should.
    connect(printers_, &QComboBox::currentTextChanged, this, [this] { fillPapers(QPageSize()); });
    connect(properties_, &QPushButton::clicked, this, &PrinterSetupDialog::showProperties);

    auto* printerBox = new QGroupBox(QStringLiteral("プリンタ"));
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(printers_, 1);
    printerRow->addWidget(properties_);
    auto* printerForm = new QFormLayout(printerBox);
    auto* printerLabel = new QLabel(QStringLiteral("プリンタ名(&N):"));
    printerLabel->setBuddy(printers_);
    printerForm->addRow(printerLabel, printerRow);
    auto* paperBox = new QGroupBox(QStringLiteral("用紙"));
    auto* paperForm = new QFormLayout(paperBox);
    paperForm->addRow(QStringLiteral("サイズ(&Z):"), papers_);
    auto* orientationBox = new QGroupBox(QStringLiteral("印刷の向き"));
    auto* orientationLayout = new QVBoxLayout(orientationBox);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* below = new QHBoxLayout;
    below->addWidget(paperBox, 1);
    below->addWidget(orientationBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerBox);
    layout->addLayout(below);
    layout->addWidget(buttons);
}

void PrinterSetupDialog::fillPapers(const QPageSize& keep) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(printers_->currentText());
    papers_->clear();
    for (const QPageSize& size : printing::papersForList(info.supportedPageSizes()))
        papers_->addItem(printing::paperLabel(size), QVariant::fromValue(size));
    int at = -1;
    for (const QPageSize& wanted : {keep, info.defaultPageSize()})
        for (int i = 0; i < papers_->count() && at < 0; ++i)
            if (papers_->itemData(i).value<QPageSize>().isEquivalentTo(wanted)) at = i;
    papers_->setCurrentIndex(std::max(at, papers_->count() > 0 ? 0 : -1));
}

void PrinterSetupDialog::applyTo(QPrinter& printer) const {
    if (printers_->count() > 0) printer.setPrinterName(printers_->currentText());
    if (papers_->currentIndex() >= 0)
        printer.setPageSize(papers_->currentData().value<QPageSize>());
    printer.setPageOrientation(landscape_->isChecked() ? QPageLayout::Landscape
                                                       : QPageLayout::Portrait);
}

void PrinterSetupDialog::showProperties() {
    // The properties work on a copy; OK in this dialog keeps what they chose.
    std::unique_ptr<QPrinter> work = printing::clonePrinter(printer_);
    applyTo(*work);
    bool chosen = false;
    {
        // The toolkit's print dialog holds the printer's own properties dialog behind its
        // properties button; the print dialog itself is never shown, and accepting it is what
        // writes the properties into the printer.
        QPrintDialog print(work.get(), this);
        auto* button = print.findChild<QPushButton*>(QStringLiteral("properties"));
        if (button) {
            button->click();
            for (QDialog* shown : print.findChildren<QDialog*>())
                if (shown->result() == QDialog::Accepted) chosen = true;
            if (chosen) print.accept();
        } else {
            QPageSetupDialog setup(work.get(), this);
            chosen = setup.exec() == QDialog::Accepted;
        }
    }
    if (!chosen) return;
    printing::copyPrinterSettings(*work, printer_);
    (work->pageLayout().orientation() == QPageLayout::Landscape ? landscape_ : portrait_)
        ->setChecked(true);
    fillPapers(work->pageLayout().pageSize());
}

void PrinterSetupDialog::accept() {
    applyTo(printer_);
    QDialog::accept();
}

} // namespace rinova::widgets
