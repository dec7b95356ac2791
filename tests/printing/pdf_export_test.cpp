// Saving cards as a PDF: a complete file replaces the old one, anything less leaves it alone.
#include "printing/pdf_export.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace rinova {
namespace {

using printing::JobEnd;

// A card with a mark 3 mm wide for every row number, so that pages differ.
drawing::CardPicture card(int row) {
    drawing::RectOp mark{100, -100, 100 + 30 * row, -400, drawing::kBlack, drawing::kBlack};
    return drawing::CardPicture{{mark}};
}

TEST(PdfExport, OnlyACompleteFileReplacesTheOldOneAndNothingIsLeftBehind) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("cards.pdf"));
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    ASSERT_TRUE(QFile::link(target, link));
    const std::string old = "an earlier export\n";
    printing::CardJob job;
    const struct {
        const char* what;
        std::function<JobEnd()> save;
        const char* said; // what the failure says; empty: stopped
    } failures[] = {
        {"a card cannot be drawn",
         [&] {
             return printing::writeCardPdf(job, link, 1, 5, [](int row) {
                 if (row == 3) throw text::Failure(QStringLiteral("描画できません"));
                 return card(row);
             });
         },
         "描画できません"},
        {"the disk is full",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit saved{};
             getrlimit(RLIMIT_FSIZE, &saved);
             rlimit full = saved;
             full.rlim_cur = 4096;
             setrlimit(RLIMIT_FSIZE, &full);
             JobEnd end = JobEnd::Completed;
             try {
                 end = printing::writeCardPdf(job, link, 1, 200, card);
             } catch (...) {
                 setrlimit(RLIMIT_FSIZE, &saved);
                 throw;
             }
             setrlimit(RLIMIT_FSIZE, &saved);
             return end;
         },
         "ディスクがいっぱいかもしれません"},
        {"stopped after 6 cards",
         [&] {
             return printing::writeCardPdf(job, link, 1, 50, card, [&](int done, int) {
                 if (done == 6) job.stop();
             });
         },
         ""},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.what);
        testing::writeBytes(target, old);
        std::string said;
        JobEnd end = JobEnd::Completed;
        try {
            end = f.save();
        } catch (const text::Failure& e) {
            said = e.message().toStdString();
        }
        EXPECT_NE(said.find(f.said), std::string::npos) << said;
        EXPECT_EQ(end == JobEnd::Stopped, !*f.said);
        EXPECT_EQ(testing::readBytes(target), old);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // Written through the link, which stays a link.
    EXPECT_EQ(printing::writeCardPdf(job, link, 3, 402, card), JobEnd::Completed);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testing::pdfPageCount(target), 400);
    // Every page is the card, 100 x 148 mm to the thousandth of a point that pdfinfo shows; the
    // file is long enough to be read in several blocks.
    EXPECT_GT(QFileInfo(target).size(), 200 << 10);
    const QList<QSizeF> sizes = testing::pdfPageSizesPt(target);
    ASSERT_EQ(sizes.size(), 400);
    for (const QSizeF& size : sizes) {
        EXPECT_NEAR(size.width(), 100 / 25.4 * 72, 0.001);
        EXPECT_NEAR(size.height(), 148 / 25.4 * 72, 0.001);
    }
    // At 254 dpi a page is 1000 x 1480 pixels, and page 1 holds row 3's mark where the card
    // has it: from (10 mm, 10 mm), 9 mm wide and 30 mm high.
    const QImage first = testing::pdfPage(target, 1, 254);
    EXPECT_EQ(first.size(), QSize(1000, 1480));
    const QRect mark = testing::inkBox(first);
    EXPECT_NEAR(mark.left(), 100, 1);
    EXPECT_NEAR(mark.top(), 100, 1);
    EXPECT_NEAR(mark.width(), 90, 2);
    EXPECT_NEAR(mark.height(), 300, 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

} // namespace
} // namespace rinova
