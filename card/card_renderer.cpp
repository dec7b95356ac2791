// The renderer core: records one postcard from an address row, the layout and the settings
// window's choices. Layout arithmetic follows 32-bit two's-complement rules throughout, so any
// stored offset gives a defined card.
#include "card/card_renderer.h"

#include "card/card_geometry.h"
#include "card/postal_boxes.h"
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

void drawGuides(drawing::RecordingCanvas& canvas, int cardType) {
    canvas.setPenColor(drawing::kRed);
    drawRecipientBoxesAndLotteryLine(canvas, cardType);
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

void shiftPicture(drawing::CardPicture& picture, std::int32_t dx, std::int32_t dy) {
    if (dx == 0 && dy == 0) return;
    for (drawing::PictureOp& op : picture.ops)
        std::visit(
            [&](auto& o) {
                if constexpr (std::is_same_v<std::decay_t<decltype(o)>, drawing::TextOp>) {
                    o.x = wrapAdd(o.x, dx);
                    o.y = wrapAdd(o.y, dy);
                } else {
                    o.x1 = wrapAdd(o.x1, dx);
                    o.y1 = wrapAdd(o.y1, dy);
                    o.x2 = wrapAdd(o.x2, dx);
                    o.y2 = wrapAdd(o.y2, dy);
                }
            },
            op);
}

drawing::CardPicture renderCard(const CardInputs& in) {
    drawing::RecordingCanvas canvas;

    if (in.target != Target::Printer) {
        canvas.setBrushColor(drawing::kWhite);
        canvas.rectangle(0, 0, drawing::CardPicture::kWidth, -drawing::CardPicture::kHeight);
    }

    canvas.setFontHeight(70);
    canvas.setBrushClear();

    const bool onPaper = in.target == Target::Printer;
    drawRecipientCode(canvas, postalCharacters(in.postalCode), onPaper ? in.calibration.postalX : 0,
                      onPaper ? in.calibration.postalY : 0);

    const TextPlan plan = planTexts(in);
    for (const PlacedText& t : plan.recipient) {
        canvas.selectFont(verticalFont(t.height, in.faceIndex));
        canvas.textOut(t.x, t.y, t.text, t.advance, t.digitPairs);
    }

    if (in.printSender) {
        const auto& s = in.sender;
        for (const PlacedText& t : plan.sender) {
            canvas.selectFont(verticalFont(t.height, in.faceIndex));
            canvas.textOut(t.x, t.y, t.text, t.advance, t.digitPairs);
        }
        canvas.setFontHeight(40);
        drawSenderCode(canvas, text::toUnicode(s[0] + s[1]), in.cardType);
    }

    if (in.target == Target::Preview) drawGuides(canvas, in.cardType);

    drawing::CardPicture picture = canvas.takePicture();
    if (onPaper) shiftPicture(picture, in.calibration.cardX, in.calibration.cardY);
    return picture;
}

} // namespace rinova::card
