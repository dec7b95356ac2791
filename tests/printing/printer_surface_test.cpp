// The printer surface on PDF printers: where a card lands on the sheet, the job's life cycle,
// and copies of a printer's settings.
#include "printing/printer_surface.h"
#include "tests/support/print_helpers.h"
#include "text/failure.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

using printing::PrinterSurface;

// A card whose only mark is its frame, outlined edge to edge.
drawing::CardPicture frameCard() {
    drawing::CardPicture picture;
    drawing::RectOp frame;
    frame.x1 = 0;
    frame.y1 = 0;
    frame.x2 = drawing::CardPicture::kWidth;
    frame.y2 = -drawing::CardPicture::kHeight;
    picture.ops.push_back(frame);
    return picture;
}

QString message(const std::function<void()>& f) {
    try {
        f();
    } catch (const rinova::text::Failure& e) {
        return e.message();
    }
    return {};
}

// 254 dpi: ten pixels a millimetre.
constexpr int kDpi = 254;

void expectCardAtSheetCorner(QPrinter* printer, const QString& path) {
    PrinterSurface s([printer] { return std::unique_ptr<QPrinter>(printer); });
    s.beginDoc();
    s.playCard(frameCard());
    s.endDoc();

    const QImage page = testing::pdfPage(path, 1, kDpi);
    ASSERT_FALSE(page.isNull());
    const QRect ink = testing::inkBox(page);
    // Corner on the sheet's corner, 100 x 148 mm, within 0.3 mm.
    EXPECT_NEAR(ink.left(), 0, 3);
    EXPECT_NEAR(ink.top(), 0, 3);
    EXPECT_NEAR(ink.width(), 1000, 3);
    EXPECT_NEAR(ink.height(), 1480, 3);
}

TEST(PrinterSurface, CardLandsOnTheSheetCornerWhateverTheMargins) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("margins.pdf"));
    auto printer = testing::pdfPrinter(path);
    {
        QPainter probe(printer.get());
        // 10 mm at 600 dpi is 236 px; PDF margins come in whole points.
        const QPoint offset = printing::physicalOffset(probe);
        EXPECT_NEAR(offset.x(), 236, 4);
        EXPECT_NEAR(offset.y(), 236, 4);
        probe.end();
    }
    expectCardAtSheetCorner(printer.release(), path);
}

TEST(PrinterSurface, CardLandsOnTheSheetCornerOnAFullPage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.pdf"));
    auto printer = testing::pdfPrinter(path);
    printer->setFullPage(true);
    {
        QPainter probe(printer.get());
        EXPECT_EQ(printing::physicalOffset(probe), QPoint(0, 0));
        probe.end();
    }
    expectCardAtSheetCorner(printer.release(), path);
}

TEST(PrinterSurface, OffsetOfAnyOtherDeviceIsZero) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_EQ(printing::physicalOffset(painter), QPoint(0, 0));
}

TEST(PrinterSurface, OneCanvasForTheWholeJob) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.pdf"));
    PrinterSurface s([&] { return testing::pdfPrinter(path); });
    EXPECT_FALSE(s.documentOpen());
    EXPECT_EQ(s.canvas(), nullptr);

    s.beginDoc();
    QPainter* canvas = s.canvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(s.isCanvas(canvas));
    EXPECT_EQ(s.pageNumber(), 1);
    EXPECT_EQ(message([&] { s.beginDoc(); }), QStringLiteral("印刷を開始できません"));
    // The open document keeps the printer it was begun on.
    s.setPrinter(testing::pdfPrinter(dir.filePath(QStringLiteral("other.pdf"))));
    s.newPage();
    s.newPage();
    EXPECT_EQ(s.canvas(), canvas);
    EXPECT_EQ(s.pageNumber(), 3);
    s.endDoc();

    EXPECT_FALSE(s.documentOpen());
    EXPECT_FALSE(s.isCanvas(canvas));
    EXPECT_EQ(testing::pdfPageCount(path), 3);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("other.pdf"))));
    // The job's document carries no name.
    EXPECT_EQ(s.printer().docName(), QString());
}

TEST(PrinterSurface, DroppedJobLeavesNoFileAndTheNextJobRuns) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.pdf"));
    PrinterSurface s([&] { return testing::pdfPrinter(path); });
    s.beginDoc();
    s.newPage();
    s.abortDoc();
    EXPECT_FALSE(s.documentOpen());
    EXPECT_FALSE(QFile::exists(path));
    s.abortDoc(); // nothing to drop

    s.beginDoc();
    s.endDoc();
    EXPECT_EQ(testing::pdfPageCount(path), 1);
}

TEST(PrinterSurface, NoDefaultPrinterIsSaidAndAskedAgainLater) {
    int asked = 0;
    PrinterSurface s([&]() -> std::unique_ptr<QPrinter> {
        ++asked;
        return nullptr;
    });
    EXPECT_EQ(message([&] { s.printer(); }), QStringLiteral("デフォルト プリンタが存在しません"));
    EXPECT_EQ(message([&] { s.beginDoc(); }), QStringLiteral("デフォルト プリンタが存在しません"));
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(s.documentOpen());
}

TEST(PrinterSurface, CopyKeepsEverythingTheDialogsChange) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("copy.pdf"));
    auto from = testing::pdfPrinter(path);
    from->setResolution(300);
    from->setPageLayout(QPageLayout(QPageSize(QPageSize::B5), QPageLayout::Landscape,
                                    QMarginsF(3, 4, 5, 6), QPageLayout::Millimeter));
    from->setCopyCount(4);
    from->setCollateCopies(false);
    from->setColorMode(QPrinter::GrayScale);
    from->setFullPage(true);
    from->setDocName(QStringLiteral("left over"));

    const auto to = printing::clonePrinter(*from);
    EXPECT_EQ(to->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(to->outputFileName(), path);
    EXPECT_EQ(to->resolution(), 300);
    EXPECT_TRUE(to->pageLayout().isEquivalentTo(from->pageLayout()));
    EXPECT_EQ(to->copyCount(), 4);
    EXPECT_FALSE(to->collateCopies());
    EXPECT_EQ(to->colorMode(), QPrinter::GrayScale);
    EXPECT_TRUE(to->fullPage());
    EXPECT_EQ(to->docName(), QString());
}

TEST(PrinterSurface, SpoolerGetsCopiesPaperAndOrientation) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(),
                                      QPageLayout::Millimeter));
    printer.setCopyCount(3);
    printer.setCollateCopies(true);
    printer.setDuplex(QPrinter::DuplexNone);
    auto options = [&] {
        QStringList out;
        for (const auto& [name, value] : printing::spoolerOptions(printer))
            out << name + u'=' + value;
        return out;
    };
    const QStringList all = options();
    EXPECT_TRUE(all.contains(QStringLiteral("media=A5"))) << qPrintable(all.join(u' '));
    EXPECT_TRUE(all.contains(QStringLiteral("copies=3")));
    EXPECT_TRUE(all.contains(QStringLiteral("Collate=True")));
    EXPECT_TRUE(all.contains(QStringLiteral("landscape=true")));

    printer.setCopyCount(1);
    printer.setPageOrientation(QPageLayout::Portrait);
    const QString single = options().join(u' ');
    EXPECT_FALSE(single.contains(QStringLiteral("copies")));
    EXPECT_FALSE(single.contains(QStringLiteral("landscape")));
}

} // namespace
} // namespace rinova
