// The card picture: what one drawing of a card recorded, in card coordinates (0.1 mm, origin
// at the card's top-left corner, y growing upward). Plain data: playback, tests and the
// command-line listing all read the same operations.
#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace rinova::drawing {

// Font request in the form the card records it: the fields of a logical font record, with the
// face as a zero-padded 32-byte Shift-JIS field.
struct LogFont {
    std::int32_t height = 0; // positive: cell height in 0.1 mm
    std::int32_t width = 0;
    std::int32_t escapement = 0; // tenths of a degree; 900 means a vertical column
    std::int32_t orientation = 0;
    std::int32_t weight = 0; // 0: the face's own weight
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, 32> faceName{};

    // The face up to its first zero byte, as Shift-JIS bytes.
    std::string face() const;
    void setFace(const std::string& sjis); // copies at most 31 bytes, zero-pads the rest
    bool isVertical() const { return escapement == 900; }
    bool operator==(const LogFont&) const = default;
};

constexpr std::uint8_t kShiftJisCharset = 128;
constexpr std::uint8_t kOutTtOnlyPrecis = 7;
constexpr std::uint8_t kClipLhAngles = 16;

// Colours are kept as 0xRRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kRed = 0xFF0000;

// Each operation carries the canvas state it was drawn with, so it can be played or listed
// on its own.
struct TextOp {
    std::int32_t x = 0, y = 0; // top-left of the text cell (vertical: top-right of the column)
    QString text;
    LogFont font;
    Rgb color = kBlack;
    std::optional<Rgb> background; // empty: drawn without background
    // Card units from one full-width character cell to the next along the line; 0 keeps the
    // face's own (one cell). Texts fitted into their area are set tighter.
    std::int32_t advance = 0;
    // Numbers of one or two half-width digits stand side by side in one cell of a column.
    bool digitPairs = false;
    bool operator==(const TextOp&) const = default;
};

struct RectOp {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Rgb pen = kBlack;
    std::optional<Rgb> fill; // empty: outline only
    bool operator==(const RectOp&) const = default;
};

struct LineOp {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0; // from the current position to (x2, y2)
    Rgb pen = kBlack;
    bool operator==(const LineOp&) const = default;
};

using PictureOp = std::variant<TextOp, RectOp, LineOp>;

struct CardPicture {
    // The frame in 0.01 mm: 100 mm x 148 mm.
    static constexpr int kFrameWidth = 10000;
    static constexpr int kFrameHeight = 14800;
    // The same in card units (0.1 mm).
    static constexpr int kWidth = 1000;
    static constexpr int kHeight = 1480;

    std::vector<PictureOp> ops;
};

} // namespace rinova::drawing
