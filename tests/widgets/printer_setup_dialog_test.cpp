// The printer set-up dialog on a scheduler of the test's own: papers by their Japanese names,
// the chosen printer's own paper, and the printer changed only by OK.
#include "widgets/printer_setup_dialog.h"

#include "printing/paper.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QComboBox>
#include <QPrinter>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(PrinterSetupDialog, AnotherPrinterBringsItsOwnPaperAndOnlyOkWritesTheChoice) {
    testing::PrivateScheduler cups(QStringLiteral("PlainQueue"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    ASSERT_TRUE(cups.addQueue(QStringLiteral("CardQueue")));
    ASSERT_EQ(
        testing::runProgram(QStringLiteral("lpadmin"),
                            {QStringLiteral("-p"), QStringLiteral("CardQueue"),
                             QStringLiteral("-o"), QStringLiteral("PageSize=Custom.100x148mm")})
            .exitCode,
        0);

    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "キャンセル");
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(QStringLiteral("PlainQueue"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        widgets::PrinterSetupDialog dialog(printer);
        EXPECT_EQ(dialog.printers().currentText(), QStringLiteral("PlainQueue"));
        EXPECT_EQ(dialog.papers().currentText(), QStringLiteral("A4 210 × 297 mm"));
        EXPECT_GE(dialog.papers().findText(QStringLiteral("封筒 DL 110 × 220 mm")), 0);

        // Both queues offer A4; the postcard queue's own paper must win over the one shown.
        dialog.printers().setCurrentText(QStringLiteral("CardQueue"));
        EXPECT_EQ(dialog.papers().itemText(0), QStringLiteral("はがき 100 × 148 mm"));
        EXPECT_EQ(dialog.papers().currentIndex(), 0);

        ok ? dialog.accept() : dialog.reject();
        EXPECT_EQ(printer.printerName(),
                  ok ? QStringLiteral("CardQueue") : QStringLiteral("PlainQueue"));
        EXPECT_EQ(printing::isPostcardPage(printer.pageLayout()), ok);
    }
}

} // namespace
} // namespace rinova
