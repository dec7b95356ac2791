// The renderer core: records one postcard from an address row, the layout and the settings
// window's choices. Layout arithmetic follows 32-bit two's-complement rules throughout, so any
// stored offset gives a defined card.
#include "card/card_renderer.h"

#include "card/to_vertical_text.h"
#include "surface/recording_canvas.h"
#include "text/cp932.h"

#include <algorithm>
#include <cstdint>

namespace rinova::card {

const std::array<const char16_t*, 5> VerticalFaces = {
    u"@ＤＦ行書体", u"@ＭＳ 明朝", u"@ＭＳ ゴシック", u"@HG行書体", u"@HG創英角ﾎﾟｯﾌﾟ体",
};

namespace {

std::int32_t wrap32(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

std::int32_t wrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

std::int32_t wrapMul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

const std::string& honorific() {
    static const std::string bytes = text::fromUnicode(u" 様");
    return bytes;
}

// The faces as Shift-JIS, encoded once.
const std::array<std::string, 5>& faceBytes() {
    static const std::array<std::string, 5> faces = [] {
        std::array<std::string, 5> out;
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = text::fromUnicode(VerticalFaces[i]);
        return out;
    }();
    return faces;
}

surface::LogFont verticalFont(std::int32_t height, int faceIndex) {
    surface::LogFont f; // every other field stays zero
    f.height = height;
    f.escapement = 900;
    f.orientation = 900;
    f.charSet = surface::kShiftJisCharset;
    f.outPrecision = surface::kOutTtOnlyPrecis;
    f.clipPrecision = surface::kClipLhAngles;
    if (faceIndex >= 0 && faceIndex < static_cast<int>(VerticalFaces.size()))
        f.setFace(faceBytes()[static_cast<std::size_t>(faceIndex)]);
    return f;
}

// Draws a text one character at a time (a surrogate pair counts as one character); character i
// goes to x(i).
template <typename XOf>
void walkCharacters(surface::RecordingCanvas& canvas, const QString& s, std::int32_t y, XOf xOf) {
    std::int64_t i = 0;
    for (qsizetype pos = 0; pos < s.size(); ++i) {
        const qsizetype n =
            (s[pos].isHighSurrogate() && pos + 1 < s.size() && s[pos + 1].isLowSurrogate()) ? 2 : 1;
        canvas.textOut(xOf(i), y, s.mid(pos, n));
        pos += n;
    }
}

struct Guides {
    std::int32_t top, bottom;    // of the two sender postal-code boxes
    std::int32_t box1x1, box1x2; // first part
    std::array<std::int32_t, 2> lines1;
    std::int32_t box2x1, box2x2; // second part
    std::array<std::int32_t, 3> lines2;
};

constexpr Guides kNewYearGuides{-1219, -1283, 50, 171, {90, 130}, 180, 339, {221, 260, 300}};
constexpr Guides kPostcardGuides{-1363, -1429, 60, 181, {100, 140}, 190, 349, {231, 270, 310}};

void drawGuides(surface::RecordingCanvas& canvas, int cardType) {
    canvas.setPenColor(surface::kRed);
    static constexpr std::int32_t kPostalBoxes[7][4] = {
        {437, -110, 500, -195}, {508, -110, 569, -195}, {577, -110, 637, -195},
        {652, -111, 712, -194}, {720, -111, 780, -194}, {789, -111, 849, -194},
        {857, -111, 916, -194},
    };
    for (const auto& r : kPostalBoxes)
        canvas.rectangle(r[0], r[1], r[2], r[3]);
    if (cardType == 0) {
        canvas.moveTo(340, -1290);
        canvas.lineTo(730, -1290);
        canvas.lineTo(730, -1250);
        canvas.lineTo(1000, -1250);
    }
    const Guides& g = cardType == 0 ? kNewYearGuides : kPostcardGuides;
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

std::int32_t NameShift(std::size_t len1, std::size_t len2, std::int32_t size) {
    // Lengths are taken as 32-bit integers, their difference and its product with the size
    // wrap in 32 bits, and only then is the product halved, toward zero. Halving an int32
    // cannot overflow (INT32_MIN / 2 is representable).
    const std::int32_t diff = wrapSub(wrap32(static_cast<std::int64_t>(len1 & 0xFFFFFFFFu)),
                                      wrap32(static_cast<std::int64_t>(len2 & 0xFFFFFFFFu)));
    return wrapMul(diff, size) / 2;
}

surface::CardPicture renderCard(const CardInputs& in) {
    using settings::wrapAdd;
    const settings::CardLayout& L = in.layout;
    surface::RecordingCanvas canvas;

    if (in.target != Target::Printer) {
        canvas.setBrushColor(surface::kWhite);
        canvas.rectangle(0, 0, surface::CardPicture::kWidth, -surface::CardPicture::kHeight);
    }

    canvas.setFontHeight(70);
    canvas.setBrushClear();

    // Recipient postal code: the first three and the last four bytes around a blank, so that
    // 1234567 and 123-4567 fill the same seven boxes. A double-byte character cut in two leaves
    // a stray byte that decodes as U+FFFD.
    {
        const std::string& c = in.postalCode;
        const std::size_t head = std::min<std::size_t>(3, c.size());
        const std::size_t tail = std::min<std::size_t>(4, c.size());
        std::string p = c.substr(0, head);
        p += ' ';
        p += c.substr(c.size() - tail);
        walkCharacters(canvas, text::toUnicode(p), -122,
                       [](std::int64_t i) { return wrap32(i < 3 ? 455 + 70 * i : 385 + 70 * i); });
    }

    canvas.selectFont(verticalFont(L.AddressSize, in.faceIndex));
    canvas.textOut(L.Address1X, L.Address1Y, toVerticalText(text::toUnicode(in.address1)));
    canvas.textOut(L.Address2X, L.Address2Y, toVerticalText(text::toUnicode(in.address2)));

    canvas.selectFont(verticalFont(L.NameSize, in.faceIndex));
    if (!in.name1.empty())
        canvas.textOut(L.NameX, L.NameY, text::toUnicode(in.name1 + honorific()));

    if (in.printName2 && in.name2 != " ") {
        const QString n2 = toVerticalText(text::toUnicode(in.name2 + honorific()));
        if (n2 != QStringView(u" 様"))
            canvas.textOut(
                wrapSub(L.NameX, L.NameSize),
                wrapSub(L.NameY, NameShift(in.name1.size(), in.name2.size(), L.NameSize)), n2);
    }

    if (in.printSender) {
        const std::int32_t o = in.cardType == 0 ? 0 : -150;
        const auto& s = in.sender;
        canvas.selectFont(verticalFont(30, in.faceIndex));
        canvas.textOut(280, o - 600, text::toUnicode(s[2]));
        canvas.textOut(250, o - 800, text::toUnicode(s[3]));
        canvas.selectFont(verticalFont(22, in.faceIndex));
        canvas.textOut(70, o - 800, text::toUnicode(s[6]));
        canvas.selectFont(verticalFont(60, in.faceIndex));
        canvas.textOut(200, o - 800, text::toUnicode(s[4]));
        canvas.textOut(140, wrapSub(o - 800, NameShift(s[4].size(), s[5].size(), 60)),
                       text::toUnicode(s[5]));
        canvas.setFontHeight(40);
        const std::int64_t b1 = in.cardType == 0 ? 60 : 70;
        walkCharacters(canvas, text::toUnicode(s[0] + s[1]), o - 1230,
                       [&](std::int64_t i) { return wrap32(40 * i + (i < 3 ? b1 : b1 + 10)); });
    }

    if (in.target == Target::Preview) drawGuides(canvas, in.cardType);

    return canvas.takePicture();
}

} // namespace rinova::card
