// Jobs through a print scheduler of the test's own (scripts/cups-private.sh): what reaches the
// queue, and what the user is told when the queue refuses, stops or vanishes, or the print
// service goes away.
#include "printing/printer_surface.h"
#include "printing/spooler.h"
#include "text/failure.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <functional>
#include <gtest/gtest.h>

namespace rinova {
namespace {

// A shell command's output; *code gets its exit code.
QString sh(const QString& command, int* code = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    const bool ended = p.waitForFinished(120000);
    if (code) *code = ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

// Cards of frame-only pictures on queue "Cards" of a scheduler started for each test.
class Spooler : public ::testing::Test {
protected:
    void SetUp() override {
        int code = 0;
        const QString log = scheduler(QStringLiteral("start"), QStringLiteral("Cards"), &code);
        if (code == 3) GTEST_SKIP() << qPrintable(log);
        ASSERT_EQ(code, 0) << qPrintable(log);
        qputenv("CUPS_SERVER", dir.filePath(QStringLiteral("cups.sock")).toLocal8Bit());
        cupsSetServer(nullptr); // read again, should an earlier test have used another
    }
    void TearDown() override { scheduler(QStringLiteral("stop")); }

    QString scheduler(const QString& command, const QString& arg = {}, int* code = nullptr) {
        return sh(QStringLiteral("bash " RINOVA_SOURCE_DIR "/scripts/cups-private.sh %1 %2 %3")
                      .arg(command, dir.path(), arg),
                  code);
    }
    // The PDF files the queue wrote, once no job is pending.
    QString outputs() {
        scheduler(QStringLiteral("wait"), QStringLiteral("60"));
        return sh(QStringLiteral("cd %1/out && ls").arg(dir.path())).trimmed();
    }

    // Prints `cards` cards; the failure's message, if any.
    QString print(const QString& queue, int cards, const std::function<void()>& beforeEnd = {},
                  QPrinter* printer = nullptr) {
        printing::PrinterSurface s([&] {
            return printer ? std::unique_ptr<QPrinter>(printer)
                           : std::make_unique<QPrinter>(QPrinterInfo::printerInfo(queue));
        });
        drawing::CardPicture frame;
        drawing::RectOp edge;
        edge.x2 = 1000;
        edge.y2 = -1480;
        frame.ops.push_back(edge);
        try {
            s.beginDoc();
            for (int i = 0; i < cards; ++i) {
                if (i) s.newPage();
                s.playCard(frame);
            }
            if (beforeEnd) beforeEnd();
            notice = s.endDoc();
        } catch (const text::Failure& f) {
            EXPECT_FALSE(s.documentOpen());
            return f.message();
        }
        return {};
    }

    QTemporaryDir dir;
    QString notice;
};

// Three cards print three pages whatever page range, page set or current page the print dialog
// left on the printer, and the job carries no title and no name of a file of ours.
TEST_F(Spooler, EveryCardOfAJobPrintsAndTheJobHasNoName) {
    auto* printer = new QPrinter(QPrinterInfo::printerInfo(QStringLiteral("Cards")));
    printer->printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                        QStringList{"page-ranges", "1", "page-set", "odd"});
    printer->setPrintRange(QPrinter::CurrentPage);
    ASSERT_EQ(print({}, 3, {}, printer), QString());
    EXPECT_EQ(notice, QString());
    const QString out = outputs();
    EXPECT_TRUE(sh(QStringLiteral("pdfinfo %1/out/%2").arg(dir.path(), out))
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))));

    // The job's attributes as the stopped scheduler keeps them (IPP: name length, name, value
    // length, value): an empty title, no page range, no document name.
    scheduler(QStringLiteral("stop"));
    const QString job =
        sh(QStringLiteral("od -An -c %1/spool/c00001 | tr -d ' \\n'").arg(dir.path()));
    EXPECT_TRUE(job.contains(QStringLiteral("\\0\\bjob-name\\0\\0"))) << qPrintable(job);
    EXPECT_FALSE(job.contains(QStringLiteral("page-ranges")));
    EXPECT_FALSE(job.contains(QStringLiteral("document-name")));
}

