// The vertical column: where its ink falls, which glyphs it uses, and what it does with
// characters a face lacks, half-width runs and broken UTF-16.
#include "drawing/fonts.h"
#include "drawing/recording_canvas.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

namespace rinova::drawing {
namespace {

const QString kMincho = QStringLiteral(u"@ＭＳ 明朝");
const auto& kFaces = VerticalFaces;

struct Ink {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    bool any() const { return right >= 0; }
};

Ink inkIn(const QImage& image, QRect area) {
    Ink ink;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

QImage render(const TextLayout& layout, QSize size, QPointF at) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    drawLayout(p, layout, at);
    return image;
}

std::vector<quint32> glyphsOf(const TextLayout& layout) {
    std::vector<quint32> out;
    for (const GlyphRunPart& run : layout.runs)
        out.insert(out.end(), run.glyphs.begin(), run.glyphs.end());
    return out;
}

TEST(VerticalText, ColumnLiesLeftOfXWithinOneCellAndRunsDownFromY) {
    for (const char16_t* face : kFaces) {
        SCOPED_TRACE(QString::fromUtf16(face).toStdString());
        const double cell = 60;
        const TextLayout lay = layoutColumn(QStringLiteral(u"東京都（株）「様」、。ー山田太郎"),
                                            QString::fromUtf16(face), cell);
        EXPECT_DOUBLE_EQ(lay.advance, 16 * cell); // every full-width character one cell down
        const QImage image = render(lay, QSize(300, 1000), QPointF(200, 20));
        const Ink ink = inkIn(image, image.rect());
        ASSERT_TRUE(ink.any());
        EXPECT_GE(ink.left, 200 - 60 - 1);
        EXPECT_LE(ink.right, 200);
        EXPECT_GE(ink.top, 20);
        EXPECT_LE(ink.top, 20 + 20);
        EXPECT_GT(ink.bottom, 20 + 15 * 60);
        EXPECT_LE(ink.bottom, 20 + 16 * 60);
    }
}

TEST(VerticalText, TextOpOfAVerticalFontDrawsTheColumnAtTheCardPoint) {
    LogFont f;
    f.height = 100;
    f.escapement = f.orientation = 900;
    f.setFace(text::fromUnicode(u"@ＭＳ ゴシック"));
    TextOp op;
    op.text = QStringLiteral(u"山田");
    op.font = f;
    op.background = 0x00FF00;
    QImage image(200, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        drawTextOp(p, op, QPointF(150, 30), 0.5); // 50 px cell
    }
    const Ink ink = inkIn(image, image.rect());
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.right, 150);
    EXPECT_GE(ink.top, 30);
    EXPECT_LE(ink.bottom, 130);
    // The background fills exactly the column's cells.
    EXPECT_EQ(image.pixel(101, 31), 0xFF00FF00u);
    EXPECT_EQ(image.pixel(149, 129), 0xFF00FF00u);
    EXPECT_EQ(image.pixel(151, 60), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(120, 131), 0xFFFFFFFFu);
}

TEST(VerticalText, UprightTextStartsAtItsCellsTopLeft) {
    for (const char16_t* face : {u"ＭＳ Ｐゴシック", u"@ＭＳ 明朝", u""}) {
        TextOp op;
        op.text = QStringLiteral(u"〒123漢");
        op.font = defaultCanvasFont();
        op.font.setFace(text::fromUnicode(face));
        op.font.height = 80;
        QImage image(400, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            drawTextOp(p, op, QPointF(20, 50), 0.5); // 40 px cell
        }
        const Ink ink = inkIn(image, image.rect());
        ASSERT_TRUE(ink.any());
        EXPECT_GE(ink.left, 20);
        EXPECT_LE(ink.left, 26);
        EXPECT_GE(ink.top, 50);
        EXPECT_LE(ink.bottom, 90);
        EXPECT_GT(ink.right, 20 + 3 * 40); // a line, not a column
    }
}

// Fonts at the ends of the int range: a turn draws as its remainder of whole turns (3600 tenths
// of a degree) does; a cell of more pixels per em than FreeType takes draws nothing, as Qt would
// cache its glyphs as images of gigabytes, while large text below that limit is filled as
// outlines.
TEST(VerticalText, ExtremeTurnsAndHeightsDrawAsTheirRemainderOrNothing) {
    enum Drawn { LikeItsRemainder, Ink, Nothing };
    const struct {
        const char16_t *text, *face;
        std::int32_t escapement, height;
        QPointF reference; // at 0.5 px a unit
        Drawn drawn;
    } cases[] = {
        {u"あ", u"ＭＳ 明朝", INT32_MIN, 40, {30, 30}, LikeItsRemainder},
        {u"あ", u"ＭＳ 明朝", INT32_MAX, 40, {30, 30}, LikeItsRemainder},
        {u"■ab", u"@ＭＳ 明朝", 900, 4000, {1000, -970}, Ink}, // the square's middle
        {u"■ab", u"@ＭＳ 明朝", 900, 200000, {30, 30}, Nothing},
        {u"■ab", u"@ＭＳ 明朝", 900, INT32_MAX, {30, 30}, Nothing},
        {u"■ab", u"@ＭＳ 明朝", 900, INT32_MIN, {30, 30}, Nothing},
    };
    auto drawn = [](const TextOp& op, QPointF reference) {
        QImage image(60, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        drawTextOp(painter, op, reference, 0.5);
        return image;
    };
    auto painted = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != 0xFFFFFFFFu) return true;
        return false;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        SCOPED_TRACE(c.escapement);
        TextOp op;
        op.text = QString::fromUtf16(c.text);
        op.font.setFace(text::fromUnicode(c.face));
        op.font.escapement = c.escapement;
        op.font.height = c.height;
        const QImage image = drawn(op, c.reference);
        EXPECT_EQ(painted(image), c.drawn != Nothing);
        if (c.drawn != LikeItsRemainder) continue;
        op.font.escapement = c.escapement % 3600;
        EXPECT_EQ(image, drawn(op, c.reference));
    }
}

