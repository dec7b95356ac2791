#include "drawing/recording_canvas.h"

#include "drawing/fonts.h"
#include "text/cp932.h"

#include <algorithm>
#include <cstring>

namespace rinova::drawing {

std::string LogFont::face() const {
    const auto end = std::find(faceName.begin(), faceName.end(), '\0');
    return std::string(faceName.begin(), end);
}

void LogFont::setFace(const std::string& sjis) {
    faceName.fill('\0');
    std::memcpy(faceName.data(), sjis.data(), std::min<std::size_t>(sjis.size(), 31));
}

LogFont defaultCanvasFont() {
    LogFont f;
    f.height = 12; // replaced before the card draws text; any small size will do
    f.weight = 400;
    f.charSet = kShiftJisCharset;
    f.setFace(text::fromUnicode(DefaultFace));
    return f;
}

RecordingCanvas::RecordingCanvas() : font_(defaultCanvasFont()) {}

void RecordingCanvas::setFontHeight(std::int32_t height) {
    LogFont f;
    f.height = height;
    f.weight = font_.weight == 0 ? 400 : font_.weight;
    f.italic = font_.italic;
    f.underline = font_.underline;
    f.strikeOut = font_.strikeOut;
    f.charSet = font_.charSet;
    f.pitchAndFamily = font_.pitchAndFamily;
    f.faceName = font_.faceName;
    font_ = f;
}

void RecordingCanvas::selectFont(const LogFont& font) {
    font_ = font;
}

void RecordingCanvas::setBrushColor(Rgb color) {
    brush_ = color;
    brushClear_ = false;
}

void RecordingCanvas::setBrushClear() {
    brushClear_ = true;
}

void RecordingCanvas::setPenColor(Rgb color) {
    pen_ = color;
}

void RecordingCanvas::textOut(std::int32_t x, std::int32_t y, const QString& text,
                              std::int32_t advance, bool digitPairs) {
    TextOp op;
    op.advance = advance;
    op.digitPairs = digitPairs;
    op.x = x;
    op.y = y;
    op.text = text;
    op.font = font_;
    op.color = textColor_;
    if (!brushClear_) op.background = brush_;
    picture_.ops.emplace_back(std::move(op));
}

void RecordingCanvas::rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) {
    RectOp op{x1, y1, x2, y2, pen_, std::nullopt};
    if (!brushClear_) op.fill = brush_;
    picture_.ops.emplace_back(op);
}

void RecordingCanvas::moveTo(std::int32_t x, std::int32_t y) {
    penX_ = x;
    penY_ = y;
}

void RecordingCanvas::lineTo(std::int32_t x, std::int32_t y) {
    picture_.ops.emplace_back(LineOp{penX_, penY_, x, y, pen_});
    penX_ = x;
    penY_ = y;
}

} // namespace rinova::drawing
