// Where recorded shapes land when a card is played stretched or at natural size.
#include "drawing/playback.h"
#include "drawing/recording_canvas.h"

#include <QImage>
#include <QPainter>
#include <climits>
#include <gtest/gtest.h>

namespace rinova::drawing {
namespace {

constexpr QRgb kBlank = 0xFF808080;

QImage blankImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBlank);
    return image;
}

QImage stretched(const CardPicture& pic, int w, int h, int right, int bottom) {
    QImage image = blankImage(w, h);
    QPainter p(&image);
    playStretched(pic, p, 0, 0, right, bottom);
    return image;
}

// Column of x where a row's pixels change colour, left to right.
std::vector<int> edges(const QImage& image, int y) {
    std::vector<int> out;
    for (int x = 1; x < image.width(); ++x)
        if (image.pixel(x, y) != image.pixel(x - 1, y)) out.push_back(x);
    return out;
}

TEST(Playback, StretchedFrameCoversLeftTopToRightMinusOneBottomMinusOne) {
    // The preview box 105 wide is 155 high; the frame's corners land on pixels 0 and 104/154.
    RecordingCanvas c;
    c.moveTo(1000, 0);
    c.lineTo(1000, -1480); // right edge of the frame
    c.moveTo(0, -1480);
    c.lineTo(1000, -1480); // bottom edge
    const QImage image = stretched(c.picture(), 110, 160, 105, 155);
    EXPECT_EQ(image.pixel(104, 0), 0xFF000000);
    EXPECT_EQ(image.pixel(104, 153), 0xFF000000);
    EXPECT_EQ(image.pixel(0, 154), 0xFF000000);
    EXPECT_EQ(image.pixel(103, 154), 0xFF000000);
    // Line ends are not drawn, and nothing reaches right or bottom.
    EXPECT_EQ(image.pixel(104, 154), kBlank);
    for (int y = 0; y < 160; ++y)
        EXPECT_EQ(image.pixel(105, y), kBlank);
    for (int x = 0; x < 110; ++x)
        EXPECT_EQ(image.pixel(x, 155), kBlank);
}

TEST(Playback, RectangleOutlineAndFillLandOnPredictedPixels) {
    RecordingCanvas c;
    c.setPenColor(kRed);
    c.setBrushColor(0x0000FF);
    c.rectangle(100, -100, 500, -740);
    const QImage image = stretched(c.picture(), 105, 155, 105, 155);
    // x: 100 * 104 / 1000 = 10.4 -> 10, 500 -> 52; y: 100 * 154 / 1480 -> 10, 740 -> 77.
    // The right and bottom edges are left out: the outline is on 10 and 51, 10 and 76.
    EXPECT_EQ(edges(image, 40), (std::vector<int>{10, 11, 51, 52}));
    EXPECT_EQ(image.pixel(10, 40), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(51, 40), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(30, 40), 0xFF0000FFu);
    EXPECT_EQ(image.pixel(30, 9), kBlank);
    EXPECT_EQ(image.pixel(30, 10), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(30, 76), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(30, 77), kBlank);
}

TEST(Playback, ClearBrushLeavesRectangleUnfilledAndCornersInAnyOrder) {
    RecordingCanvas c;
    c.setBrushClear();
    c.rectangle(500, -740, 100, -100); // corners given bottom-right first
    const QImage image = stretched(c.picture(), 105, 155, 105, 155);
    EXPECT_EQ(edges(image, 40), (std::vector<int>{10, 11, 51, 52}));
    EXPECT_EQ(image.pixel(30, 40), kBlank);
    EXPECT_EQ(image.pixel(30, 10), 0xFF000000u);
}

