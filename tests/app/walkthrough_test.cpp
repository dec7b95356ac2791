// The real program driven by real X events on its own display, printing to its own PDF queue:
// the settings file it leaves and the PDF it prints are then checked against what was done.
#include "addresses/address_grid.h"
#include "card/card_inputs.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"
#include "settings/settings_store.h"
#include "surface/playback.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace rinova {
namespace {

using testing::readBytes;
using testing::sjis;

constexpr int kDpi = 100;
constexpr double kPxPerMm = kDpi / 25.4;

QString sourcePath(const char* relative) {
    return QStringLiteral(RINOVA_SOURCE_DIR "/") + QLatin1String(relative);
}

QString findTool(const char* name) {
    return QStandardPaths::findExecutable(
        QLatin1String(name), {QStringLiteral("/usr/bin"), QStringLiteral("/bin"),
                              QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                              QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/local/sbin")});
}

// Runs a program in a session of its own; when it outlives the limit, the whole session (the
// X server and the program under test with it) is killed, so nothing is left behind.
int runSession(const QString& program, const QStringList& args, int limitMs, QString* out) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setChildProcessModifier([] { ::setsid(); });
    p.start(program, args);
    if (!p.waitForStarted(10000)) return -1;
    const pid_t session = static_cast<pid_t>(p.processId());
    const bool finished = p.waitForFinished(limitMs);
    if (!finished) {
        ::kill(-session, SIGTERM);
        if (!p.waitForFinished(3000)) ::kill(-session, SIGKILL);
        p.waitForFinished(3000);
    }
    // What the session started may still be on its way out (an X server told to end).
    QElapsedTimer t;
    t.start();
    while (::kill(-session, 0) == 0 && t.elapsed() < 5000)
        QThread::msleep(50);
    if (::kill(-session, 0) == 0) ::kill(-session, SIGKILL);
    if (out) *out = QString::fromUtf8(p.readAll());
    if (!finished) return -2;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

int run(const QString& program, const QStringList& args, QString* out = nullptr) {
    return runSession(program, args, 60000, out);
}

bool red(QRgb c) {
    return qRed(c) > 160 && qGreen(c) < 110 && qBlue(c) < 110;
}
bool dark(QRgb c) {
    return qGray(c) < 128;
}
int count(const QImage& img, const QRect& area, bool (*test)(QRgb)) {
    int n = 0;
    const QRect a = area.intersected(img.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            n += test(img.pixel(x, y));
    return n;
}
// Pixels dark in one image and not in the other.
int difference(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            n += dark(a.pixel(x, y)) != dark(b.pixel(x, y));
    return n;
}

// Which 1 mm squares of the card hold ink. Comparing squares rather than pixels lets the PDF's
// rasteriser and the test's painter differ by a pixel along every thin stroke.
std::vector<bool> inkSquares(const QImage& img) {
    std::vector<bool> squares(100 * 148, false);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int sx = static_cast<int>(x / kPxPerMm), sy = static_cast<int>(y / kPxPerMm);
            if (sx < 100 && sy < 148 && dark(img.pixel(x, y))) squares[sy * 100 + sx] = true;
        }
    return squares;
}
// Squares inked in one card with no ink in the same or a neighbouring square of the other.
int squareDifference(const std::vector<bool>& a, const std::vector<bool>& b) {
    auto near = [](const std::vector<bool>& in, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx >= 0 && nx < 100 && ny >= 0 && ny < 148 && in[ny * 100 + nx]) return true;
            }
        return false;
    };
    int n = 0;
    for (int y = 0; y < 148; ++y)
        for (int x = 0; x < 100; ++x) {
            n += a[y * 100 + x] && !near(b, x, y);
            n += b[y * 100 + x] && !near(a, x, y);
        }
    return n;
}

// The settings file as KEY=VALUE lines, in order.
std::vector<std::string> iniLines(const QString& path) {
    std::vector<std::string> lines;
    const std::string bytes = readBytes(path);
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t end = bytes.find("\r\n", from);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

class WalkThrough : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xvfb-run", "Xvfb", "xauth", "xdotool", "xwd", "import", "cupsd",
                                 "lpadmin", "pdfinfo", "pdftoppm"})
            if (findTool(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
        rinova = QStringLiteral(RINOVA_BINARY_DIR "/app/rinova");
        ASSERT_TRUE(QFileInfo(rinova).isExecutable()) << "build the rinova target first";

        ASSERT_TRUE(work.isValid());
        exeDir = work.filePath(QStringLiteral("program"));
        outDir = work.filePath(QStringLiteral("pdf"));
        shots = QStringLiteral(RINOVA_BINARY_DIR "/walkthrough");
        QDir(shots).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(exeDir));
        ASSERT_TRUE(QFile::copy(rinova, QDir(exeDir).filePath(QStringLiteral("rinova"))));
        ASSERT_TRUE(QFile::copy(sourcePath("samples/addresses.csv"),
                                QDir(exeDir).filePath(QStringLiteral("addresses.csv"))));

        // A queue of this test's own, on postcard paper, started by hand.
        qputenv("RINOVA_CUPS_PIDFILE", work.filePath(QStringLiteral("cupsd.pid")).toLocal8Bit());
        queue = QStringLiteral("RinovaWalk_%1").arg(QCoreApplication::applicationPid());
        QString log;
        queueStarted = true; // whatever part of it came up goes again in TearDown
        ASSERT_EQ(
            run(QStringLiteral("bash"), {sourcePath("scripts/cups-start.sh"), queue, outDir}, &log),
            0)
            << qPrintable(log);
        ASSERT_EQ(run(QStringLiteral("lpadmin"),
                      {QStringLiteral("-p"), queue, QStringLiteral("-o"),
                       QStringLiteral("PageSize=Custom.100x148mm")},
                      &log),
                  0)
            << qPrintable(log);
    }

    void TearDown() override {
        if (queueStarted) run(QStringLiteral("bash"), {sourcePath("scripts/cups-stop.sh"), queue});
    }

    // The PDF the queue wrote, once it is complete; empty after the time limit.
    QString awaitPdf(int pages) const {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 90000) {
            const QFileInfoList files =
                QDir(outDir).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files);
            if (files.size() == 1) {
                QString info;
                const QString path = files[0].absoluteFilePath();
                if (run(QStringLiteral("pdfinfo"), {path}, &info) == 0 &&
                    info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))))
                    return path;
            }
            QThread::msleep(200);
        }
        return {};
    }

    QImage page(const QString& pdf, int n) const {
        const QString prefix = work.filePath(QStringLiteral("page%1").arg(n));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-f"), QString::number(n),
             QStringLiteral("-l"), QString::number(n), QStringLiteral("-singlefile"), pdf, prefix});
        return QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
    }

    // The card of a row as the renderer draws it for the printer, at the test's resolution.
    QImage reference(const card::CardInputs& in) const {
        QImage img(qRound(100 * kPxPerMm), qRound(148 * kPxPerMm), QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        surface::playNatural(card::renderCard(in), p, 0, 0, kPxPerMm, kPxPerMm);
        return img;
    }

    QTemporaryDir work;
    QString rinova, exeDir, outDir, shots, queue;
    bool queueStarted = false;
};

