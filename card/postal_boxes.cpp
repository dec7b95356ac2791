#include "card/postal_boxes.h"

#include "card/wrap_int.h"
#include "drawing/fonts.h"
#include "drawing/text_ink.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace rinova::card {

namespace {

// Down from the cell's top to the middle of the digits' ink: one band for all of them, so that
// the digits of a code stand on one line whatever their shapes.
// Cards are drawn on one thread, as the faces' own cache assumes; a cache per thread would make
// the programs load the dynamic linker's thread storage for nothing.
double digitBandMiddle(const QString& face, std::int32_t height) {
    static std::map<std::pair<QString, std::int32_t>, double> cache;
    const auto key = std::make_pair(face, height);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    const QRectF band = drawing::lineInk(QStringLiteral("0123456789"), face, height);
    const double middle = band.isEmpty() ? height / 2.0 : band.center().y();
    return cache.emplace(key, middle).first->second;
}

// Across from the cell's left edge to the middle of a character's ink, or of its advance when
// it has none.
double inkMiddle(const QString& character, const QString& face, std::int32_t height) {
    static std::map<std::tuple<QString, std::int32_t, QString>, double> cache;
    const auto key = std::make_tuple(face, height, character);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    double advance = 0;
    const QRectF ink = drawing::lineInk(character, face, height, &advance);
    const double middle = ink.isEmpty() ? advance / 2 : ink.center().x();
    return cache.emplace(key, middle).first->second;
}

std::int32_t rounded(double v) {
    return wrap32(static_cast<std::int64_t>(std::llround(std::clamp(v, -1e9, 1e9))));
}

} // namespace

CellPlace placeInBox(const QString& character, const QString& face, std::int32_t height,
                     const Box& box) {
    const double middleX = (double(box.x1) + box.x2) / 2;
    const double middleY = (double(box.top) + box.bottom) / 2;
    return {rounded(middleX - inkMiddle(character, face, height)),
            rounded(middleY + digitBandMiddle(face, height))};
}

void drawInBoxes(drawing::RecordingCanvas& canvas, const std::vector<QString>& chars,
                 const std::array<Box, 7>& boxes, const std::vector<std::size_t>& boxOf,
                 std::int32_t dx, std::int32_t dy) {
    const QString face = drawing::faceOf(canvas.font());
    const std::int32_t height = canvas.font().height;
    for (std::size_t i = 0; i < chars.size() && i < boxOf.size(); ++i) {
        Box box = boxes[std::min(boxOf[i], boxes.size() - 1)];
        if (boxOf[i] >= boxes.size()) {
            const std::int64_t past =
                std::int64_t(boxOf[i] - boxes.size() + 1) * (std::int64_t(box.x2) - box.x1);
            box.x1 = wrap32(box.x1 + past);
            box.x2 = wrap32(box.x2 + past);
        }
        const CellPlace at = placeInBox(chars[i], face, height, box);
        canvas.textOut(wrapAdd(at.x, dx), wrapAdd(at.y, dy), chars[i]);
    }
}

std::vector<QString> splitCharacters(const QString& text) {
    std::vector<QString> out;
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype n =
            (text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate())
                ? 2
                : 1;
        out.push_back(text.mid(pos, n));
        pos += n;
    }
    return out;
}

void drawRecipientCode(drawing::RecordingCanvas& canvas, const QString& code, std::int32_t dx,
                       std::int32_t dy) {
    const std::vector<QString> c = splitCharacters(code);
    const std::size_t head = std::min<std::size_t>(3, c.size());
    const std::size_t tail = std::min<std::size_t>(4, c.size());
    std::vector<QString> p(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(head));
    p.push_back(QStringLiteral(" "));
    p.insert(p.end(), c.end() - static_cast<std::ptrdiff_t>(tail), c.end());
    std::vector<std::size_t> boxOf;
    for (std::size_t i = 0; i < p.size(); ++i)
        boxOf.push_back(i < 3 ? i : i - 1);
    drawInBoxes(canvas, p, kRecipientBoxes, boxOf, dx, dy);
}

void drawSenderCode(drawing::RecordingCanvas& canvas, const QString& code, int cardType) {
    const std::vector<QString> c = splitCharacters(code);
    std::vector<std::size_t> boxOf(c.size());
    for (std::size_t i = 0; i < boxOf.size(); ++i)
        boxOf[i] = i;
    drawInBoxes(canvas, c, senderCells(cardType), boxOf);
}

void drawRecipientBoxesAndLotteryLine(drawing::RecordingCanvas& canvas, int cardType) {
    for (const Box& b : kRecipientBoxes)
        canvas.rectangle(b.x1, b.top, b.x2, b.bottom);
    if (cardType == 0) {
        canvas.moveTo(kStepLeft, kStepLowY);
        canvas.lineTo(kStepX, kStepLowY);
        canvas.lineTo(kStepX, kStepHighY);
        canvas.lineTo(kStepRight, kStepHighY);
    }
}

} // namespace rinova::card
