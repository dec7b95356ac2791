#include "drawing/text_ink.h"

#include "drawing/vertical_text.h"

#include <QPainterPath>
#include <QRawFont>

namespace rinova::drawing {

QRectF lineInk(const QString& text, const QString& face, double height, double* advance) {
    // Laid out ten times larger than asked, so the outlines' boxes keep their fractions.
    constexpr double kScale = 10;
    const TextLayout line = layoutLine(text, face, height * kScale);
    if (advance) *advance = line.advance / kScale;
    QRectF ink;
    for (const GlyphRunPart& run : line.runs)
        for (qsizetype i = 0; i < run.glyphs.size() && i < run.positions.size(); ++i) {
            const QRectF glyph = run.font.pathForGlyph(run.glyphs[i]).boundingRect();
            if (glyph.isEmpty()) continue;
            ink |= glyph.translated(run.positions[i]);
        }
    if (ink.isEmpty()) return {};
    return QRectF(ink.topLeft() / kScale, ink.size() / kScale);
}

} // namespace rinova::drawing