TEST(VerticalText, HalfWidthRunsAreTurnedClockwise) {
    const TextLayout lay = layoutColumn(QStringLiteral(u"L"), kMincho, 200);
    ASSERT_EQ(lay.runs.size(), 1u);
    EXPECT_TRUE(lay.runs[0].rotated);
    const QImage image = render(lay, QSize(400, 400), QPointF(300, 50));
    const Ink ink = inkIn(image, image.rect());
    ASSERT_TRUE(ink.any());
    // An L turned clockwise is a bar along the top with a leg down its left end.
    EXPECT_GT(ink.right - ink.left, ink.bottom - ink.top);
    const int midX = (ink.left + ink.right) / 2, midY = (ink.top + ink.bottom) / 2;
    EXPECT_TRUE(inkIn(image, QRect(QPoint(ink.left, ink.top), QPoint(midX, midY))).any());
    EXPECT_TRUE(inkIn(image, QRect(QPoint(midX, ink.top), QPoint(ink.right, midY))).any());
    EXPECT_TRUE(inkIn(image, QRect(QPoint(ink.left, midY + 2), QPoint(midX, ink.bottom))).any());
    EXPECT_FALSE(
        inkIn(image, QRect(QPoint(midX + 2, midY + 2), QPoint(ink.right, ink.bottom))).any());

    // Half-width text advances by its own widths; katakana and ASCII both turn.
    const TextLayout mixed = layoutColumn(QStringLiteral(u"山ｶﾀ AB山"), kMincho, 100);
    ASSERT_EQ(mixed.runs.size(), 3u);
    EXPECT_FALSE(mixed.runs[0].rotated);
    EXPECT_TRUE(mixed.runs[1].rotated);
    EXPECT_FALSE(mixed.runs[2].rotated);
    EXPECT_DOUBLE_EQ(mixed.runs[1].origin.y(), 100);
    EXPECT_DOUBLE_EQ(layoutColumn(QStringLiteral(u"ｶﾀ"), kMincho, 100).advance, 100);
    EXPECT_DOUBLE_EQ(mixed.advance,
                     200 + layoutColumn(QStringLiteral(u"ｶﾀ AB"), kMincho, 100).advance);
}

TEST(VerticalText, ColumnsUseTheFacesVerticalForms) {
    // Each of these has a vertical glyph of its own in the substitute faces.
    for (const char16_t* face : {u"@ＭＳ 明朝", u"@ＭＳ ゴシック", u"@HG創英角ﾎﾟｯﾌﾟ体"}) {
        for (const char16_t c : {u'ー', u'、', u'。', u'「', u'」', u'ぁ', u'っ', u'ャ', u'ョ'}) {
            SCOPED_TRACE(QString::fromUtf16(face).toStdString() + " " +
                         QString(QChar(c)).toStdString());
            const auto v = glyphsOf(layoutColumn(QString(QChar(c)), QString::fromUtf16(face), 50));
            const auto h = glyphsOf(layoutLine(QString(QChar(c)), QString::fromUtf16(face), 50));
            ASSERT_EQ(v.size(), 1u);
            ASSERT_EQ(h.size(), 1u);
            EXPECT_NE(v[0], h[0]);
            EXPECT_NE(v[0], 0u);
        }
    }
}

