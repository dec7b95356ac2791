// Printing on a scheduler of the test's own: `rinova-cli print` uses the paper the queue's owner
// set and announces another one; a stopped job never reaches the queue; only printers that the
// print service lists are printed on.
#include "app/print_command.h"
#include "drawing/recording_canvas.h"
#include "printing/card_job.h"
#include "printing/paper.h"
#include "printing/printer_surface.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

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

// The card's corner lands on the sheet's corner to a hundredth of a millimetre: on a driver's
// postcard in whole points (283 x 420 pt), where the toolkit's page of 284 x 419 pt was centred
// 0.18 mm off, and on A4 with the driver's margins.
TEST(Queue, CardCornerLandsOnTheSheetCorner) {
    testing::PrivateScheduler cups(QStringLiteral("CornerQueue"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    drawing::RecordingCanvas canvas;
    canvas.setBrushColor(drawing::kBlack);
    // Squares of 2 mm with their centres at (11, 11) and (89, 137) mm.
    canvas.rectangle(100, -100, 120, -120);
    canvas.rectangle(880, -1360, 900, -1380);
    const drawing::CardPicture squares = canvas.takePicture();

    const struct {
        const char* paper;
        QSizeF sheet;
    } cases[] = {{"Custom.283x420", {283, 420}}, {"A4", {595, 842}}};
    int printed = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paper);
        ASSERT_EQ(testing::runProgram(u"lpadmin"_qs, {u"-p"_qs, cups.queue(), u"-o"_qs,
                                                      u"PageSize="_qs + QString::fromUtf8(c.paper)})
                      .exitCode,
                  0);
        printing::PrinterSurface surface(
            [&] { return printing::printerFor(QPrinterInfo::printerInfo(cups.queue())); });
        surface.beginDoc();
        surface.playCard(squares);
        surface.endDoc();
        const QStringList pdfs = cups.printedPdfs();
        ASSERT_EQ(pdfs.size(), ++printed);
        const QSizeF sheet = testing::pdfPageSizePt(pdfs.last());
        EXPECT_NEAR(sheet.width(), c.sheet.width(), 0.01);
        EXPECT_NEAR(sheet.height(), c.sheet.height(), 0.01);
        for (const QPointF centre : {QPointF(11, 11), QPointF(89, 137)}) {
            const std::optional<QPointF> ink = testing::pdfInkCentreMm(
                pdfs.last(), 1, QRectF(centre - QPointF(2, 2), QSizeF(4, 4)));
            ASSERT_TRUE(ink);
            EXPECT_NEAR(ink->x(), centre.x(), 0.03);
            EXPECT_NEAR(ink->y(), centre.y(), 0.03);
        }
    }
}

// A queue, or an instance of one, is printed on when the print service lists it, in any letter
// case; any other name is refused by name and nothing prints, whether rinova-cli is given it, it
// is the default destination, or a printer the program chose before has it. The toolkit alone
// takes a missing instance for its queue, and finds no default when LPDEST names an instance or
// a queue that has one.
TEST(Queue, OnlyPrintersThePrintServiceListsArePrintedOn) {
    testing::PrivateScheduler cups(QStringLiteral("NameQueue"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    ASSERT_TRUE(cups.addInstance(u"NameQueue/kept"_qs, {u"Collate=True"_qs}));
    QTemporaryDir work;
    const struct {
        const char* name;
        bool listed;
    } cases[] = {
        {"NameQueue", true},       {"NameQueue/kept", true}, {"namequeue/KEPT", true},
        {"NameQueue/gone", false}, {"NameQueue/", false},    {"NoQueue/kept", false},
    };
    int printed = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(printing::printerNamed(name).isNull(), !c.listed);

        for (const bool asDefault : {false, true}) {
            SCOPED_TRACE(asDefault ? "as the default" : "as --printer");
            QStringList args{QStringLiteral("print"),
                             QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/print_addresses.csv"),
                             QStringLiteral("--rows"),
                             QStringLiteral("2"),
                             QStringLiteral("--settings"),
                             work.filePath(QStringLiteral("none.ini"))};
            if (asDefault) {
                qputenv("LPDEST", name.toUtf8());
                EXPECT_EQ(printing::defaultPrinterInfo().isNull(), !c.listed);
            } else {
                args << QStringLiteral("--printer") << name;
            }
            const testing::CliRun r = testing::runCli(args);
            qputenv("LPDEST", cups.queue().toUtf8());
            const QString err = QString::fromUtf8(r.err);
            EXPECT_EQ(r.exitCode, c.listed ? 0 : 1) << err.toStdString();
            const QString refusal = asDefault
                                        ? u"デフォルト プリンタが存在しません"_qs
                                        : QStringLiteral("プリンタ %1 はありません").arg(name);
            EXPECT_EQ(err.contains(refusal), !c.listed) << err.toStdString();
            printed += c.listed;
            EXPECT_EQ(cups.printedPdfs().size(), printed);
        }

        // Of a name the toolkit knows nothing of, it makes no printer at all.
        if (QPrinterInfo::printerInfo(name).isNull()) continue;
        printing::PrinterSurface surface([&] {
            return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name),
                                              QPrinter::HighResolution);
        });
        QString refused;
        try {
            surface.beginDoc();
            surface.abortDoc();
        } catch (const text::Failure& f) {
            refused = f.message();
        }
        EXPECT_EQ(refused, c.listed ? QString() : u"選択したプリンタは有効ではありません"_qs);
    }
}

// The print service would take an instance removed while its job is drawn for its queue: the
// job is refused by name when it is handed over, and nothing prints.
TEST(Queue, AnInstanceRemovedDuringItsJobIsRefusedAndNothingPrints) {
    testing::PrivateScheduler cups(QStringLiteral("LateQueue"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    const QString instance = u"LateQueue/proof"_qs;
    ASSERT_TRUE(cups.addInstance(instance, {u"Collate=True"_qs}));
    printing::PrinterSurface surface(
        [&] { return printing::printerFor(printing::printerNamed(instance)); });
    printing::CardJob job;
    QString refused;
    try {
        job.run(surface, 1, 2, [&](int row) {
            if (row == 2) {
                EXPECT_TRUE(cups.removeInstance(instance));
            }
        });
    } catch (const text::Failure& f) {
        refused = f.message();
    }
    EXPECT_EQ(refused, u"印刷に失敗しました: プリンタ LateQueue/proof が見つかりません"_qs);
    EXPECT_TRUE(cups.printedPdfs().isEmpty());
}

} // namespace
} // namespace rinova
