// Inputs the fuzz targets found trouble with, kept so the trouble stays away.
#include "drawing/card_picture.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <QImage>
#include <QPainter>
#include <climits>
#include <gtest/gtest.h>

namespace rinova::drawing {
namespace {

QImage drawn(const TextOp& op, QPointF reference = QPointF(30, 30)) {
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawTextOp(painter, op, reference, 0.5);
    return image;
}

bool hasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
    return false;
}

// The turn of an upright line was negated in 32 bits: INT32_MIN overflowed.
TEST(SurfaceFuzzRegressions, EscapementAtTheInt32ExtremesTurnsLikeItsRemainder) {
    TextOp op;
    op.text = QStringLiteral("あ");
    op.font.height = 40;
    op.font.setFace(text::fromUnicode(u"ＭＳ 明朝"));
    for (std::int32_t escapement : {INT32_MIN, INT32_MAX}) {
        op.font.escapement = escapement;
        const QImage extreme = drawn(op);
        EXPECT_TRUE(hasInk(extreme)) << escapement;
        // A whole number of turns more or less draws the same (3600 tenths of a degree).
        op.font.escapement = escapement % 3600;
        EXPECT_EQ(extreme, drawn(op)) << escapement;
    }
}

// A cell of more pixels per em than FreeType takes left the raw font without a size, and Qt then
// cached its glyphs as images of gigabytes. Such text draws nothing; large text below that
// limit is filled as outlines.
TEST(SurfaceFuzzRegressions, HugeTextDrawsOutlinesOrNothingWithoutHugeGlyphImages) {
    TextOp op;
    op.text = QStringLiteral("■ab");
    op.font.escapement = 900;
    op.font.setFace(text::fromUnicode(u"@ＭＳ 明朝"));
    op.font.height = 4000; // 2000 pixels at half a pixel per unit: the square's middle
    EXPECT_TRUE(hasInk(drawn(op, QPointF(1000, -970))));
    for (std::int32_t height : {200000, INT32_MAX, INT32_MIN}) {
        op.font.height = height;
        EXPECT_FALSE(hasInk(drawn(op))) << height;
    }
}

} // namespace
} // namespace rinova::drawing
