// Printing through a real print scheduler of the test's own: rows of an address file go
// through the print command, the default printer and the real renderer, and the PDF that comes
// out of the queue is measured with poppler.
#include "addresses/address_grid.h"
#include "app/print_command.h"
#include "card/card_inputs.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace rinova {
namespace {

using testing::inkBox;

constexpr int kDpi = 300;
constexpr double kPxPerMm = kDpi / 25.4;
const int kCardW = static_cast<int>(100 * kPxPerMm);
const int kCardH = static_cast<int>(148 * kPxPerMm);
const double kTolerancePx = 0.3 * kPxPerMm;

// The band of the recipient postal code (drawn 12.2 mm from the top, 7 mm high), and the
// window around digit i (boxes from 45.5 mm, a gap after the third digit).
QRect postalBand() {
    return QRect(QPoint(int(38 * kPxPerMm), int(10 * kPxPerMm)),
                 QPoint(int(92 * kPxPerMm), int(22 * kPxPerMm)));
}
QRect digitWindow(int i) {
    const double x = (i < 3 ? 45.5 + 7 * i : 38.5 + 7 * i) - 1;
    return QRect(QPoint(int(x * kPxPerMm), int(10 * kPxPerMm)),
                 QPoint(int((x + 7) * kPxPerMm), int(22 * kPxPerMm)));
}

class PrintE2E : public ::testing::Test {
protected:
    void SetUp() override {
        RINOVA_REQUIRE_SCHEDULER(cups);
        ASSERT_TRUE(work.isValid());
        grid.importContent(testing::readBytes(
            QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv")));
        settings =
            std::make_unique<settings::SettingsModel>(work.filePath(QStringLiteral("none.ini")));
        settings->loadWithoutWriting();
    }

    card::CardInputs inputs(int row) const {
        return card::inputsForRow(grid, row, *settings, card::Target::Printer);
    }
    static std::unique_ptr<QPrinter> queuePrinter(const QString& name) {
        return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name),
                                          QPrinter::HighResolution);
    }

    testing::PrivateScheduler cups{QStringLiteral("RinovaE2E")};
    QTemporaryDir work;
    addresses::AddressGrid grid;
    std::unique_ptr<settings::SettingsModel> settings;
};

TEST_F(PrintE2E, RowsThreeToSevenLandOnTheDefaultQueueOneCardPerPageInRowOrder) {
    testing::ScriptedPrompts prompts;
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    printing::CardJob cardJob;
    app::PrintCommand job(cardJob); // on the default printer: the scheduler's one queue
    job.print(7, 3, [this](printing::PrinterSurface& s, int row) {
        s.playCard(card::renderCard(inputs(row)));
    });
    EXPECT_EQ(prompts.questions.at(0), QStringLiteral("用紙枚数は5枚です。印刷しますね。"));
    EXPECT_TRUE(prompts.errors.empty());

    const QStringList pdfs = cups.printedPdfs();
    ASSERT_EQ(pdfs.size(), 1) << "one job, one PDF out of the queue";
    ASSERT_EQ(testing::pdfPageCount(pdfs[0]), 5);

    std::map<int, QImage> refs;
    for (int row = 3; row <= 7; ++row)
        refs[row] = testing::cardImage(card::renderCard(inputs(row)), kPxPerMm);

    const QRect card(0, 0, kCardW, kCardH);
    for (int page = 1; page <= 5; ++page) {
        SCOPED_TRACE(page);
        const int row = page + 2;
        const QImage img = testing::pdfPage(pdfs[0], page, kDpi);
        ASSERT_FALSE(img.isNull());
        ASSERT_GE(img.width(), kCardW);
        ASSERT_GE(img.height(), kCardH);

        // All ink within the card from the sheet's corner.
        const QRect ink = inkBox(img);
        ASSERT_FALSE(ink.isNull());
        EXPECT_GE(ink.left(), card.left() - kTolerancePx);
        EXPECT_GE(ink.top(), card.top() - kTolerancePx);
        EXPECT_LE(ink.right(), card.right() + kTolerancePx);
        EXPECT_LE(ink.bottom(), card.bottom() + kTolerancePx);

        // No guide (red) and no background frame along the card's edges.
        EXPECT_EQ(testing::countPixels(img, testing::isGuideRed), 0);
        const int edge = int(kPxPerMm);
        EXPECT_TRUE(inkBox(img, QRect(0, 0, kCardW, edge)).isNull());
        EXPECT_TRUE(inkBox(img, QRect(0, 0, edge, kCardH)).isNull());
        EXPECT_TRUE(inkBox(img, QRect(kCardW - edge, 0, 2 * edge, kCardH)).isNull());
        EXPECT_TRUE(inkBox(img, QRect(0, kCardH - edge, kCardW, 2 * edge)).isNull());

        // The postal code's digits where the renderer put them.
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE(i);
            const QRect want = inkBox(refs[row], digitWindow(i));
            const QRect got = inkBox(img, digitWindow(i));
            ASSERT_FALSE(want.isNull());
            ASSERT_FALSE(got.isNull());
            EXPECT_NEAR(got.left(), want.left(), kTolerancePx);
            EXPECT_NEAR(got.right(), want.right(), kTolerancePx);
            EXPECT_NEAR(got.top(), want.top(), kTolerancePx);
            EXPECT_NEAR(got.bottom(), want.bottom(), kTolerancePx);
        }

        // The page's postal code is its row's and no other's.
        int best = 0, bestDiff = INT_MAX;
        for (const auto& [r, ref] : refs) {
            const int d = testing::darkDifference(img, ref, postalBand());
            if (d < bestDiff) best = r, bestDiff = d;
        }
        EXPECT_EQ(best, row);
    }
}

TEST_F(PrintE2E, QueueThatRefusesJobsIsReported) {
    ASSERT_EQ(testing::runProgram(QStringLiteral("cupsreject"), {cups.queue()}).exitCode, 0);
    testing::ScriptedPrompts prompts;
    prompts.printDialogAnswers = {true};
    printing::CardJob cardJob;
    app::PrintCommand job(cardJob, [this] { return queuePrinter(cups.queue()); });
    int drawn = 0;
    widgets::guarded([&] { job.print(2, 2, [&](printing::PrinterSurface&, int) { ++drawn; }); });
    EXPECT_EQ(drawn, 1);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(prompts.errors[0].startsWith(QStringLiteral("印刷に失敗しました: ")))
        << qPrintable(prompts.errors[0]);
    EXPECT_FALSE(cardJob.running());
    EXPECT_TRUE(cups.printedPdfs().isEmpty());
}

TEST_F(PrintE2E, QueueRemovedAfterItWasChosenIsInvalid) {
    const QString gone = QStringLiteral("RinovaGone");
    ASSERT_TRUE(cups.addQueue(gone));
    printing::PrinterSurface s([&] { return queuePrinter(gone); });
    ASSERT_EQ(s.printer().printerName(), gone);
    ASSERT_TRUE(cups.removeQueue(gone));
    QString m;
    try {
        s.beginDoc();
    } catch (const rinova::text::Failure& f) {
        m = f.message();
    }
    EXPECT_EQ(m, QStringLiteral("選択したプリンタは有効ではありません"));
    EXPECT_FALSE(s.documentOpen());
}

} // namespace
} // namespace rinova
