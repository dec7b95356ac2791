// Jobs through a print scheduler of the test's own (scripts/cups-private.sh): what reaches the
// queue, and what the user is told when the queue refuses, stops or vanishes, or the print
// service goes away.
#include "surface/printer_surface.h"
#include "surface/spooler.h"
#include "text/failure.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace rinova {
namespace {

const QString kQueue = QStringLiteral("Cards");

QString run(const QString& program, const QStringList& args, int* code = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ended = p.waitForFinished(120000);
    if (code) *code = ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

// A scheduler of the test's own in a temporary folder, reached through CUPS_SERVER, with a PDF
// queue as its default; jobs land as PDF files in its "out" folder.
class Scheduler {
public:
    ~Scheduler() { script(QStringLiteral("stop")); }

    // Empty when it runs; else why it cannot run here.
    QString start() {
        int code = 0;
        const QString log = script(QStringLiteral("start"), {kQueue}, &code);
        if (code == 3) return log.trimmed();
        if (code != 0) return QStringLiteral("the scheduler did not start: ") + log;
        qputenv("CUPS_SERVER", dir_.filePath(QStringLiteral("cups.sock")).toLocal8Bit());
        cupsSetServer(nullptr); // read again, should an earlier test have used another
        started_ = true;
        return {};
    }
    bool started() const { return started_; }

    void addQueue(const QString& name) { script(QStringLiteral("queue"), {name}); }
    // Stops the service as the system stops it (it keeps its jobs), and starts it again.
    void stop() { script(QStringLiteral("stop")); }
    void restart() { script(QStringLiteral("start")); }

    QString tool(const QString& name, const QStringList& args) { return run(name, args); }
    // One line per job not yet done.
    std::string jobsQueued() {
        return run(QStringLiteral("lpstat"), {QStringLiteral("-o")}).toStdString();
    }
    // The PDF files the queue wrote, once no job is pending any more.
    QStringList outputs() {
        script(QStringLiteral("wait"), {QStringLiteral("60")});
        return QDir(dir_.filePath(QStringLiteral("out"))).entryList({QStringLiteral("*.pdf")});
    }
    QString output(const QString& name) const {
        return dir_.filePath(QStringLiteral("out/") + name);
    }
    // The job's attributes as the scheduler keeps them (written at the latest when it stops).
    QByteArray controlFile(int job) const {
        QFile f(dir_.filePath(QStringLiteral("spool/c%1").arg(job, 5, 10, QLatin1Char('0'))));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QString script(const QString& command, const QStringList& args = {}, int* code = nullptr) {
        return run(QStringLiteral("bash"),
                   QStringList{QStringLiteral(RINOVA_SOURCE_DIR "/scripts/cups-private.sh"),
                               command, dir_.path()} +
                       args,
                   code);
    }
    QTemporaryDir dir_;
    bool started_ = false;
};

// The value of an attribute in an IPP message (one-byte tag, two-byte name length, name,
// two-byte value length, value); nothing when the attribute is absent.
std::optional<QByteArray> ippValue(const QByteArray& message, const QByteArray& name) {
    QByteArray key;
    key += char(name.size() >> 8);
    key += char(name.size() & 0xff);
    key += name;
    const qsizetype at = message.indexOf(key);
    if (at < 0) return std::nullopt;
    const qsizetype v = at + key.size();
    const int length = (uchar(message[v]) << 8) | uchar(message[v + 1]);
    return message.mid(v + 2, length);
}

int pdfPages(const QString& path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A card whose only mark is its frame.
surface::CardPicture frameCard() {
    surface::CardPicture picture;
    surface::RectOp frame;
    frame.x2 = surface::CardPicture::kWidth;
    frame.y2 = -surface::CardPicture::kHeight;
    picture.ops.push_back(frame);
    return picture;
}

std::unique_ptr<QPrinter> queuePrinter(const QString& queue) {
    return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
}

class Spooler : public ::testing::Test {
protected:
    void SetUp() override {
        const QString why = scheduler.start();
        if (!why.isEmpty()) GTEST_SKIP() << qPrintable(why);
    }

    // Prints `cards` frame cards on the queue; the message of the failure, if any.
    QString printCards(surface::PrinterSurface& s, int cards,
                       const std::function<void()>& beforeEnd = {}) {
        try {
            s.beginDoc();
            for (int i = 0; i < cards; ++i) {
                if (i) s.newPage();
                s.playCard(frameCard());
            }
            if (beforeEnd) beforeEnd();
            notice = s.endDoc();
        } catch (const text::Failure& f) {
            return f.message();
        }
        return {};
    }

    Scheduler scheduler;
    QString notice;
};

// The job of three cards prints three pages, whatever page range, page set or current page the
// print dialog left on the printer, and carries no title and no name of a file of ours.
TEST_F(Spooler, EveryCardOfAJobPrintsAndTheJobHasNoName) {
    auto printer = queuePrinter(kQueue);
    ASSERT_TRUE(printer->isValid());
    printer->printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                        QStringList{QStringLiteral("page-ranges"),
                                                    QStringLiteral("1"), QStringLiteral("page-set"),
                                                    QStringLiteral("odd")});
    printer->setPrintRange(QPrinter::PageRange);
    printer->setFromTo(1, 1);
    surface::PrinterSurface s([&] { return std::move(printer); });
    ASSERT_EQ(printCards(s, 3), QString());
    EXPECT_EQ(notice, QString());

    const QStringList out = scheduler.outputs();
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(pdfPages(scheduler.output(out[0])), 3);

    scheduler.stop();
    const QByteArray job = scheduler.controlFile(1);
    ASSERT_FALSE(job.isEmpty());
    EXPECT_EQ(ippValue(job, "page-ranges"), std::nullopt);
    EXPECT_EQ(ippValue(job, "job-name").value_or("absent"), QByteArray());
    const std::optional<QByteArray> document = ippValue(job, "document-name-supplied");
    EXPECT_TRUE(!document || document->isEmpty() || *document == "Rinova") << document->data();
}

// A job that fails says what happened in Japanese, the service's words in parentheses, and
// leaves nothing queued, whether it fails before or while its document goes over.
TEST_F(Spooler, FailedJobSaysWhatHappenedAndLeavesNothingQueued) {
    scheduler.addQueue(QStringLiteral("Gone"));
    struct Case {
        const char* name;
        QString queue;
        std::function<void()> disrupt; // before the job is handed over, or halfway through it
        bool halfway;
        QString said;
        bool cancelled = true; // else the message says the job could not be cancelled
    };
    const Case cases[] = {
        {"queue refuses jobs", kQueue,
         [&] { scheduler.tool(QStringLiteral("cupsreject"), {kQueue}); }, false,
         QStringLiteral("プリンタ Cards はジョブを受け付けていません (")},
        {"queue removed", QStringLiteral("Gone"),
         [&] {
             scheduler.tool(QStringLiteral("lpadmin"),
                            {QStringLiteral("-x"), QStringLiteral("Gone")});
         },
         false, QStringLiteral("プリンタ Gone が見つかりません (")},
        {"service stopped before", kQueue, [&] { scheduler.stop(); }, false,
         QStringLiteral("印刷サービスに接続できません (")},
        {"service restarted mid-job", kQueue,
         [&] {
             scheduler.stop();
             scheduler.restart();
         },
         true, QStringLiteral("印刷の途中で印刷サービスが止まりました (")},
        // A service that stays away cannot cancel the job: the user learns which one is left.
        {"service stopped mid-job", kQueue, [&] { scheduler.stop(); }, true,
         QStringLiteral("印刷の途中で印刷サービスが止まりました ("), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString message;
        if (!c.halfway) {
            surface::PrinterSurface s([&] { return queuePrinter(c.queue); });
            message = printCards(s, 2, c.disrupt);
            EXPECT_FALSE(s.printing());
        } else {
            const QByteArray document(200000, '%');
            try {
                surface::SpoolJob job(c.queue, {});
                job.write(document.constData(), document.size() / 2);
                c.disrupt();
                job.write(document.constData() + document.size() / 2, document.size() / 2);
                job.finish();
            } catch (const text::Failure& f) {
                message = f.message();
            }
        }
        EXPECT_TRUE(message.startsWith(QStringLiteral("印刷に失敗しました: ") + c.said))
            << qPrintable(message);
        EXPECT_TRUE(c.cancelled
                        ? message.endsWith(u')')
                        : QRegularExpression(
                              QStringLiteral("\\)。ジョブ Cards-\\d+ を取り消せませんでした$"))
                              .match(message)
                              .hasMatch())
            << qPrintable(message);

        scheduler.restart();
        scheduler.tool(QStringLiteral("cupsaccept"), {kQueue});
        if (c.cancelled) {
            EXPECT_EQ(scheduler.jobsQueued(), "");
        } else {
            EXPECT_NE(scheduler.jobsQueued(), "");
            scheduler.tool(QStringLiteral("cancel"), {QStringLiteral("-a")});
        }
        EXPECT_EQ(scheduler.outputs(), QStringList());
    }
}

// A stopped printer takes the job into its queue, where it waits: the user is told so, and the
// job prints once the printer is started again.
TEST_F(Spooler, StoppedPrinterKeepsTheJobAndSaysSo) {
    scheduler.tool(QStringLiteral("cupsdisable"), {kQueue});
    surface::PrinterSurface s([] { return queuePrinter(kQueue); });
    ASSERT_EQ(printCards(s, 1), QString());
    EXPECT_EQ(notice, QStringLiteral("プリンタ Cards は停止しています。ジョブ Cards-1 "
                                     "はプリンタが再開されるまでキューで待ちます"));
    EXPECT_TRUE(
        QString::fromStdString(scheduler.jobsQueued()).startsWith(QStringLiteral("Cards-1 ")));

    scheduler.tool(QStringLiteral("cupsenable"), {kQueue});
    EXPECT_EQ(scheduler.outputs().size(), 1);
}

} // namespace
} // namespace rinova
