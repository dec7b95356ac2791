// The real program driven by real X events on its own display, printing to its own PDF queue:
// the settings file it leaves and the PDF it prints are then checked against what was done.
#include "addresses/address_grid.h"
#include "card/card_inputs.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

using testing::countPixels;
using testing::darkDifference;
using testing::isGuideRed;
using testing::readBytes;
using testing::runSession;
using testing::sjis;
using testing::xvfbRun;

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
        for (const char* tool :
             {"xvfb-run", "Xvfb", "xauth", "xdotool", "xwd", "import", "pdfinfo", "pdftoppm"})
            if (findTool(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
        RINOVA_REQUIRE_SCHEDULER(cups);
        // The queue takes postcards, as the user's printer would.
        const testing::CliRun paper = testing::runProgram(
            QStringLiteral("lpadmin"), {QStringLiteral("-p"), cups.queue(), QStringLiteral("-o"),
                                        QStringLiteral("PageSize=Custom.100x148mm")});
        ASSERT_EQ(paper.exitCode, 0) << paper.err.toStdString();

        rinova = QStringLiteral(RINOVA_BINARY_DIR "/app/rinova");
        ASSERT_TRUE(QFileInfo(rinova).isExecutable()) << "build the rinova target first";
        ASSERT_TRUE(work.isValid());
        exeDir = work.filePath(QStringLiteral("program"));
        // One folder per walk: the two may run at the same time.
        shots = QStringLiteral(RINOVA_BINARY_DIR "/walkthrough/") +
                QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir(shots).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(exeDir));
        ASSERT_TRUE(QFile::copy(rinova, QDir(exeDir).filePath(QStringLiteral("rinova"))));
        ASSERT_TRUE(QFile::copy(sourcePath("samples/addresses.csv"),
                                QDir(exeDir).filePath(QStringLiteral("addresses.csv"))));
    }

    // The walk-through script on a screen of its own; its output goes to `log`.
    int walk(QString* log) {
        return runSession(QStringLiteral("xvfb-run"),
                          xvfbRun({sourcePath("tests/app/walkthrough.sh"), exeDir, shots}), 150000,
                          log);
    }

    // The program prints to this scheduler's default queue: CUPS_SERVER reaches it through
    // xvfb-run and the walk-through script.
    testing::PrivateScheduler cups{QStringLiteral("RinovaWalk")};
    QTemporaryDir work;
    QString rinova, exeDir, shots;
};

// The same walk under a real window manager: the frame has the window's outer size and is
// centred (the script checks it), and every step still happens with frames around the windows.
TEST_F(WalkThrough, UnderAWindowManagerTheFrameIsCentredAndTheWalkStillWorks) {
    if (findTool("openbox").isEmpty())
        GTEST_SKIP() << "openbox is not installed (scripts/install-deps.sh installs it)";
    qputenv("WALK_WM", "openbox");
    QString log;
    const int code = walk(&log);
    qunsetenv("WALK_WM");
    std::printf("%s", qPrintable(log));
    ASSERT_EQ(code, 0) << "the walk-through stopped; screenshots in " << qPrintable(shots);
    EXPECT_TRUE(log.contains(QStringLiteral("frame 742x484 at 269,270 on 1280x1024")));
    EXPECT_EQ(cups.printedPdfs().size(), 1);
}

TEST_F(WalkThrough, OpenMoveSetUpPrintRowsTwoToSixAndQuit) {
    QElapsedTimer clock;
    clock.start();
    QString log;
    const int code = walk(&log);
    std::printf("%s(walk-through %lld ms)\n", qPrintable(log), clock.elapsed());
    ASSERT_EQ(code, 0) << "the walk-through stopped; screenshots in " << qPrintable(shots);

    // The settings file: the address file opened, the two offsets as they were changed, then
    // what closing the settings window stores, in its order; nothing else.
    const std::vector<std::string> want = {
        "[SET]",
        "LastFile=" + QDir(exeDir).filePath(QStringLiteral("addresses.csv")).toStdString(),
        "Edit1Value0=25",
        "Edit2Value0=3",
        "FontName=0",
        "SashiPrint=1",
        "CardType=1",
        "SashiYuban3=100",
        "SashiYuban4=0001",
        "SashiAdd1=",
        "SashiAdd2=",
        "SashiName1=Rinova Taro",
        "SashiName2=" + sjis(u"見本花子"),
        "Bikou="};
    const QString ini = QDir(exeDir).filePath(QStringLiteral("rinova.ini"));
    EXPECT_EQ(iniLines(ini), want);

    // The screen: the preview followed the row (row 3, then row 5) with its red guides.
    const QImage row3(QDir(shots).filePath(QStringLiteral("03-row3.png")));
    const QImage row5(QDir(shots).filePath(QStringLiteral("04-row5.png")));
    ASSERT_FALSE(row3.isNull());
    ASSERT_EQ(row3.size(), row5.size());
    EXPECT_GT(countPixels(row3, isGuideRed), 500);
    EXPECT_GT(darkDifference(row3, row5), 2000);

    // The PDF: one job of five postcard pages without guides.
    const QStringList pdfs = cups.printedPdfs();
    ASSERT_EQ(pdfs.size(), 1) << "one job, one PDF out of the queue";
    const QString pdf = pdfs[0];
    ASSERT_EQ(testing::pdfPageCount(pdf), 5);
    const QSizeF size = testing::pdfPageSizePt(pdf);
    EXPECT_NEAR(size.width() / 72 * 25.4, 100, 0.5);
    EXPECT_NEAR(size.height() / 72 * 25.4, 148, 0.5);

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
        const QImage img = testing::pdfPage(pdf, n, kDpi);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(countPixels(img, isGuideRed), 0);
        EXPECT_GT(countPixels(img, testing::isDark), 1000);

        auto distance = [&](const card::CardInputs& in) {
            return testing::inkSquareDifference(
                img, testing::cardImage(card::renderCard(in), kPxPerMm), kPxPerMm);
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
