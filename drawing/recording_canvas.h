// The canvas a card is recorded through. It keeps the state a drawing canvas has (font, pen,
// brush, current position) and turns every drawing call into a self-contained operation.
#pragma once

#include "drawing/card_picture.h"

namespace rinova::drawing {

// The face a new canvas starts with: "ＭＳ Ｐゴシック", Shift-JIS set.
LogFont defaultCanvasFont();

class RecordingCanvas {
public:
    RecordingCanvas();

    const LogFont& font() const { return font_; }
    // Keeps face, character set and weight; makes the font upright with default precisions.
    void setFontHeight(std::int32_t height);
    // Makes a font built from a record the current font.
    void selectFont(const LogFont& font);

    void setBrushColor(Rgb color); // also makes the brush solid
    void setBrushClear();
    void setPenColor(Rgb color);
    void setTextColor(Rgb color) { textColor_ = color; }

    // advance: the character pitch along the line in card units, 0 for the face's own;
    // digitPairs: see TextOp.
    void textOut(std::int32_t x, std::int32_t y, const QString& text, std::int32_t advance = 0,
                 bool digitPairs = false);
    void rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    void moveTo(std::int32_t x, std::int32_t y);
    void lineTo(std::int32_t x, std::int32_t y);

    const CardPicture& picture() const { return picture_; }
    CardPicture takePicture() { return std::move(picture_); }

private:
    LogFont font_;
    Rgb pen_ = kBlack;
    Rgb brush_ = kWhite;
    bool brushClear_ = false;
    Rgb textColor_ = kBlack;
    std::int32_t penX_ = 0, penY_ = 0;
    CardPicture picture_;
};

} // namespace rinova::drawing
