// The print and printer set-up commands, with dialogs answered by script and a fake card
// drawing that records which row went on which page.
#include "app/print_command.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace rinova {
namespace {

using app::PrintCommand;
using printing::PrinterSurface;
using testing::ScriptedPrompts;

struct Drawn {
    int row;
    int page;
    bool onCanvas;
    bool operator==(const Drawn&) const = default;
};

class PrintCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString out = dir.filePath(QStringLiteral("job.pdf"));
    ScriptedPrompts prompts;
    printing::CardJob cardJob;
    PrintCommand job{cardJob, [this] { return testing::pdfPrinter(out); }};
    std::vector<Drawn> drawn;

    PrintCommand::DrawRow recorder() {
        return [this](PrinterSurface& s, int row) {
            drawn.push_back({row, s.pageNumber(), s.isCanvas(s.canvas())});
            s.canvas()->drawRect(100, 100, 50 * row, 50);
        };
    }
    std::vector<int> rowsDrawn() const {
        std::vector<int> rows;
        for (const Drawn& d : drawn)
            rows.push_back(d.row);
        return rows;
    }
};

TEST_F(PrintCommandTest, RangeIsConfirmedWithTheSheetCountAndPrintsOneCardPerPage) {
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    job.print(3, 7, recorder());

    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], QStringLiteral("用紙枚数は5枚です。印刷しますね。"));
    const std::vector<Drawn> expected{
        {3, 1, true}, {4, 2, true}, {5, 3, true}, {6, 4, true}, {7, 5, true}};
    EXPECT_EQ(drawn, expected);
    EXPECT_FALSE(cardJob.running());
    // No page is started after the last card.
    EXPECT_EQ(testing::pdfPageCount(out), 5);
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(PrintCommandTest, RangeSelectedUpwardsPrintsInAscendingOrder) {
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    job.print(12, 9, recorder());
    EXPECT_EQ(prompts.questions.at(0), QStringLiteral("用紙枚数は4枚です。印刷しますね。"));
    EXPECT_EQ(rowsDrawn(), (std::vector<int>{9, 10, 11, 12}));
    EXPECT_EQ(testing::pdfPageCount(out), 4);
}

TEST_F(PrintCommandTest, SingleRowAsksNothingAndPrintsOnePage) {
    bool dialogShown = false;
    prompts.onPrintDialog = [&](QPrinter&) { dialogShown = true; };
    prompts.printDialogAnswers = {true};
    job.print(2, 2, recorder());
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(drawn, (std::vector<Drawn>{{2, 1, true}}));
    EXPECT_EQ(testing::pdfPageCount(out), 1);
}

TEST_F(PrintCommandTest, RowsMarkedNotToPrintArePassedOverAndCountedInTheQuestion) {
    const struct {
        int first, last;
        std::vector<int> off, printed;
        QString told; // the question, or the message when nothing prints
    } cases[] = {
        {2,
         6,
         {3, 5},
         {2, 4, 6},
         u"用紙枚数は3枚です。印刷しますね。「印刷しない」の 2 行は印刷しません。"_qs},
        {2,
         4,
         {2},
         {3, 4},
         u"用紙枚数は2枚です。印刷しますね。「印刷しない」の 1 行は印刷しません。"_qs},
        {2, 3, {2, 3}, {}, u"印刷する行がありません（選んだ行はどれも「印刷しない」です）"_qs},
    };
    for (const auto& c : cases) {
        drawn.clear();
        prompts.questions.clear();
        prompts.messages.clear();
        prompts.confirmAnswers = {true};
        prompts.printDialogAnswers = {true};
        job.print(c.first, c.last, recorder(), {}, [&](int row) {
            return std::find(c.off.begin(), c.off.end(), row) == c.off.end();
        });
        EXPECT_EQ(rowsDrawn(), c.printed) << c.first;
        if (c.printed.empty()) {
            EXPECT_EQ(prompts.messages, std::vector<QString>{c.told});
            EXPECT_TRUE(prompts.questions.empty());
        } else {
            EXPECT_EQ(prompts.questions, std::vector<QString>{c.told});
            EXPECT_EQ(testing::pdfPageCount(out), static_cast<int>(c.printed.size()));
        }
    }
}

TEST_F(PrintCommandTest, AnsweringNoOrCancellingTheDialogPrintsNothing) {
    bool dialogShown = false;
    prompts.onPrintDialog = [&](QPrinter& p) {
        dialogShown = true;
        p.setCopyCount(4);
    };
    prompts.confirmAnswers = {false};
    job.print(1, 3, recorder());
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_FALSE(dialogShown);

    prompts.printDialogAnswers = {false};
    job.print(2, 2, recorder());
    EXPECT_TRUE(dialogShown);
    EXPECT_TRUE(drawn.empty());
    EXPECT_FALSE(QFile::exists(out));
    // A cancelled dialog leaves the current printer as it was.
    EXPECT_EQ(job.surface().printer().copyCount(), 1);
}

TEST_F(PrintCommandTest, DialogChoicesBecomeTheCurrentPrinter) {
    const QString other = dir.filePath(QStringLiteral("other.pdf"));
    prompts.onPrintDialog = [&](QPrinter& p) {
        p.setCopyCount(3);
        p.setOutputFileName(other);
    };
    prompts.printDialogAnswers = {true};
    job.print(1, 1, recorder());
    EXPECT_EQ(job.surface().printer().copyCount(), 3);
    EXPECT_EQ(testing::pdfPageCount(other), 1);
    EXPECT_FALSE(QFile::exists(out));

    // The next dialog opens on what was chosen.
    int copiesSeen = 0;
    prompts.onPrintDialog = [&](QPrinter& p) { copiesSeen = p.copyCount(); };
    job.print(1, 1, recorder());
    EXPECT_EQ(copiesSeen, 3);
}

