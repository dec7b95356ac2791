// Printing on a scheduler of the test's own: `rinova-cli print` uses the paper the queue's owner
// set and announces another one; a stopped job never reaches the queue.
#include "app/print_command.h"
#include "surface/paper.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

const QString kScript = QStringLiteral(RINOVA_SOURCE_DIR "/scripts/cups-private.sh");

int run(const QString& program, const QStringList& args, QString* out = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) return -1;
    if (out) *out = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(Queue, PrintUsesTheQueuesOwnPaperAndAStoppedJobNeverArrives) {
    QTemporaryDir home(QStringLiteral("/tmp/rinova-queue-XXXXXX"));
    QString log;
    const int started =
        run(QStringLiteral("bash"),
            {kScript, QStringLiteral("start"), home.path(), QStringLiteral("CardQueue")}, &log);
    if (started == 3) GTEST_SKIP() << "no scheduler of its own can run here: " << log.toStdString();
    ASSERT_EQ(started, 0) << log.toStdString();
    struct Stop {
        QString dir;
        ~Stop() { run(QStringLiteral("bash"), {kScript, QStringLiteral("stop"), dir}); }
    } stop{home.path()};
    qputenv("CUPS_SERVER", QFile::encodeName(home.filePath(QStringLiteral("cups.sock"))));
    // As its owner sets a queue's default paper; the toolkit alone would keep A4.
    run(QStringLiteral("lpadmin"),
        {QStringLiteral("-p"), QStringLiteral("CardQueue"), QStringLiteral("-o"),
         QStringLiteral("PageSize=Custom.100x148mm")});

    const struct {
        QStringList options;
        QSizeF sheet; // points, as the queue printed it
        bool told;
    } cases[] = {
        {{}, {283.5, 419.5}, false},
        {{QStringLiteral("--paper"), QStringLiteral("a4")}, {595, 842}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        const QDir out(home.filePath(QStringLiteral("out")));
        for (const QString& f : out.entryList(QDir::Files))
            QFile::remove(out.filePath(f));
        const testing::CliRun r = testing::runCli(
            QStringList{QStringLiteral("print"),
                        QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv"),
                        QStringLiteral("--rows"), QStringLiteral("2"), QStringLiteral("--settings"),
                        home.filePath(QStringLiteral("none.ini"))} +
            c.options);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(r.exitCode, 0) << err.toStdString();
        EXPECT_EQ(err.contains(u"注意: 用紙が「A4 210 × 297 mm」に設定されています。"_qs), c.told)
            << err.toStdString();
        ASSERT_EQ(run(QStringLiteral("bash"), {kScript, QStringLiteral("wait"), home.path()}), 0);
        const QStringList jobs = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        ASSERT_EQ(jobs.size(), 1);
        QString info;
        run(QStringLiteral("pdfinfo"), {out.filePath(jobs[0])}, &info);
        const auto m =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
        EXPECT_NEAR(m.captured(1).toDouble(), c.sheet.width(), 1);
        EXPECT_NEAR(m.captured(2).toDouble(), c.sheet.height(), 1);
    }

    // 400 cards of 1000 drawn, then stopped: the queue never hears of the job.
    auto jobsEver = [] {
        QString all;
        run(QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")}, &all);
        return all.count(QStringLiteral("CardQueue-"));
    };
    const int before = jobsEver();
    ASSERT_EQ(before, 2); // the two jobs above: the count is read right
    testing::ScriptedPrompts prompts;
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    app::PrintCommand job{
        [] { return surface::printerFor(QPrinterInfo::printerInfo(u"CardQueue"_qs)); }};
    job.print(
        1, 1000, [](surface::PrinterSurface& s, int) { s.canvas()->drawRect(100, 100, 500, 500); },
        [](int done, int) { return done < 400; });
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(jobsEver(), before);
}

} // namespace
} // namespace rinova
