// Printing through a real CUPS queue: the scheduler is started by hand with a PDF queue, rows of
// an address file go through the print command, the real printer and the real renderer, and
// the PDF that comes out of the queue is measured with poppler.
#include "addresses/address_grid.h"
#include "app/print_command.h"
#include "card/card_inputs.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"
#include "surface/playback.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <map>

namespace rinova {
namespace {

constexpr int kDpi = 300;
constexpr double kPxPerMm = kDpi / 25.4;
const int kCardW = static_cast<int>(100 * kPxPerMm);
const int kCardH = static_cast<int>(148 * kPxPerMm);
const double kTolerancePx = 0.3 * kPxPerMm;

QString script(const char* name) {
    return QStringLiteral(RINOVA_SOURCE_DIR "/scripts/") + QLatin1String(name);
}

int run(const QString& program, const QStringList& args, QString* out = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(180000)) return -1;
    if (out) *out = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QImage rasterise(const QString& pdf, int page) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("p"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-f"), QString::number(page),
         QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
}

bool dark(QRgb c) {
    return qGray(c) < 128;
}

QRect inkIn(const QImage& img, const QRect& area) {
    int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
    const QRect a = area.intersected(img.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            if (dark(img.pixel(x, y))) {
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

// Pixels of the area that are dark in one image and not in the other.
int difference(const QImage& a, const QImage& b, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += dark(a.pixel(x, y)) != dark(b.pixel(x, y));
    return n;
}

// The band of the recipient postal code (drawn 12.2 mm from the top, 7 mm high), and the
// window around digit i (boxes from 45.5 mm, a gap after the third digit).
QRect postalBand() {
    return QRect(QPoint(int(38 * kPxPerMm), int(10 * kPxPerMm)),
                 QPoint(int(92 * kPxPerMm), int(22 * kPxPerMm)));
}
QRect digitWindow(int i) {
    const double x = (i < 3 ? 45.5 + 7 * i : 38.5 + 7 * i) - 1;
    return QRect(QPoint(int(x * kPxPerMm), int(10 * kPxPerMm)),
                 QPoint(int((x + 7) * kPxPerMm), int(22 * kPxPerMm)));
}

class PrintE2E : public ::testing::Test {
protected:
    static inline QTemporaryDir* work = nullptr;
    static inline QString queue, outDir;
    static inline bool started = false;

    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable(QStringLiteral("cupsd"),
                                           {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                            QStringLiteral("/usr/local/sbin")})
                .isEmpty())
            return;
        work = new QTemporaryDir;
        qputenv("RINOVA_CUPS_PIDFILE", work->filePath(QStringLiteral("cupsd.pid")).toLocal8Bit());
        queue = QStringLiteral("RinovaE2E_%1").arg(QCoreApplication::applicationPid());
        outDir = work->filePath(QStringLiteral("out"));
        QString log;
        started = run(QStringLiteral("bash"), {script("cups-start.sh"), queue, outDir}, &log) == 0;
        if (!started) std::fprintf(stderr, "%s\n", qPrintable(log));
    }
    static void TearDownTestSuite() {
        if (!work) return;
        run(QStringLiteral("bash"), {script("cups-stop.sh"), queue});
        delete work;
        work = nullptr;
    }

    void SetUp() override {
        if (!work) GTEST_SKIP() << "cupsd is not installed";
        ASSERT_TRUE(started) << "the scheduler or the queue did not start";
        for (const QString& f : QDir(outDir).entryList(QDir::Files))
            QFile::remove(QDir(outDir).filePath(f));
        grid.importContent(testing::readBytes(
            QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv")));
        settings =
            std::make_unique<settings::SettingsModel>(work->filePath(QStringLiteral("none.ini")));
        settings->loadWithoutWriting();
    }

    card::CardInputs inputs(int row) const {
        return card::inputsForRow(grid, row, *settings, card::Target::Printer);
    }

    // What the renderer drew for a row, played at natural size on white at the test's dpi.
    QImage reference(int row) const {
        QImage img(kCardW + 10, kCardH + 10, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        surface::playNatural(card::renderCard(inputs(row)), p, 0, 0, kPxPerMm, kPxPerMm);
        return img;
    }

    std::unique_ptr<QPrinter> queuePrinter() const {
        return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(queue),
                                          QPrinter::HighResolution);
    }

    // The one PDF the queue wrote, once the job is done and the file complete.
    QString awaitOutput() const {
        EXPECT_EQ(run(QStringLiteral("bash"), {script("cups-wait.sh"), QStringLiteral("120")}), 0);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            const QFileInfoList files =
                QDir(outDir).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files);
            if (files.size() == 1) {
                const QString path = files[0].absoluteFilePath();
                QString info;
                if (run(QStringLiteral("pdfinfo"), {path}, &info) == 0) return path;
            }
            QThread::msleep(200);
        }
        return {};
    }

    void RowsThreeToSevenLandOnTheQueueOneCardPerPageInRowOrder();
    void QueueThatRefusesJobsIsReported();
    void QueueRemovedAfterItWasChosenIsInvalid();

    addresses::AddressGrid grid;
    std::unique_ptr<settings::SettingsModel> settings;
};

void PrintE2E::RowsThreeToSevenLandOnTheQueueOneCardPerPageInRowOrder() {
    testing::ScriptedPrompts prompts;
    prompts.confirmAnswers = {true};
    prompts.printDialogAnswers = {true};
    app::PrintCommand job([this] { return queuePrinter(); });
    job.print(7, 3, [this](surface::PrinterSurface& s, int row) {
        s.playCard(card::renderCard(inputs(row)));
    });
    EXPECT_EQ(prompts.questions.at(0), QStringLiteral("用紙枚数は5枚です。印刷しますね。"));
    EXPECT_TRUE(prompts.errors.empty());

    const QString pdf = awaitOutput();
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF came out of the queue";
    QString info;
    run(QStringLiteral("pdfinfo"), {pdf}, &info);
    ASSERT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+5\\n"))))
        << qPrintable(info);

    std::map<int, QImage> refs;
    for (int row = 3; row <= 7; ++row)
        refs[row] = reference(row);

    const QRect card(0, 0, kCardW, kCardH);
    for (int page = 1; page <= 5; ++page) {
        SCOPED_TRACE(page);
        const int row = page + 2;
        const QImage img = rasterise(pdf, page);
        ASSERT_FALSE(img.isNull());
        ASSERT_GE(img.width(), kCardW);
        ASSERT_GE(img.height(), kCardH);

        // All ink within the card from the sheet's corner.
        const QRect ink = inkIn(img, img.rect());
        ASSERT_FALSE(ink.isNull());
        EXPECT_GE(ink.left(), card.left() - kTolerancePx);
        EXPECT_GE(ink.top(), card.top() - kTolerancePx);
        EXPECT_LE(ink.right(), card.right() + kTolerancePx);
        EXPECT_LE(ink.bottom(), card.bottom() + kTolerancePx);

        // No guide (red) and no background frame along the card's edges.
        int red = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2) {
                const QRgb c = img.pixel(x, y);
                red += qRed(c) > 160 && qGreen(c) < 110 && qBlue(c) < 110;
            }
        EXPECT_EQ(red, 0);
        const int edge = int(kPxPerMm);
        EXPECT_TRUE(inkIn(img, QRect(0, 0, kCardW, edge)).isNull());
        EXPECT_TRUE(inkIn(img, QRect(0, 0, edge, kCardH)).isNull());
        EXPECT_TRUE(inkIn(img, QRect(kCardW - edge, 0, 2 * edge, kCardH)).isNull());
        EXPECT_TRUE(inkIn(img, QRect(0, kCardH - edge, kCardW, 2 * edge)).isNull());

        // The postal code's digits where the renderer put them.
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE(i);
            const QRect want = inkIn(refs[row], digitWindow(i));
            const QRect got = inkIn(img, digitWindow(i));
            ASSERT_FALSE(want.isNull());
            ASSERT_FALSE(got.isNull());
            EXPECT_NEAR(got.left(), want.left(), kTolerancePx);
            EXPECT_NEAR(got.right(), want.right(), kTolerancePx);
            EXPECT_NEAR(got.top(), want.top(), kTolerancePx);
            EXPECT_NEAR(got.bottom(), want.bottom(), kTolerancePx);
        }

        // The page's postal code is its row's and no other's.
        int best = 0, bestDiff = INT_MAX;
        for (const auto& [r, ref] : refs) {
            const int d = difference(img, ref, postalBand());
            if (d < bestDiff) best = r, bestDiff = d;
        }
        EXPECT_EQ(best, row);
    }
}

void PrintE2E::QueueThatRefusesJobsIsReported() {
    ASSERT_EQ(run(QStringLiteral("cupsreject"), {queue}), 0);
    testing::ScriptedPrompts prompts;
    prompts.printDialogAnswers = {true};
    app::PrintCommand job([this] { return queuePrinter(); });
    int drawn = 0;
    widgets::guarded([&] { job.print(2, 2, [&](surface::PrinterSurface&, int) { ++drawn; }); });
    run(QStringLiteral("cupsaccept"), {queue});
    EXPECT_EQ(drawn, 1);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(prompts.errors[0].startsWith(QStringLiteral("印刷に失敗しました: ")))
        << qPrintable(prompts.errors[0]);
    EXPECT_FALSE(job.printing());
}

void PrintE2E::QueueRemovedAfterItWasChosenIsInvalid() {
    const QString gone = queue + QStringLiteral("_gone");
    ASSERT_EQ(run(QStringLiteral("bash"), {script("cups-start.sh"), gone, outDir}), 0);
    surface::PrinterSurface s([&] {
        return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(gone),
                                          QPrinter::HighResolution);
    });
    ASSERT_EQ(s.printer().printerName(), gone);
    run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), gone});
    QFile::remove(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(gone));
    QString m;
    try {
        s.beginDoc();
    } catch (const rinova::text::Failure& f) {
        m = f.message();
    }
    EXPECT_EQ(m, QStringLiteral("選択したプリンタは有効ではありません"));
    EXPECT_FALSE(s.printing());
}

// One test, so that one process starts the scheduler, uses it and stops it.
TEST_F(PrintE2E, RealQueue) {
    {
        SCOPED_TRACE("RowsThreeToSevenLandOnTheQueueOneCardPerPageInRowOrder");
        RowsThreeToSevenLandOnTheQueueOneCardPerPageInRowOrder();
    }
    {
        SCOPED_TRACE("QueueThatRefusesJobsIsReported");
        QueueThatRefusesJobsIsReported();
    }
    {
        SCOPED_TRACE("QueueRemovedAfterItWasChosenIsInvalid");
        QueueRemovedAfterItWasChosenIsInvalid();
    }
}

} // namespace
} // namespace rinova