TEST_F(PrintCommandTest, SetupOkMakesTheChoiceCurrentAndCancelKeepsTheOld) {
    prompts.onSetup = [](QPrinter& p) { p.setPageOrientation(QPageLayout::Landscape); };
    prompts.setupAnswers = {false};
    job.setUp();
    EXPECT_EQ(job.surface().printer().pageLayout().orientation(), QPageLayout::Portrait);

    prompts.setupAnswers = {true};
    job.setUp();
    EXPECT_EQ(job.surface().printer().pageLayout().orientation(), QPageLayout::Landscape);

    QPageLayout::Orientation seen = QPageLayout::Portrait;
    prompts.onPrintDialog = [&](QPrinter& p) { seen = p.pageLayout().orientation(); };
    job.print(1, 1, recorder());
    EXPECT_EQ(seen, QPageLayout::Landscape);
    EXPECT_FALSE(QFile::exists(out)); // the print dialog was cancelled
}

TEST_F(PrintCommandTest, PrintAndSetupConfirmedDuringAJobAreRefusedAndTheJobGoesOn) {
    const QString other = dir.filePath(QStringLiteral("other.pdf"));
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true, true};
    prompts.setupAnswers = {true};
    bool nestedRan = false;
    auto draw = [&](PrinterSurface& s, int row) {
        drawn.push_back({row, s.pageNumber(), s.isCanvas(s.canvas())});
        if (row != 4) return;
        // Menu commands arrive as events, handled between cards.
        QTimer::singleShot(0, [&] {
            nestedRan = true;
            prompts.onPrintDialog = [&](QPrinter& p) { p.setOutputFileName(other); };
            prompts.onSetup = [&](QPrinter& p) { p.setOutputFileName(other); };
            widgets::guarded([&] { job.print(1, 1, recorder()); });
            widgets::guarded([&] { job.setUp(); });
        });
    };
    job.print(3, 6, draw);

    EXPECT_TRUE(nestedRan);
    EXPECT_EQ(prompts.errors, (std::vector<QString>{QStringLiteral("現在印刷中です."),
                                                    QStringLiteral("現在印刷中です.")}));
    EXPECT_EQ(rowsDrawn(), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(testing::pdfPageCount(out), 4);
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_EQ(job.surface().printer().outputFileName(), out);
}

TEST_F(PrintCommandTest, FailureMidJobDropsItAndTheNextJobPrints) {
    prompts.confirmAnswers = {true, true};
    prompts.printDialogAnswers = {true, true};
    auto failing = [&](PrinterSurface& s, int row) {
        drawn.push_back({row, s.pageNumber(), true});
        if (row == 2) throw rinova::text::Failure(QStringLiteral("描画できません"));
    };
    EXPECT_FALSE(widgets::guarded([&] { job.print(1, 3, failing); }));
    EXPECT_EQ(prompts.errors, (std::vector<QString>{QStringLiteral("描画できません.")}));
    EXPECT_FALSE(cardJob.running());
    EXPECT_EQ(rowsDrawn(), (std::vector<int>{1, 2}));
    // The half job leaves no file behind that could pass for a print.
    EXPECT_FALSE(QFile::exists(out));

    drawn.clear();
    job.print(1, 3, recorder());
    EXPECT_EQ(rowsDrawn(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(testing::pdfPageCount(out), 3);
}

TEST(PrintCommandWithoutPrinter, BothCommandsSayThereIsNoDefaultPrinter) {
    ScriptedPrompts prompts;
    printing::CardJob cardJob;
    PrintCommand job{cardJob, [] { return std::unique_ptr<QPrinter>(); }};
    prompts.printDialogAnswers = {true};
    prompts.setupAnswers = {true};
    bool drew = false;
    EXPECT_FALSE(
        widgets::guarded([&] { job.print(1, 1, [&](PrinterSurface&, int) { drew = true; }); }));
    EXPECT_FALSE(widgets::guarded([&] { job.setUp(); }));
    EXPECT_FALSE(drew);
    EXPECT_EQ(prompts.errors,
              (std::vector<QString>{QStringLiteral("デフォルト プリンタが存在しません."),
                                    QStringLiteral("デフォルト プリンタが存在しません.")}));
    EXPECT_FALSE(cardJob.running());
}

TEST(PrintCommandWithoutPrinter, AJobThatCannotBeginIsReportedAndLeavesTheStateIdle) {
    ScriptedPrompts prompts;
    printing::CardJob cardJob;
    PrintCommand job{cardJob,
                     [] { return testing::pdfPrinter(QStringLiteral("/nonexistent-dir/x.pdf")); }};
    prompts.printDialogAnswers = {true};
    bool drew = false;
    EXPECT_FALSE(
        widgets::guarded([&] { job.print(1, 1, [&](PrinterSurface&, int) { drew = true; }); }));
    EXPECT_EQ(prompts.errors, (std::vector<QString>{QStringLiteral("印刷を開始できません.")}));
    EXPECT_FALSE(drew);
    EXPECT_FALSE(cardJob.running());
}

} // namespace
} // namespace rinova
