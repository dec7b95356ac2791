// Text layout and playback of one recorded text with arbitrary UTF-16 (lone surrogates,
// combining marks, variation selectors, characters no face has) and arbitrary font records,
// drawn into a small image.
#include "card/card_renderer.h"
#include "drawing/card_picture.h"
#include "drawing/fonts.h"
#include "drawing/playback.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace rinova;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "vertical text: %s\n", what);
    std::abort();
}

std::int32_t pickHeight(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return 0;
    case 1:
        return in.ConsumeIntegralInRange<std::int32_t>(1, 400);
    case 2:
        return in.ConsumeIntegralInRange<std::int32_t>(-400, -1);
    case 3:
        return INT32_MAX;
    case 4:
        return INT32_MIN;
    default:
        return in.ConsumeIntegral<std::int32_t>();
    }
}

std::string pickFace(FuzzedDataProvider& in) {
    const int choice = in.ConsumeIntegralInRange(0, 7);
    if (choice < 5) return text::fromUnicode(drawing::VerticalFaces[choice]);
    if (choice == 5) return {};
    if (choice == 6) return "@";
    return in.ConsumeRandomLengthString(31);
}

void checkLayout(const drawing::TextLayout& lay, const QString& text) {
    if (!std::isfinite(lay.advance) || !std::isfinite(lay.cell) || lay.advance < 0)
        fail("a layout measure is not a finite size");
    for (const drawing::GlyphRunPart& run : lay.runs) {
        if (run.positions.size() != run.glyphs.size() || run.clusters.size() != run.glyphs.size())
            fail("a run's glyphs, positions and clusters differ in number");
        for (int c : run.clusters)
            if (c < 0 || c >= text.size()) fail("a cluster outside the text");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    drawing::TextOp op;
    op.font.height = pickHeight(in);
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        op.font.escapement = 900;
        break;
    case 1:
        op.font.escapement = 0;
        break;
    case 2:
        op.font.escapement = 2700;
        break;
    default:
        op.font.escapement = in.ConsumeIntegral<std::int32_t>();
        break;
    }
    op.font.orientation = op.font.escapement;
    op.font.charSet = drawing::kShiftJisCharset;
    op.font.setFace(pickFace(in));
    if (in.ConsumeBool()) op.background = in.ConsumeIntegral<std::uint32_t>() & 0xFFFFFF;
    op.color = in.ConsumeIntegral<std::uint32_t>() & 0xFFFFFF;
    op.digitPairs = in.ConsumeBool();
    op.x = in.ConsumeIntegralInRange<std::int32_t>(-200, 1200);
    op.y = in.ConsumeIntegralInRange<std::int32_t>(-1700, 200);
    const double cellPx = in.ConsumeIntegralInRange(1, 200) / 4.0;
    const std::vector<std::uint8_t> units = in.ConsumeRemainingBytes<std::uint8_t>();
    for (std::size_t i = 0; i + 1 < units.size(); i += 2)
        op.text.append(QChar(static_cast<char16_t>(units[i] | (units[i + 1] << 8))));

    const QString face = drawing::faceOf(op.font);
    checkLayout(drawing::layoutColumn(op.text, face, cellPx, 1, op.digitPairs), op.text);
    checkLayout(drawing::layoutLine(op.text, face, cellPx), op.text);

    QImage image(40, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawing::drawTextOp(painter, op, QPointF(20, 5), 0.04);
    }
    drawing::CardPicture picture;
    picture.ops.push_back(op);
    {
        QPainter painter(&image);
        drawing::playStretched(picture, painter, 0, 0, 40, 60);
    }
    return 0;
}
