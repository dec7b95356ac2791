// A recorded character pitch: playback sets the cells closer, glyphs keep their size, the
// column's end follows, and the measured tightest pitch keeps neighbouring glyphs apart.
#include "drawing/fonts.h"
#include "drawing/vertical_text.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using namespace rinova::drawing;
using rinova::testing::sjis;

const auto& kFaces = VerticalFaces;

TextOp column(const QString& text, const char16_t* face, std::int32_t advance) {
    TextOp op;
    op.y = -10;
    op.text = text;
    op.font.height = 100;
    op.font.escapement = op.font.orientation = 900;
    op.font.setFace(sjis(face));
    op.advance = advance;
    return op;
}

// Which pixel rows of the column hold ink, drawn at one pixel per card unit.
std::vector<bool> inkRows(const TextOp& op) {
    QImage image(140, 1400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawTextOp(painter, op, QPointF(120, 10), 1.0);
    }
    std::vector<bool> rows(static_cast<std::size_t>(image.height()), false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() && !rows[y]; ++x)
            rows[y] = qGray(image.pixel(x, y)) < 160;
    return rows;
}

int lastInkRow(const std::vector<bool>& rows) {
    for (int y = int(rows.size()) - 1; y >= 0; --y)
        if (rows[y]) return y;
    return -1;
}

TEST(TextPitch, CellsComeCloserGlyphsKeepTheirSizeAndTheEndFollows) {
    const QString text = QStringLiteral(u"国国国国国");
    for (const char16_t* face : kFaces) {
        const TextOp set = column(text, face, 0), tight = column(text, face, 80);
        EXPECT_EQ(columnEnd(set), -10 - 500);
        EXPECT_EQ(columnEnd(tight), -10 - (4 * 80 + 100)) << "the last cell keeps its length";
        const auto setRows = inkRows(set), tightRows = inkRows(tight);
        EXPECT_NEAR(lastInkRow(setRows) - lastInkRow(tightRows), 4 * 20, 2);
        // The first glyph is where it was, with the same ink.
        for (int y = 0; y < 100; ++y)
            EXPECT_EQ(setRows[y], tightRows[y]) << "row " << y;
        const TextOp one = column(QStringLiteral(u"国"), face, 80);
        EXPECT_EQ(columnEnd(one), -110) << "a single cell has nothing to come closer to";
    }
}

TEST(TextPitch, AtTheTightestMeasuredPitchNeighbouringGlyphsStandApart) {
    const QString text = QStringLiteral(u"東京都架空区見本町一丁目ー番");
    for (const char16_t* face : kFaces) {
        const ColumnMetrics m = measureColumn(text, QString::fromUtf16(face), 100, 4);
        ASSERT_GT(m.minPitch, 0.5);
        ASSERT_LE(m.minPitch, 1.0);
        // Every other character drawn, the rest left blank: no row may hold ink of both.
        const auto apart = [&](double pitch) {
            QString odd = text, even = text;
            for (qsizetype i = 0; i < text.size(); ++i)
                (i % 2 ? even : odd)[i] = QChar(0x3000);
            const auto a = inkRows(column(odd, face, std::int32_t(std::ceil(pitch * 100))));
            const auto b = inkRows(column(even, face, std::int32_t(std::ceil(pitch * 100))));
            for (std::size_t y = 0; y < a.size(); ++y)
                if (a[y] && b[y]) return false;
            return true;
        };
        EXPECT_TRUE(apart(m.minPitch)) << QString::fromUtf16(face).toStdString();
        EXPECT_FALSE(apart(m.minPitch - 0.15)) << QString::fromUtf16(face).toStdString();
    }
}

} // namespace
