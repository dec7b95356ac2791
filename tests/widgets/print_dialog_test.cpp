// The real print dialog, as the print command shows it: what it lets the user choose.
#include "widgets/prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A job prints every card it is given: no page range, current page, selection or page set, and
// the job goes to a printer, never to a file.
TEST(PrintDialog, OffersNoPageRangeCurrentPageSelectionOrFile) {
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock"); // none of the machine's printers
    const QStringList pageChoices = {"printAll",
                                     "printRange",
                                     "pagesRadioButton",
                                     "pagesLineEdit",
                                     "printSelection",
                                     "printCurrentPage",
                                     "from",
                                     "to",
                                     "pageSetCombo"};
    QStringList found, offered;
    int printerItems = -1;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            if (b->text().contains(QStringLiteral(">>"))) b->click(); // unfold the options
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

    EXPECT_EQ(found, pageChoices) << "the dialog has these controls, so looking by name works";
    EXPECT_TRUE(offered.isEmpty()) << qPrintable(offered.join(u' '));
    EXPECT_EQ(printerItems, 0) << "no entry for printing to a file";
}

} // namespace
