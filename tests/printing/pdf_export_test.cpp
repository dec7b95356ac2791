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
    EXPECT_EQ(printing::writeCardPdf(job, link, 3, 7, card), JobEnd::Completed);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testing::pdfPageCount(target), 5);
    EXPECT_NEAR(testing::pdfPageSizePt(target).width(), 283.465, 0.001);
    EXPECT_NEAR(testing::pdfPageSizePt(target).height(), 419.528, 0.001);
    // Page 1 holds row 3's mark, 9 mm wide: 90 pixels at 254 dpi.
    EXPECT_NEAR(testing::inkBox(testing::pdfPage(target, 1, 254)).width(), 90, 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

} // namespace
} // namespace rinova