TEST(VerticalText, EveryDashStandsUprightInAFullCellOfEveryFace) {
    // Hyphens, minus signs, dashes, long-vowel marks and wave dashes between two kanji: each
    // stands as a stroke down its cell (two for the two-em dash), by the face's vertical glyph,
    // its turned horizontal one, or a bar where none of the faces has it (U+2053). A half-width
    // hyphen among full-width text takes a full cell; inside a half-width run it turns with it.
    const double cell = 100;
    const struct {
        char16_t c;
        int cells;
    } dashes[] = {{u'-', 1},      {u'\uFF0D', 1}, {u'\u2010', 1}, {u'\u2011', 1},
                  {u'\u2012', 1}, {u'\u2013', 1}, {u'\u2014', 1}, {u'\u2015', 1},
                  {u'\u2212', 1}, {u'\u30FC', 1}, {u'\u301C', 1}, {u'\uFF5E', 1},
                  {u'\u2500', 1}, {u'\u2501', 1}, {u'\u2E3A', 2}, {u'\u2053', 1}};
    for (const char16_t* face : kFaces) {
        for (const auto& d : dashes) {
            SCOPED_TRACE(QString::fromUtf16(face).toStdString() + " U+" +
                         QString::number(d.c, 16).toStdString());
            const TextLayout lay =
                layoutColumn(QStringLiteral(u"一") + QChar(d.c) + QStringLiteral(u"二"),
                             QString::fromUtf16(face), cell);
            EXPECT_NEAR(lay.advance, (2 + d.cells) * cell, 0.1 * cell);
            const QImage image = render(lay, QSize(300, 500), QPointF(200, 50));
            const Ink ink = inkIn(image, QRect(100, 50 + int(cell) + 2, 100, int(cell) - 4));
            ASSERT_TRUE(ink.any());
            EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left + 1));
            EXPECT_GT(ink.bottom - ink.top, cell / 4);
        }
    }
    const TextLayout run = layoutColumn(QStringLiteral(u"一1-2二"), kMincho, cell);
    ASSERT_EQ(run.runs.size(), 3u);
    EXPECT_TRUE(run.runs[1].rotated);
    EXPECT_LT(run.advance, 4 * cell);
}

TEST(VerticalText, NumbersOfOneOrTwoDigitsStandSideBySideInOneCell) {
    // 10 and 2 each fill one upright cell; 123 is no pair and turns as any half-width run; the
    // hyphen between pairs is a full-cell dash.
    const double cell = 100;
    for (const char16_t* face : kFaces) {
        SCOPED_TRACE(QString::fromUtf16(face).toStdString());
        const QString f = QString::fromUtf16(face);
        const QString text = QStringLiteral(u"一10-2番123");
        const TextLayout lay = layoutColumn(text, f, cell, 1, true);
        EXPECT_NEAR(lay.advance,
                    4 * cell + layoutColumn(QStringLiteral(u"－"), f, cell).advance +
                        layoutColumn(QStringLiteral("123"), f, cell).advance,
                    0.01);
        EXPECT_EQ(measureColumn(text, f, cell, 0, false, true).length, lay.advance);
        const QImage image = render(lay, QSize(300, 800), QPointF(200, 50));
        for (int i : {1, 3}) {
            SCOPED_TRACE(i);
            const int top = 50 + i * int(cell);
            const Ink ink = inkIn(image, QRect(90, top + 1, 120, int(cell) - 2));
            ASSERT_TRUE(ink.any());
            // Upright inside the column: taller than a turned digit is across, centred.
            EXPECT_GE(ink.left, 100);
            EXPECT_LE(ink.right, 200);
            EXPECT_GT(ink.bottom - ink.top, cell / 3);
            EXPECT_NEAR((ink.left + ink.right) / 2.0, 150, cell / 8);
        }
        // The two digits of 10 stand apart, side by side.
        const int top = 50 + int(cell);
        EXPECT_TRUE(inkIn(image, QRect(100, top, 50, int(cell))).any());
        EXPECT_TRUE(inkIn(image, QRect(150, top, 50, int(cell))).any());
        EXPECT_LT(inkIn(image, QRect(100, top, 100, int(cell))).right - 100, 100);
        // Without pairs every digit turns.
        EXPECT_LT(layoutColumn(text, f, cell).advance, lay.advance);
    }
}

