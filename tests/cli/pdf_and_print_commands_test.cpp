// `rinova-cli pdf` and `rinova-cli print` as a user runs them: pages, page size, where the
// cards land, and what bad arguments and unreadable files give.
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

const QString kAddresses = QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv");

// The exit code and the error text of one run.
struct Outcome {
    int code;
    QString err;
};
Outcome cli(const QStringList& args) {
    const testing::CliRun r = testing::runCli(args);
    return {r.exitCode, QString::fromUtf8(r.err)};
}

class PdfAndPrintCommands : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("none.ini"));
};

TEST_F(PdfAndPrintCommands, RowsBecomeCardSizedPagesWithTheCardFromTheCorner) {
    const QString out = dir.filePath(QStringLiteral("cards.pdf"));
    const Outcome r =
        cli({QStringLiteral("pdf"), kAddresses, QStringLiteral("--rows"), QStringLiteral("4-2"),
             QStringLiteral("--settings"), ini, QStringLiteral("-o"), out});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(testing::pdfPageCount(out), 3);
    // 100 x 148 mm, as pdfinfo shows it.
    EXPECT_EQ(testing::pdfPageSizesPt(out), QList<QSizeF>(3, QSizeF(283.465, 419.528)));
    for (int page = 1; page <= 3; ++page) {
        const QRect ink = testing::inkBox(testing::pdfPage(out, page, 254));
        ASSERT_FALSE(ink.isNull());
        // The postal code, the card's topmost ink, is set 12.2 mm from the card's top.
        EXPECT_NEAR(ink.top(), 122, 15);
        EXPECT_LE(ink.right(), 1000);
        EXPECT_LE(ink.bottom(), 1480);
    }
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.part")}, QDir::Files).size(), 0);

    // Without --rows every row of the file is exported.
    ASSERT_EQ(cli({QStringLiteral("pdf"), kAddresses, QStringLiteral("--settings"), ini,
                   QStringLiteral("-o"), out})
                  .code,
              0);
    EXPECT_EQ(testing::pdfPageCount(out), 8);
}

TEST_F(PdfAndPrintCommands, BadArgumentsAndUnreadableFilesAreSaidWithTheirExitCodes) {
    const QString out = dir.filePath(QStringLiteral("x.pdf"));
    EXPECT_EQ(cli({QStringLiteral("pdf"), kAddresses}).code, 2); // no -o
    EXPECT_EQ(cli({QStringLiteral("pdf"), kAddresses, QStringLiteral("--rows"),
                   QStringLiteral("0-3"), QStringLiteral("-o"), out})
                  .code,
              2);
    EXPECT_EQ(cli({QStringLiteral("pdf"), kAddresses, QStringLiteral("--rows"),
                   QStringLiteral("a-b"), QStringLiteral("-o"), out})
                  .code,
              2);
    const Outcome beyond = cli({QStringLiteral("pdf"), kAddresses, QStringLiteral("--rows"),
                                QStringLiteral("5-9"), QStringLiteral("-o"), out});
    EXPECT_EQ(beyond.code, 2);
    EXPECT_TRUE(beyond.err.contains(QStringLiteral("行 9 はありません"))) << qPrintable(beyond.err);

    const QString missing = dir.filePath(QStringLiteral("missing.csv"));
    const Outcome unreadable = cli({QStringLiteral("pdf"), missing, QStringLiteral("-o"), out});
    EXPECT_EQ(unreadable.code, 1);
    EXPECT_TRUE(unreadable.err.contains(QStringLiteral("は開けません")))
        << qPrintable(unreadable.err);

    const Outcome unwritable = cli({QStringLiteral("pdf"), kAddresses, QStringLiteral("-o"),
                                    dir.filePath(QStringLiteral("no/such/dir/x.pdf"))});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_TRUE(unwritable.err.contains(QStringLiteral("に書き込めません")));
    EXPECT_FALSE(QFile::exists(out));

    EXPECT_EQ(cli({QStringLiteral("print"), kAddresses, QStringLiteral("--bogus")}).code, 2);
    testing::NoPrintService noPrinters; // whatever printers the machine has
    const Outcome noQueue = cli({QStringLiteral("print"), kAddresses, QStringLiteral("--printer"),
                                 QStringLiteral("rinova-no-such-queue")});
    EXPECT_EQ(noQueue.code, 1);
    EXPECT_TRUE(noQueue.err.contains(QStringLiteral("プリンタ rinova-no-such-queue はありません")));
}

} // namespace
} // namespace rinova
