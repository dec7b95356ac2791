// The calibration window as a user meets it: the shifts typed for the current printer are kept
// for it and move the ink of the window's prints and test sheets on that printer's paper.
#include "app/calibration_window.h"
#include "app/main_window.h"
#include "printing/paper.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "widgets/address_grid_view.h"

#include <QDoubleSpinBox>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(CalibrationWindow, ShiftsTypedForThePrinterMoveItsPrintsAndTestSheets) {
    testing::PrivateScheduler cups(QStringLiteral("CalQueue"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    ASSERT_EQ(testing::runProgram(u"lpadmin"_qs,
                                  {u"-p"_qs, cups.queue(), u"-o"_qs, u"PageSize=Custom.283x420"_qs})
                  .exitCode,
              0);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    testing::ScriptedPrompts prompts;
    app::MainWindow form(ini);
    form.startUp();
    form.importAddressFile(QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv"));
    form.grid().setCurrentRow(2);

    // Where the test sheet's cross at (10, 10) mm lands, looked for around `near`, and the
    // middle of the card's ink below its postal code, in mm.
    auto printBoth = [&](QPointF near) {
        prompts.printDialogAnswers = {true, true};
        form.printTestSheet();
        form.printSelection();
        const QStringList pdfs = cups.printedPdfs();
        EXPECT_GE(pdfs.size(), 2);
        const QImage card = testing::pdfPage(pdfs.last(), 1, 254);
        return std::pair{testing::pdfInkCentreMm(pdfs[pdfs.size() - 2], 1,
                                                 QRectF(near - QPointF(4, 4), QSizeF(8, 8))),
                         QRectF(testing::inkBox(card, QRect(0, 220, card.width(), 1260)))
                                 .adjusted(0, 0, 1, 1)
                                 .center() /
                             10};
    };
    const auto [crossBefore, cardBefore] = printBoth({10, 10});
    ASSERT_TRUE(crossBefore);
    EXPECT_NEAR(crossBefore->x(), 10, 0.05);
    EXPECT_NEAR(crossBefore->y(), 10, 0.05);

    // Typed into the window: the card 2.5 mm right and 1.5 mm down; the postal code more.
    form.showCalibrationWindow();
    app::CalibrationWindow& window = form.calibrationWindow();
    EXPECT_EQ(window.printer(), cups.queue());
    const double typed[4] = {2.5, -1.5, 0.4, 0.3};
    for (std::size_t i = 0; i < 4; ++i)
        window.spins()[i]->setValue(typed[i]);
    EXPECT_EQ(form.settings().calibration(cups.queue()), (settings::Calibration{25, -15, 4, 3}));
    EXPECT_NE(testing::readBytes(ini).find("[Calibration:CalQueue]"), std::string::npos);

    const auto [crossAfter, cardAfter] = printBoth({12.5, 11.5});
    ASSERT_TRUE(crossAfter);
    EXPECT_NEAR(crossAfter->x(), 12.5, 0.05);
    EXPECT_NEAR(crossAfter->y(), 11.5, 0.05);
    EXPECT_NEAR(cardAfter.x() - cardBefore.x(), 2.5, 0.15);
    EXPECT_NEAR(cardAfter.y() - cardBefore.y(), 1.5, 0.15);
    EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front().toStdString();
}

} // namespace
} // namespace rinova
