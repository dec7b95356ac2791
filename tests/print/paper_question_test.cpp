// The print command on paper other than postcards: the user is told which paper is set before
// the job starts, and chooses to go on or stop.
#include "app/print_command.h"
#include "print_helpers.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(PaperQuestion, AJobOnOtherPaperIsAnnouncedBeforeItStarts) {
    const struct {
        QPageSize paper;
        QPageLayout::Orientation orientation;
        std::deque<bool> answers;
        const char16_t* told; // empty: nothing said
        bool printed;
    } cases[] = {
        {QPageSize(QPageSize::A4), QPageLayout::Portrait, {false}, u"「A4 210 × 297 mm」", false},
        {QPageSize(QPageSize::A4), QPageLayout::Portrait, {true}, u"「A4 210 × 297 mm」", true},
        {QPageSize(QPageSize::Postcard),
         QPageLayout::Landscape,
         {false},
         u"「はがき 100 × 148 mm (横向き)」",
         false},
        {QPageSize(QPageSize::Postcard), QPageLayout::Portrait, {}, u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.paper.name()));
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("job.pdf"));
        testing::ScriptedPrompts prompts;
        prompts.printDialogAnswers = {true};
        prompts.paperAnswers = c.answers;
        app::PrintCommand job{[&] {
            auto printer = testing::pdfPrinter(out);
            printer->setPageSize(c.paper);
            printer->setPageOrientation(c.orientation);
            return printer;
        }};
        std::vector<size_t> toldWhenDrawn;
        job.print(2, 2, [&](surface::PrinterSurface& s, int) {
            toldWhenDrawn.push_back(prompts.paperNotices.size());
            s.canvas()->drawRect(10, 10, 100, 100);
        });

        const QString told = QString::fromUtf16(c.told);
        if (told.isEmpty()) {
            EXPECT_TRUE(prompts.paperNotices.empty());
        } else {
            ASSERT_EQ(prompts.paperNotices.size(), 1u);
            EXPECT_TRUE(prompts.paperNotices[0].contains(told))
                << qPrintable(prompts.paperNotices[0]);
            EXPECT_TRUE(prompts.paperNotices[0].endsWith(u"このまま印刷しますか？"_qs));
        }
        // Told before the first card, never during the job.
        EXPECT_EQ(toldWhenDrawn, c.printed ? std::vector<size_t>{prompts.paperNotices.size()}
                                           : std::vector<size_t>{});
        EXPECT_EQ(QFile::exists(out), c.printed);
        EXPECT_TRUE(prompts.errors.empty());
    }
}

} // namespace
} // namespace rinova
