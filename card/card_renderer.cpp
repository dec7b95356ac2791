// The renderer core: records one postcard from an address row, the layout and the settings
// window's choices. Layout arithmetic follows 32-bit two's-complement rules throughout, so any
// stored offset gives a defined card.
#include "card/card_renderer.h"

#include "card/card_geometry.h"
#include "card/text_fit.h"
#include "card/wrap_int.h"
#include "drawing/fonts.h"
#include "drawing/recording_canvas.h"
#include "text/cp932.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace rinova::card {

namespace {

// The faces as Shift-JIS, encoded once.
const std::array<std::string, 5>& faceBytes() {
    static const std::array<std::string, 5> faces = [] {
        std::array<std::string, 5> out;
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = text::fromUnicode(drawing::VerticalFaces[i]);
        return out;
    }();
    return faces;
}

// Draws a text one character at a time (a surrogate pair counts as one character); character i
// goes to x(i).
template <typename XOf>
void walkCharacters(drawing::RecordingCanvas& canvas, const QString& s, std::int32_t y, XOf xOf) {
    std::int64_t i = 0;
    for (qsizetype pos = 0; pos < s.size(); ++i) {
        const qsizetype n =
            (s[pos].isHighSurrogate() && pos + 1 < s.size() && s[pos + 1].isLowSurrogate()) ? 2 : 1;
        canvas.textOut(xOf(i), y, s.mid(pos, n));
        pos += n;
    }
}

void drawGuides(drawing::RecordingCanvas& canvas, int cardType) {
    canvas.setPenColor(drawing::kRed);
    static constexpr std::int32_t kPostalBoxes[7][4] = {
        {437, -110, 500, -195}, {508, -110, 569, -195}, {577, -110, 637, -195},
        {652, -111, 712, -194}, {720, -111, 780, -194}, {789, -111, 849, -194},
        {857, -111, 916, -194},
    };
    for (const auto& r : kPostalBoxes)
        canvas.rectangle(r[0], r[1], r[2], r[3]);
    if (cardType == 0) {
        canvas.moveTo(kStepLeft, kStepLowY);
        canvas.lineTo(kStepX, kStepLowY);
        canvas.lineTo(kStepX, kStepHighY);
        canvas.lineTo(kStepRight, kStepHighY);
    }
    const SenderBoxes& g = senderBoxes(cardType);
    auto vline = [&](std::int32_t x) {
        canvas.moveTo(x, g.top);
        canvas.lineTo(x, g.bottom);
    };
    canvas.rectangle(g.box1x1, g.top, g.box1x2, g.bottom);
    for (std::int32_t x : g.lines1)
        vline(x);
    canvas.rectangle(g.box2x1, g.top, g.box2x2, g.bottom);
    for (std::int32_t x : g.lines2)
        vline(x);
}

// The characters of a text, a surrogate pair counting as one.
std::vector<QString> characters(const QString& s) {
    std::vector<QString> out;
    for (qsizetype pos = 0; pos < s.size();) {
        const qsizetype n =
            (s[pos].isHighSurrogate() && pos + 1 < s.size() && s[pos + 1].isLowSurrogate()) ? 2 : 1;
        out.push_back(s.mid(pos, n));
        pos += n;
    }
    return out;
}

} // namespace

drawing::LogFont verticalFont(std::int32_t height, int faceIndex) {
    drawing::LogFont f; // every other field stays zero
    f.height = height;
    f.escapement = 900;
    f.orientation = 900;
    f.charSet = drawing::kShiftJisCharset;
    f.outPrecision = drawing::kOutTtOnlyPrecis;
    f.clipPrecision = drawing::kClipLhAngles;
    if (faceIndex >= 0 && faceIndex < static_cast<int>(drawing::VerticalFaces.size()))
        f.setFace(faceBytes()[static_cast<std::size_t>(faceIndex)]);
    return f;
}

QString postalCharacters(std::string_view cell) {
    const QString u = text::toUnicode(cell);
    QString digits;
    for (const QChar c : u) {
        if (c >= u'0' && c <= u'9')
            digits += c;
        else if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            digits += QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return digits.isEmpty() ? u : digits;
}

std::int32_t NameShift(std::size_t len1, std::size_t len2, std::int32_t size) {
    // Lengths are taken as 32-bit integers, their difference and its product with the size
    // wrap in 32 bits, and only then is the product halved, toward zero. Halving an int32
    // cannot overflow (INT32_MIN / 2 is representable).
    const std::int32_t diff = wrapSub(wrap32(static_cast<std::int64_t>(len1 & 0xFFFFFFFFu)),
                                      wrap32(static_cast<std::int64_t>(len2 & 0xFFFFFFFFu)));
    return wrapMul(diff, size) / 2;
}

drawing::CardPicture renderCard(const CardInputs& in) {
    drawing::RecordingCanvas canvas;

    if (in.target != Target::Printer) {
        canvas.setBrushColor(drawing::kWhite);
        canvas.rectangle(0, 0, drawing::CardPicture::kWidth, -drawing::CardPicture::kHeight);
    }

    canvas.setFontHeight(70);
    canvas.setBrushClear();

    // Recipient postal code: the first three and the last four digits around a blank, so that
    // 1234567 and 123-4567 fill the same seven boxes. Fewer or more digits repeat or leave out
    // some, as the boxes can only show seven.
    {
        const std::vector<QString> c = characters(postalCharacters(in.postalCode));
        const std::size_t head = std::min<std::size_t>(3, c.size());
        const std::size_t tail = std::min<std::size_t>(4, c.size());
        QString p;
        for (std::size_t i = 0; i < head; ++i)
            p += c[i];
        p += u' ';
        for (std::size_t i = c.size() - tail; i < c.size(); ++i)
            p += c[i];
        walkCharacters(canvas, p, -122,
                       [](std::int64_t i) { return wrap32(i < 3 ? 455 + 70 * i : 385 + 70 * i); });
    }

    const TextPlan plan = planTexts(in);
    for (const PlacedText& t : plan.recipient) {
        canvas.selectFont(verticalFont(t.height, in.faceIndex));
        canvas.textOut(t.x, t.y, t.text, t.advance, t.digitPairs);
    }

    if (in.printSender) {
        const std::int32_t o = in.cardType == 0 ? 0 : -150;
        const auto& s = in.sender;
        for (const PlacedText& t : plan.sender) {
            canvas.selectFont(verticalFont(t.height, in.faceIndex));
            canvas.textOut(t.x, t.y, t.text, t.advance, t.digitPairs);
        }
        canvas.setFontHeight(40);
        const std::int64_t b1 = in.cardType == 0 ? 60 : 70;
        walkCharacters(canvas, text::toUnicode(s[0] + s[1]), o - 1230,
                       [&](std::int64_t i) { return wrap32(40 * i + (i < 3 ? b1 : b1 + 10)); });
    }

    if (in.target == Target::Preview) drawGuides(canvas, in.cardType);

    return canvas.takePicture();
}

} // namespace rinova::card
