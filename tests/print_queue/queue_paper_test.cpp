// Printing to queues of a scheduler of the test's own: the paper a queue's owner set is the one
// used, another is announced, and a stopped job never reaches the queue.
#include "app/print_command.h"
#include "surface/paper.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
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

// The PDF driver's description with one more paper: a 100 x 148 mm postcard.
QString postcardPpd(const QString& path) {
    QFile in(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
    if (!in.open(QIODevice::ReadOnly)) return {};
    QByteArray ppd = in.readAll();
    const char* size = "<</PageSize[283 420]/ImagingBBox null>>setpagedevice";
    for (const QByteArray& entry :
         {"*PageSize Postcard/Postcard: \"" + QByteArray(size) + "\"\n",
          "*PageRegion Postcard/Postcard: \"" + QByteArray(size) + "\"\n",
          QByteArray("*ImageableArea Postcard/Postcard: \"0 0 283 420\"\n"),
          QByteArray("*PaperDimension Postcard/Postcard: \"283 420\"\n")}) {
        const QByteArray before = entry.left(entry.indexOf(' ') + 1) + "A4/";
        const qsizetype at = ppd.indexOf(before);
        if (at < 0) return {};
        ppd.insert(at, entry);
    }
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(ppd) != ppd.size()) return {};
    return path;
}

class Queues : public ::testing::Test {
protected:
    static inline QTemporaryDir* home = nullptr;
    static inline QString skipped;