TEST(Playback, BackgroundOfPreviewLeavesLastColumnAndRow) {
    // The white card background (0, 0)-(1000, -1480) as the renderer draws it.
    RecordingCanvas c;
    c.setBrushColor(kWhite);
    c.rectangle(0, 0, 1000, -1480);
    const QImage image = stretched(c.picture(), 250, 370, 250, 370);
    EXPECT_EQ(image.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(image.pixel(248, 368), 0xFF000000u);
    EXPECT_EQ(image.pixel(100, 100), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(249, 100), kBlank);
    EXPECT_EQ(image.pixel(100, 369), kBlank);
}

TEST(Playback, SteppedLineIsContinuousAndLeavesItsLastPoint) {
    RecordingCanvas c;
    c.setPenColor(kRed);
    c.moveTo(340, -1290);
    c.lineTo(730, -1290);
    c.lineTo(730, -1250);
    c.lineTo(1000, -1250);
    const CardMapping m(0, 0, 1000, 1480); // about one pixel per unit
    const QImage image = stretched(c.picture(), 1000, 1480, 1000, 1480);
    const int x340 = m.pixelX(340), x730 = m.pixelX(730), x1000 = m.pixelX(1000);
    const int y1290 = m.pixelY(-1290), y1250 = m.pixelY(-1250);
    for (int x = x340; x < x730; ++x)
        ASSERT_EQ(image.pixel(x, y1290), 0xFFFF0000u) << x;
    for (int y = y1290; y > y1250; --y)
        ASSERT_EQ(image.pixel(x730, y), 0xFFFF0000u) << y;
    for (int x = x730; x < x1000; ++x)
        ASSERT_EQ(image.pixel(x, y1250), 0xFFFF0000u) << x;
    EXPECT_EQ(image.pixel(x1000, y1250), kBlank);
    EXPECT_EQ(image.pixel(x340 - 1, y1290), kBlank);
}

TEST(Playback, NaturalSizeFollowsResolution) {
    EXPECT_EQ(naturalWidth(300 / 25.4), 1181);
    EXPECT_EQ(naturalHeight(300 / 25.4), 1748);
    EXPECT_EQ(naturalWidth(600 / 25.4), 2362);
    EXPECT_EQ(naturalHeight(600 / 25.4), 3496);
    EXPECT_EQ(naturalWidth(96 / 25.4), 378);
    EXPECT_EQ(naturalHeight(96 / 25.4), 559);

    // At (-100, -120), 300 dpi: the frame's right edge is on -100 + 1180 and its top on -120.
    RecordingCanvas c;
    c.moveTo(1000, 0);
    c.lineTo(1000, -1480);
    c.moveTo(0, -300);
    c.lineTo(1000, -300);
    QImage image = blankImage(1200, 1700);
    {
        QPainter p(&image);
        playNatural(c.picture(), p, -100, -120, 300 / 25.4, 300 / 25.4);
    }
    EXPECT_EQ(edges(image, 500), (std::vector<int>{1080, 1081}));
    // Card y -300 is 30 mm down: -120 + round(300 * 1747 / 1480) = -120 + 354.
    int inkRow = -1;
    for (int y = 0; y < 1700 && inkRow < 0; ++y)
        if (image.pixel(300, y) != kBlank) inkRow = y;
    EXPECT_EQ(inkRow, -120 + 354);
}

TEST(Playback, PenIsOneUnitButAtLeastOnePixel) {
    EXPECT_EQ(CardMapping(0, 0, 105, 155).penWidth(), 1);
    // 1200 dpi: one unit is 4.72 pixels.
    const int w = naturalWidth(1200 / 25.4), h = naturalHeight(1200 / 25.4);
    const CardMapping m(0, 0, w, h);
    EXPECT_EQ(m.penWidth(), 5);
    RecordingCanvas c;
    c.setBrushClear();
    c.rectangle(10, -10, 60, -60);
    QImage image = blankImage(400, 400);
    {
        QPainter p(&image);
        playStretched(c.picture(), p, 0, 0, w, h);
    }
    const int left = m.pixelX(10);
    const std::vector<int> e = edges(image, m.pixelY(-30));
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0], left - 2); // centred on the edge pixel
    EXPECT_EQ(e[1] - e[0], 5);
    EXPECT_EQ(e[3] - e[2], 5);
}

// Pixels of the image that are not blank outside `area`.
int paintedOutside(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += !area.contains(x, y) && image.pixel(x, y) != kBlank;
    return n;
}

TEST(Playback, WildCoordinatesAndTextsNeitherCrashNorPaintOutsideReason) {
    // Shapes and texts at the ends of the int range, fonts of absurd heights and broken UTF-16,
    // none of them near the card or drawable; then the card's frame, which must land as always.
    RecordingCanvas c;
    c.rectangle(INT_MAX - 10, INT_MIN + 10, INT_MAX, INT_MIN); // far right and below
    c.rectangle(INT_MIN, INT_MAX, INT_MIN + 10, INT_MAX - 10); // far left and above
    c.moveTo(INT_MIN, INT_MAX);
    c.lineTo(INT_MIN, INT_MIN); // far left, from far above to far below
    c.lineTo(INT_MAX, INT_MIN); // far below, from far left to far right
    c.lineTo(INT_MAX, INT_MAX); // far right
    LogFont f = defaultCanvasFont();
    f.height = 40;
    f.escapement = 900;
    c.selectFont(f);
    c.textOut(INT_MAX, INT_MIN, QStringLiteral(u"遠い"));
    c.textOut(INT_MIN, INT_MAX, QStringLiteral(u"遠い"));
    f.height = INT_MAX;
    c.selectFont(f);
    c.textOut(500, -740, QStringLiteral("huge"));
    f.height = INT_MIN;
    f.escapement = -2700;
    c.selectFont(f);
    c.textOut(500, -740, QString(QChar(0xD800)) + QChar(0xDFFF) + QStringLiteral("x"));
    c.setBrushClear();
    c.rectangle(0, 0, 1000, -1480);

    // Each playback into an image with a 20-pixel margin around the card's place.
    constexpr int M = 20;
    const struct {
        const char* name;
        int left, top, right, bottom;
    } boxes[] = {
        {"stretched", M, M, M + 105, M + 155},
        {"mirrored", M + 105, M + 155, M, M},
        {"empty", M + 5, M + 5, M + 5, M + 5},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.name);
        QImage image = blankImage(105 + 2 * M, 155 + 2 * M);
        {
            QPainter p(&image);
            playStretched(c.picture(), p, b.left, b.top, b.right, b.bottom);
        }
        const CardMapping m(b.left, b.top, b.right, b.bottom);
        const int x0 = m.pixelX(0), x1 = m.pixelX(1000), y0 = m.pixelY(0), y1 = m.pixelY(-1480);
        const QRect card(QPoint(std::min(x0, x1), std::min(y0, y1)),
                         QPoint(std::max(x0, x1), std::max(y0, y1)));
        EXPECT_EQ(paintedOutside(image, card), 0);
        if (card.width() > 2 && card.height() > 2) {
            // The frame's corners: nothing before it turned or moved the painter.
            EXPECT_EQ(image.pixel(card.left(), card.top()), 0xFF000000u);
            EXPECT_EQ(image.pixel(card.right() - 1, card.bottom() - 1), 0xFF000000u);
        }
    }

    // The whole card far off the target at an absurd resolution: nothing at all.
    QImage image = blankImage(105 + 2 * M, 155 + 2 * M);
    {
        QPainter p(&image);
        playNatural(c.picture(), p, INT_MAX, INT_MIN, 1e300, -1e300);
        playNatural(c.picture(), p, INT_MIN, INT_MAX, -1e300, 1e300);
    }
    EXPECT_EQ(paintedOutside(image, QRect()), 0);
}

} // namespace
} // namespace rinova::drawing
