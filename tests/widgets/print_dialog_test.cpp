// The real print dialog, as the print command shows it: what it lets the user choose.
#include "widgets/prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A job prints every card it is given: the dialog must not offer to print only some pages, and
// the job goes to a printer, never to a file.
TEST(PrintDialog, OffersNoPageRangeCurrentPageSelectionOrFile) {
    // No printers of the machine's: a print service that is not there.
    QTemporaryDir dir;
    qputenv("CUPS_SERVER", dir.filePath(QStringLiteral("none.sock")).toLocal8Bit());

    const QStringList pageChoices = {QStringLiteral("printAll"),
                                     QStringLiteral("printRange"),
                                     QStringLiteral("pagesRadioButton"),
                                     QStringLiteral("pagesLineEdit"),
                                     QStringLiteral("printSelection"),
                                     QStringLiteral("printCurrentPage"),
                                     QStringLiteral("from"),
                                     QStringLiteral("to"),
                                     QStringLiteral("pageSetCombo")};
    QStringList found, offered;
    int printerItems = -1;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = true;
        // Everything the dialog has, its options unfolded.
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            if (b->text().contains(QStringLiteral(">>"))) b->click();
        for (const QString& name : pageChoices)
            if (QWidget* w = dialog->findChild<QWidget*>(name)) {
                found << name;
                if (w->isVisibleTo(dialog)) offered << name;
            }
        if (auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers")))
            printerItems = printers->count();
        dialog->reject();
    });
    QPrinter printer(QPrinter::HighResolution);
    EXPECT_FALSE(rinova::widgets::Prompts::current().printDialog(printer));

    ASSERT_TRUE(shown);
    // The dialog still has these controls (so a check by name means something) ...
    EXPECT_EQ(found, pageChoices);
    // ... and shows none of them.
    EXPECT_TRUE(offered.isEmpty()) << qPrintable(offered.join(u' '));
    // No entry for printing to a file beside the printers (there are none here).
    EXPECT_EQ(printerItems, 0);
    EXPECT_TRUE(QPrinterInfo::availablePrinterNames().isEmpty());
}

} // namespace