    static void SetUpTestSuite() {
        home = new QTemporaryDir(QStringLiteral("/tmp/rinova-queues-XXXXXX"));
        QString log;
        const int code =
            run(QStringLiteral("bash"),
                {kScript, QStringLiteral("start"), home->path(), QStringLiteral("A4Queue")}, &log);
        if (code == 3) {
            skipped = u"no scheduler of its own can run here: "_qs + log;
            return;
        }
        ASSERT_EQ(code, 0) << log.toStdString();
        qputenv("CUPS_SERVER", QFile::encodeName(home->filePath(QStringLiteral("cups.sock"))));
        const QString ppd = postcardPpd(home->filePath(QStringLiteral("postcard.ppd")));
        ASSERT_FALSE(ppd.isEmpty());
        // As a user sets a queue's default paper.
        ASSERT_EQ(
            run(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), QStringLiteral("CardQueue"), QStringLiteral("-E"),
                 QStringLiteral("-v"), u"rinova-pdf:"_qs + home->filePath(QStringLiteral("out")),
                 QStringLiteral("-P"), ppd, QStringLiteral("-o"),
                 QStringLiteral("PageSize=Postcard")},
                &log),
            0)
            << log.toStdString();
        run(QStringLiteral("cupsaccept"), {QStringLiteral("CardQueue")});
        run(QStringLiteral("cupsenable"), {QStringLiteral("CardQueue")});
    }
    static void TearDownTestSuite() {
        if (skipped.isEmpty())
            run(QStringLiteral("bash"), {kScript, QStringLiteral("stop"), home->path()});
        delete home;
    }
    void SetUp() override {
        if (!skipped.isEmpty()) GTEST_SKIP() << skipped.toStdString();
        QDir out(home->filePath(QStringLiteral("out")));
        for (const QString& f : out.entryList(QDir::Files | QDir::Hidden))
            out.remove(f);
    }

    // The jobs' PDFs once the queues are idle.
    QStringList printed() const {
        EXPECT_EQ(run(QStringLiteral("bash"),
                      {kScript, QStringLiteral("wait"), home->path(), QStringLiteral("90")}),
                  0);
        QStringList files;
        for (const QFileInfo& f : QDir(home->filePath(QStringLiteral("out")))
                                      .entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
            files << f.absoluteFilePath();
        return files;
    }
    static QSizeF pageSize(const QString& pdf) {
        QString info;
        run(QStringLiteral("pdfinfo"), {pdf}, &info);
        const auto m =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
        return {m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
};

TEST_F(Queues, CliPrintUsesTheQueuesPaperAndAnnouncesAnother) {
    const QString csv = QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv");
    const QString ini = home->filePath(QStringLiteral("none.ini"));
    const struct {
        QStringList options;
        QSizeF sheet;         // in points as the queue printed it; empty: nothing printed
        const char16_t* told; // empty: nothing said
    } cases[] = {
        {{QStringLiteral("--printer"), QStringLiteral("CardQueue")}, QSizeF(283, 420), u""},
        {{QStringLiteral("--printer"), QStringLiteral("CardQueue"), QStringLiteral("--paper"),
          QStringLiteral("a4")},
         QSizeF(595, 842),
         u"注意: 用紙が「A4 210 × 297 mm」に設定されています。"},
        {{QStringLiteral("--printer"), QStringLiteral("A4Queue"), QStringLiteral("--paper"),
          QStringLiteral("はがき")},
         QSizeF(),
         u"プリンタ A4Queue に用紙 はがき はありません。使える用紙:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        SetUp();
        const testing::CliRun r =
            testing::runCli(QStringList{QStringLiteral("print"), csv, QStringLiteral("--rows"),
                                        QStringLiteral("2"), QStringLiteral("--settings"), ini} +
                            c.options);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(r.exitCode, c.sheet.isEmpty() ? 2 : 0) << err.toStdString();
        const QString told = QString::fromUtf16(c.told);
        if (told.isEmpty())
            EXPECT_FALSE(err.contains(u"注意"_qs)) << err.toStdString();
        else
            EXPECT_TRUE(err.contains(told)) << err.toStdString();
        const QStringList jobs = printed();
        ASSERT_EQ(jobs.size(), c.sheet.isEmpty() ? 0 : 1);
        if (jobs.isEmpty()) continue;
        const QSizeF sheet = pageSize(jobs[0]);
        EXPECT_NEAR(sheet.width(), c.sheet.width(), 1);
        EXPECT_NEAR(sheet.height(), c.sheet.height(), 1);
    }
}

TEST_F(Queues, AStoppedThousandCardJobNeverReachesTheQueue) {
    auto history = [] {
        QString jobs;
        run(QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")}, &jobs);
        return jobs.count(QStringLiteral("CardQueue-"));
    };
    const int before = history();
    testing::ScriptedPrompts prompts;
    for (const int stopAfter : {400, 0}) {
        SCOPED_TRACE(stopAfter);
        SetUp();
        prompts.messages.clear();
        prompts.confirmAnswers = {true};
        prompts.printDialogAnswers = {true};
        app::PrintCommand job{[] {
            return surface::printerFor(QPrinterInfo::printerInfo(QStringLiteral("CardQueue")));
        }};
        const int last = stopAfter ? 1000 : 3;
        int drawn = 0;
        job.print(
            1, last,
            [&](surface::PrinterSurface& s, int) {
                ++drawn;
                s.canvas()->drawRect(100, 100, 500, 500);
            },
            [&](int done, int) { return !stopAfter || done < stopAfter; });
        EXPECT_TRUE(prompts.paperNotices.empty());
        if (stopAfter) {
            EXPECT_EQ(drawn, stopAfter);
            EXPECT_EQ(
                prompts.messages,
                (std::vector<QString>{
                    u"印刷を中止しました。行 1〜1000 の 1000 枚は 1 枚も印刷されていません"_qs}));
            EXPECT_TRUE(printed().isEmpty());
        } else {
            // The same job, not stopped, arrives whole: the queue is not simply deaf.
            ASSERT_EQ(printed().size(), 1);
            EXPECT_TRUE(prompts.messages.empty());
        }
    }
    // One job in all: the one not stopped.
    EXPECT_EQ(history(), before + 1);
}

} // namespace
} // namespace rinova
