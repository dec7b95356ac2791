// Inputs the fuzz targets found trouble with, kept so the trouble stays away.
#include "surface/card_picture.h"
#include "surface/vertical_text.h"
#include "text/cp932.h"

#include <QImage>
#include <QPainter>
#include <climits>
#include <gtest/gtest.h>

namespace rinova::surface {
namespace {

QImage drawn(const TextOp& op) {
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawTextOp(painter, op, QPointF(30, 30), 0.5);
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

} // namespace
} // namespace rinova::surface
