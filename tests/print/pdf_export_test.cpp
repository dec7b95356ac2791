// Saving cards as a PDF: complete files replace the old one, anything less leaves it alone.
#include "print_helpers.h"
#include "surface/pdf_export.h"
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

using surface::JobEnd;

// A card with a numbered mark, so that pages differ.
surface::CardPicture card(int row) {
    surface::CardPicture picture;
    surface::RectOp mark;
    mark.x1 = 100;
    mark.y1 = -100;
    mark.x2 = 100 + 30 * row;
    mark.y2 = -400;
    mark.fill = surface::kBlack;
    picture.ops.push_back(mark);
    return picture;
}

// Files can grow no further than `bytes` while it lives, as on a full disk.
struct FileSizeLimit {
    rlimit saved{};
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};

class PdfExport : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("cards.pdf"));
    const std::string old = "an earlier export\n";

    QStringList leftovers() const {
        return QDir(dir.path()).entryList({QStringLiteral("*.part")}, QDir::Files);
    }
};

TEST_F(PdfExport, ACompleteFileReplacesTheOldOneThroughALink) {
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    testing::writeBytes(target, old);
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(surface::writeCardPdf(link, 3, 7, card), JobEnd::Completed);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testing::pdfPageCount(target), 5);
    EXPECT_EQ(testing::pdfPageSizePt(target), QSizeF(284, 420));
    // Page 1 holds row 3's mark: 9 mm wide at 10 pixels a millimetre.
    EXPECT_NEAR(testing::inkBox(testing::pdfPage(target, 1, 254)).width(), 90, 2);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(PdfExport, AFailedOrStoppedSaveLeavesTheOldFileAndNothingElse) {
    const struct {
        const char* what;
        std::function<JobEnd(const QString&)> save;
        const char16_t* message; // empty: stopped, nothing thrown
    } cases[] = {
        {"drawing fails",
         [](const QString& to) {
             return surface::writeCardPdf(to, 1, 5, [](int row) {
                 if (row == 3) throw text::Failure(QStringLiteral("描画できません"));
                 return card(row);
             });
         },
         u"描画できません"},
        {"disk full",
         [](const QString& to) {
             FileSizeLimit full(4096);
             return surface::writeCardPdf(to, 1, 200, card);
         },
         u"ディスクの空きを確かめてください"},
        {"stopped",
         [](const QString& to) {
             return surface::writeCardPdf(to, 1, 50, card, [](int done, int) { return done < 7; });
         },
         u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeBytes(target, old);
        QString message;
        JobEnd end = JobEnd::Completed;
        try {
            end = c.save(target);
        } catch (const text::Failure& f) {
            message = f.message();
        }
        if (*c.message)
            EXPECT_TRUE(message.contains(QString::fromUtf16(c.message))) << qPrintable(message);
        else
            EXPECT_EQ(end, JobEnd::Stopped);
        EXPECT_EQ(testing::readBytes(target), old);
        EXPECT_TRUE(leftovers().isEmpty()) << qPrintable(leftovers().join(u' '));
    }
    // A folder that is not there names the file it could not save.
    const QString nowhere = dir.filePath(QStringLiteral("missing/cards.pdf"));
    try {
        surface::writeCardPdf(nowhere, 1, 1, card);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const text::Failure& f) {
        EXPECT_TRUE(f.message().startsWith(u"PDF を "_qs + nowhere + u" に保存できません"_qs));
    }
}

} // namespace
} // namespace rinova