// A job that fails says what happened in Japanese, the service's words in parentheses, and
// leaves nothing queued, whether it fails before or while its document goes over.
TEST_F(Spooler, FailedJobSaysWhatHappenedAndLeavesNothingQueued) {
    scheduler(QStringLiteral("queue"), QStringLiteral("Gone"));
    const auto stop = [&] { scheduler(QStringLiteral("stop")); };
    const auto restart = [&] {
        stop();
        scheduler(QStringLiteral("start"));
    };
    const struct {
        const char* name;
        std::function<void()> disrupt;
        bool midJob; // else before the job is handed over
        QString said;
        bool cancelled = true; // else the message says which job stays
    } cases[] = {
        {"queue refuses jobs", [] { sh(QStringLiteral("cupsreject Cards")); }, false,
         QStringLiteral("プリンタ Cards はジョブを受け付けていません (")},
        {"queue removed", [] { sh(QStringLiteral("lpadmin -x Gone")); }, false,
         QStringLiteral("プリンタ Gone が見つかりません (")},
        {"service stopped", stop, false,
         QStringLiteral(
             "印刷サービスに接続できません (印刷サービスが動いていないか、つながりません")},
        {"service restarted mid-job", restart, true,
         QStringLiteral("印刷の途中で印刷サービスが止まりました (")},
        {"service stopped mid-job", stop, true,
         QStringLiteral("印刷の途中で印刷サービスが止まりました ("), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString queue = QString::fromLatin1(c.name).contains(QStringLiteral("removed"))
                                  ? QStringLiteral("Gone")
                                  : QStringLiteral("Cards");
        QString message;
        if (!c.midJob) {
            message = print(queue, 2, c.disrupt);
        } else {
            const QByteArray half(100000, '%');
            try {
                printing::SpoolJob job(queue, {});
                job.write(half.constData(), half.size());
                c.disrupt();
                job.write(half.constData(), half.size());
                job.finish();
            } catch (const text::Failure& f) {
                message = f.message();
            }
        }
        EXPECT_TRUE(message.startsWith(QStringLiteral("印刷に失敗しました: ") + c.said))
            << qPrintable(message);
        const QRegularExpression end(c.cancelled ? QStringLiteral("\\)$")
                                                 : QStringLiteral("\\)。ジョブ Cards-\\d+ "
                                                                  "を取り消せませんでした$"));
        EXPECT_TRUE(end.match(message).hasMatch()) << qPrintable(message);

        scheduler(QStringLiteral("start"));
        sh(QStringLiteral("cupsaccept Cards"));
        EXPECT_EQ(sh(QStringLiteral("lpstat -o")).isEmpty(), c.cancelled);
        sh(QStringLiteral("cancel -a"));
        EXPECT_EQ(outputs(), QString());
    }
}

// A stopped printer takes the job into its queue, where it waits: the user is told so, and the
// job prints once the printer is started again.
TEST_F(Spooler, StoppedPrinterKeepsTheJobAndSaysSo) {
    sh(QStringLiteral("cupsdisable Cards"));
    ASSERT_EQ(print(QStringLiteral("Cards"), 1), QString());
    EXPECT_EQ(notice, QStringLiteral("プリンタ Cards は停止しています。ジョブ Cards-1 "
                                     "はプリンタが再開されるまでキューで待ちます"));
    EXPECT_TRUE(sh(QStringLiteral("lpstat -o")).startsWith(QStringLiteral("Cards-1 ")));
    sh(QStringLiteral("cupsenable Cards"));
    EXPECT_EQ(outputs(), QStringLiteral("job-1.pdf"));
}

} // namespace
} // namespace rinova
