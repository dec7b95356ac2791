// Printing on a scheduler of the test's own: `rinova-cli print` uses the paper the queue's owner
// set and announces another one; a stopped job never reaches the queue.
#include "app/print_command.h"
#include "printing/paper.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QPainter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(Queue, PrintUsesTheQueuesOwnPaperAndAStoppedJobNeverArrives) {
    testing::PrivateScheduler cups(QStringLiteral("CardQueue"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    QTemporaryDir work;
    // As its owner sets a queue's default paper; the toolkit alone would keep A4.
    ASSERT_EQ(testing::runProgram(QStringLiteral("lpadmin"),
                                  {QStringLiteral("-p"), cups.queue(), QStringLiteral("-o"),
                                   QStringLiteral("PageSize=Custom.100x148mm")})
                  .exitCode,
              0);

    const struct {
        QStringList options;
        QSizeF sheet; // points, as the queue printed it
        bool told;
    } cases[] = {
        {{}, {283.5, 419.5}, false},
        {{QStringLiteral("--paper"), QStringLiteral("a4")}, {595, 842}, true},
    };
    int printed = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        const testing::CliRun r = testing::runCli(
            QStringList{QStringLiteral("print"),
                        QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv"),
                        QStringLiteral("--rows"), QStringLiteral("2"), QStringLiteral("--settings"),
                        work.filePath(QStringLiteral("none.ini"))} +
            c.options);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(r.exitCode, 0) << err.toStdString();
        EXPECT_EQ(err.contains(u"注意: 用紙が「A4 210 × 297 mm」に設定されています。"_qs), c.told)
            << err.toStdString();
        const QStringList pdfs = cups.printedPdfs();
        ASSERT_EQ(pdfs.size(), ++printed);
        const QSizeF sheet = testing::pdfPageSizePt(pdfs.last());
        EXPECT_NEAR(sheet.width(), c.sheet.width(), 1);
        EXPECT_NEAR(sheet.height(), c.sheet.height(), 1);
    }

    // 400 cards of 1000 drawn, then stopped: the queue never hears of the job.
    auto jobsEver = [] {
        const testing::CliRun all = testing::runProgram(
            QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")});
        return QString::fromUtf8(all.out).count(QStringLiteral("CardQueue-"));
    };
    const int before = jobsEver();
    ASSERT_EQ(before, 2); // the two jobs above: the count is read right
    testing::ScriptedPrompts prompts;
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    printing::CardJob cardJob;
    app::PrintCommand job{
        cardJob, [] { return printing::printerFor(QPrinterInfo::printerInfo(u"CardQueue"_qs)); }};
    job.print(
        1, 1000, [](printing::PrinterSurface& s, int) { s.canvas()->drawRect(100, 100, 500, 500); },
        [&](int done, int) {
            if (done == 400) cardJob.stop();
        });
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(jobsEver(), before);
}

} // namespace
} // namespace rinova
