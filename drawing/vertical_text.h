// Text layout of the card: vertical columns set top to bottom with the face's own vertical
// glyphs (HarfBuzz), half-width runs turned clockwise, fallback faces for characters a face
// lacks or draws empty; and upright lines set the same way from their cell's top-left.
// Glyphs are drawn from QRawFont::fromFont so that PDF output embeds the fonts.
#pragma once

#include "drawing/card_picture.h"

#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QVector>
#include <vector>

class QPainter;

namespace rinova::drawing {

// One run of glyphs from one font, all upright or all turned.
struct GlyphRunPart {
    QRawFont font;
    QString family;
    bool rotated = false; // turned 90 degrees clockwise (half-width text in a column)
    QVector<quint32> glyphs;
    // Upright runs: the glyphs' baseline origins, relative to the text's reference point.
    // Turned runs: positions along the run's own baseline, which starts at `origin`.
    QVector<QPointF> positions;
    QPointF origin;
    QVector<int> clusters; // per glyph: the UTF-16 index of the character it belongs to
};

struct TextLayout {
    std::vector<GlyphRunPart> runs;
    // Dashes no face stands upright, drawn as filled bars; relative to the reference point.
    std::vector<QRectF> bars;
    bool vertical = false;
    double cell = 0;    // across the line: the cell height (column width), pixels
    double advance = 0; // along the line, pixels
};

// One column whose top-right corner is the reference point; `cellPx` is the font height and
// the column width, in pixels. `pitch` scales how far each character's cell lies from the start
// (a tighter pitch below 1); glyphs keep their size. `advance` then runs to the end of the last
// character's cell. With `digitPairs` a number of one or two half-width digits stands upright
// in one cell, side by side (a longer one turns as any half-width run).
TextLayout layoutColumn(const QString& text, const QString& face, double cellPx, double pitch = 1.0,
                        bool digitPairs = false);
// One horizontal line whose cell's top-left corner is the reference point.
TextLayout layoutLine(const QString& text, const QString& face, double cellPx, double pitch = 1.0);

// A column's length and how far its pitch may tighten, in the units of `cellPx`.
struct ColumnMetrics {
    double length = 0;    // from the top to the end of the last character's cell, at pitch 1
    double lastStart = 0; // where the last character's cell starts, at pitch 1
    // The tightest pitch at which the inks of neighbouring characters stay `gap` apart; 1 when
    // they do not even at pitch 1, 0 for a text without two inked characters.
    double minPitch = 0;
    bool hasInk = false; // some character is not a blank
    double lengthAt(double pitch) const { return length - (1 - pitch) * lastStart; }
};
// Without `withPitch` the glyphs' inks are not looked at and minPitch is left at 1.
ColumnMetrics measureColumn(const QString& text, const QString& face, double cellPx, double gap,
                            bool withPitch = true, bool digitPairs = false);

// The cell height of a recorded text in card units: its font height, 40 for height 0.
double cellUnits(const TextOp& op);
// The recorded pitch as a share of the cell (1 when the op keeps the face's own).
double pitchOf(const TextOp& op);
// The y (card units, growing upward) where a column's last character cell ends: the column
// starts at y and runs `length` down; a rounding error of the length does not count.
std::int32_t columnEndAt(double y, double length);
std::int32_t columnEnd(const TextOp& op);

// Draws a layout with its reference point at `reference`, in the painter's current pen colour.
void drawLayout(QPainter& painter, const TextLayout& layout, QPointF reference);

// Draws a recorded text: `reference` is where the op's (x, y) falls on the painter and
// pxPerUnitY the height of one card unit there (glyphs keep their shape, so one scale sizes
// them). Vertical fonts (escapement 900 with an "@" or empty face) draw a column, other
// escapements turn the line about the reference point.
void drawTextOp(QPainter& painter, const TextOp& op, QPointF reference, double pxPerUnitY);

// Drops the cached fonts and shaping faces (tests and benchmarks measure cold starts with it).
void clearTextCaches();

} // namespace rinova::drawing