TEST(VerticalText, CharactersAFaceLacksOrDrawsEmptyComeFromAFallbackFace) {
    const QString names = QStringLiteral(u"𠮷野髙橋﨑（）～");
    for (const char16_t* face : kFaces) {
        SCOPED_TRACE(QString::fromUtf16(face).toStdString());
        const double cell = 50;
        const TextLayout lay = layoutColumn(names, QString::fromUtf16(face), cell);
        for (quint32 g : glyphsOf(lay))
            EXPECT_NE(g, 0u);
        EXPECT_DOUBLE_EQ(lay.advance, 8 * cell);
        const QImage image = render(lay, QSize(100, 500), QPointF(80, 10));
        for (int i = 0; i < 8; ++i)
            EXPECT_TRUE(inkIn(image, QRect(25, 10 + int(i * cell), 60, int(cell))).any()) << i;
    }
    // 𠮷 is outside the BMP and missing from the brush face: its run names one of its fallbacks.
    const QString brush = QStringLiteral(u"@HG行書体");
    const TextLayout lay = layoutColumn(QStringLiteral(u"𠮷"), brush, 50);
    ASSERT_EQ(lay.runs.size(), 1u);
    const std::vector<Font>& fallbacks = fontSetFor(brush).fallbacks;
    EXPECT_TRUE(std::any_of(fallbacks.begin(), fallbacks.end(),
                            [&](const Font& f) { return f.family == lay.runs[0].family; }));
}

TEST(VerticalText, MarksAndVariationSelectorsStayWithTheirBase) {
    // Combining dakuten after a kana, an ideographic variation sequence, an accent on a letter.
    const QString text = QStringLiteral(u"か\u3099葛\U000E0100a\u0301");
    const TextLayout lay = layoutColumn(text, kMincho, 50);
    std::vector<int> clusters;
    for (const GlyphRunPart& run : lay.runs) {
        for (int c : run.clusters)
            clusters.push_back(c);
        if (run.rotated) { // the accent turns with its letter
            for (int c : run.clusters)
                EXPECT_GE(c, 5);
        }
    }
    for (int c : clusters)
        EXPECT_TRUE(c == 0 || c == 2 || c == 5) << c;
    EXPECT_NEAR(lay.advance, 2 * 50 + 50 * 0.5, 15);
}

// A layout that harms nothing: its numbers are finite, every glyph has a position and a cluster
// inside the text, and drawn at (x, y) its ink stays in the column's cells, give or take half a
// cell for marks that reach past their own.
void expectHarmlessColumn(const QString& text, const QString& face, double cell) {
    const TextLayout lay = layoutColumn(text, face, cell);
    ASSERT_TRUE(std::isfinite(lay.advance));
    EXPECT_GE(lay.advance, 0);
    for (const GlyphRunPart& run : lay.runs) {
        ASSERT_EQ(run.positions.size(), run.glyphs.size());
        ASSERT_EQ(run.clusters.size(), run.glyphs.size());
        EXPECT_TRUE(std::isfinite(run.origin.x()) && std::isfinite(run.origin.y()));
        for (const QPointF& p : run.positions)
            EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
        for (int c : run.clusters) {
            EXPECT_GE(c, 0);
            EXPECT_LT(c, text.size());
        }
    }
    const int x = int(3 * cell), y = int(2 * cell);
    const QImage image =
        render(lay, QSize(int(4 * cell), int(lay.advance + 4 * cell)), QPointF(x, y));
    const Ink ink = inkIn(image, image.rect());
    if (!ink.any()) return;
    EXPECT_GE(ink.left, x - 1.5 * cell);
    EXPECT_LE(ink.right, x + 0.5 * cell);
    EXPECT_GE(ink.top, y - 0.5 * cell);
    EXPECT_LE(ink.bottom, y + lay.advance + 0.5 * cell);
}

TEST(VerticalText, AnyUtf16IsLaidOutWithoutHarm) {
    QString broken;
    broken += QChar(0xD800); // lone high surrogate
    broken += QStringLiteral(u"山");
    broken += QChar(0xDC00); // lone low surrogate
    broken += QChar(0xFFFF);
    broken += QChar(u'\n');
    broken += QChar(u'\t');
    broken += QChar(0xD83D); // high surrogate at the end
    for (const QString& face : {kMincho, QString(), QStringLiteral("@")}) {
        SCOPED_TRACE(face.toStdString());
        expectHarmlessColumn(broken, face, 40);
        EXPECT_GE(layoutColumn(broken, face, 40).advance, 40); // 山 at least
    }
    QRandomGenerator rng(1234);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        QString noise;
        for (int i = 0; i < 40; ++i)
            noise += QChar(char16_t(rng.bounded(0x10000)));
        expectHarmlessColumn(noise, QString::fromUtf16(kFaces[round % 5]), 30);
    }
    // Cells no font engine can take give nothing to draw.
    for (double cell : {0.0, -5.0, 1e12, std::nan("")})
        EXPECT_TRUE(layoutColumn(QStringLiteral(u"山"), kMincho, cell).runs.empty()) << cell;
}

} // namespace
} // namespace rinova::drawing