TEST_F(WalkThrough, OpenMoveSetUpPrintRowsTwoToSixAndQuit) {
    QElapsedTimer clock;
    clock.start();
    QString log;
    const int code =
        runSession(QStringLiteral("xvfb-run"),
                   {QStringLiteral("-a"), QStringLiteral("-s"),
                    QStringLiteral("-screen 0 1280x1024x24"), QStringLiteral("bash"),
                    sourcePath("tests/app/walkthrough.sh"), exeDir, shots, queue},
                   150000, &log);
    std::printf("%s(walk-through %lld ms)\n", qPrintable(log), clock.elapsed());
    ASSERT_EQ(code, 0) << "the walk-through stopped; screenshots in " << qPrintable(shots);

    // The settings file: the two offsets as they were changed, then what closing the settings
    // window stores, in its order; nothing else.
    const std::vector<std::string> want = {
        "[SET]",           "Edit1Value0=25",         "Edit2Value0=3",
        "FontName=0",      "SashiPrint=1",           "CardType=1",
        "SashiYuban3=100", "SashiYuban4=0001",       "SashiAdd1=",
        "SashiAdd2=",      "SashiName1=Rinova Taro", "SashiName2=" + sjis(u"見本花子"),
        "Bikou="};
    const QString ini = QDir(exeDir).filePath(QStringLiteral("rinova.ini"));
    EXPECT_EQ(iniLines(ini), want);

    // The screen: the preview followed the row (row 3, then row 5) with its red guides.
    const QImage row3(QDir(shots).filePath(QStringLiteral("03-row3.png")));
    const QImage row5(QDir(shots).filePath(QStringLiteral("04-row5.png")));
    ASSERT_FALSE(row3.isNull());
    ASSERT_EQ(row3.size(), row5.size());
    EXPECT_GT(count(row3, row3.rect(), red), 500);
    EXPECT_GT(difference(row3, row5), 2000);

    // The PDF: one job of five postcard pages without guides.
    const QString pdf = awaitPdf(5);
    ASSERT_FALSE(pdf.isEmpty()) << "no complete 5-page PDF came out of the queue";
    QString info;
    run(QStringLiteral("pdfinfo"), {pdf}, &info);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(size.hasMatch()) << qPrintable(info);
    EXPECT_NEAR(size.captured(1).toDouble() / 72 * 25.4, 100, 0.5);
    EXPECT_NEAR(size.captured(2).toDouble() / 72 * 25.4, 148, 0.5);

    // Each page against the cards the renderer makes from the file the program left: the page
    // is closest to its own row's card, drawn with the stored offsets and the sender block.
    addresses::AddressGrid grid;
    grid.importContent(readBytes(sourcePath("samples/addresses.csv")));
    ASSERT_EQ(grid.rowCountWithHeader(), 7);
    settings::SettingsModel stored(ini), none(work.filePath(QStringLiteral("none.ini")));
    stored.loadWithoutWriting();
    none.loadWithoutWriting();
    const settings::CardLayout layout = stored.layout(), baseLayout = none.layout();
    auto inputsFor = [&](int r, const settings::CardLayout& cardLayout) {
        card::CardInputs in = card::inputsForRow(grid, r, stored, card::Target::Printer);
        in.layout = cardLayout;
        return in;
    };

    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        const int row = n + 1;
        const QImage img = page(pdf, n);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(count(img, img.rect(), red), 0);
        EXPECT_GT(count(img, img.rect(), dark), 1000);

        const std::vector<bool> printed = inkSquares(img);
        auto distance = [&](const card::CardInputs& in) {
            return squareDifference(printed, inkSquares(reference(in)));
        };
        int best = 0, bestDiff = INT_MAX;
        for (int r = 1; r <= 6; ++r) {
            const int d = distance(inputsFor(r, layout));
            if (d < bestDiff) best = r, bestDiff = d;
        }
        EXPECT_EQ(best, row);
        std::printf("page %d: %d squares apart from row %d\n", n, bestDiff, best);
        EXPECT_LT(bestDiff, 20) << "squares where the page and its card differ";

        // Without the sender block, or without the typed offsets, the card is further off.
        card::CardInputs noSender = inputsFor(row, layout);
        noSender.printSender = false;
        const int withoutSender = distance(noSender);
        const int withoutOffsets = distance(inputsFor(row, baseLayout));
        std::printf("  without sender %d, without offsets %d\n", withoutSender, withoutOffsets);
        EXPECT_GT(withoutSender, bestDiff + 50);
        EXPECT_GT(withoutOffsets, bestDiff + 50);
    }
    std::printf("(walk-through and checks %lld ms)\n", clock.elapsed());
}

} // namespace
} // namespace rinova
