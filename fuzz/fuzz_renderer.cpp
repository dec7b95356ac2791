// The renderer core with arbitrary cells, honorifics and joint names, sender texts, choices and
// layout values (32-bit extremes included) for every target, played into small images stretched and
// at natural size.
#include "card/card_renderer.h"
#include "drawing/playback.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <climits>
#include <cstdio>
#include <cstdlib>

using namespace rinova;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "renderer: %s\n", what);
    std::abort();
}

std::int32_t pickValue(FuzzedDataProvider& in, std::int32_t usual) {
    switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
        return usual;
    case 1:
        return usual + in.ConsumeIntegralInRange(-300, 300);
    case 2:
        return INT32_MAX;
    case 3:
        return INT32_MIN;
    case 4:
        return INT32_MAX - in.ConsumeIntegralInRange(0, 2000);
    case 5:
        return INT32_MIN + in.ConsumeIntegralInRange(0, 2000);
    default:
        return in.ConsumeIntegral<std::int32_t>();
    }
}

int pickChoice(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return in.ConsumeIntegralInRange(-1, 5);
    case 1:
        return INT_MIN;
    case 2:
        return INT_MAX;
    default:
        return in.ConsumeIntegral<int>();
    }
}

// RINOVA_FUZZ_DUMP=1 lists the recorded texts of each input, to see what a finding drew.
const bool dump = std::getenv("RINOVA_FUZZ_DUMP") != nullptr;

void dumpPicture(const drawing::CardPicture& picture) {
    for (const drawing::PictureOp& op : picture.ops)
        if (const auto* t = std::get_if<drawing::TextOp>(&op))
            std::fprintf(stderr, "text at (%d, %d) height %d escapement %d face \"%s\": %s\n", t->x,
                         t->y, t->font.height, t->font.escapement, t->font.face().c_str(),
                         t->text.toUtf8().constData());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    card::CardInputs c;
    settings::CardLayout& l = c.layout;
    const settings::CardLayout base = settings::defaultLayout();
    for (std::int32_t settings::CardLayout::*field :
         {&settings::CardLayout::NameSize, &settings::CardLayout::NameX,
          &settings::CardLayout::NameY, &settings::CardLayout::AddressSize,
          &settings::CardLayout::Address1X, &settings::CardLayout::Address1Y,
          &settings::CardLayout::Address2X, &settings::CardLayout::Address2Y})
        l.*field = pickValue(in, base.*field);
    c.printName2 = in.ConsumeBool();
    c.printSender = in.ConsumeBool();
    c.cardType = pickChoice(in);
    c.faceIndex = pickChoice(in);
    c.target = static_cast<card::Target>(in.ConsumeIntegralInRange(0, 2));
    c.numbers = static_cast<card::NumberStyle>(in.ConsumeIntegralInRange(0, 2));
    c.fitText = in.ConsumeBool();
    for (std::string* cell : {&c.name1, &c.name2, &c.postalCode, &c.address1, &c.address2})
        *cell = in.ConsumeRandomLengthString(64);
    for (std::string& s : c.sender)
        s = in.ConsumeRandomLengthString(64);
    // The row's own honorific and joint names (more than the two a row holds, too).
    c.honorific = in.ConsumeRandomLengthString(16);
    for (int k = in.ConsumeIntegralInRange(0, 3); k > 0; --k)
        c.jointNames.push_back(in.ConsumeRandomLengthString(32));

    const drawing::CardPicture picture = card::renderCard(c);
    if (dump) dumpPicture(picture);
    if (picture.ops.empty() && c.target != card::Target::Printer) fail("no background");

    QImage preview(30, 44, QImage::Format_ARGB32_Premultiplied);
    preview.fill(Qt::gray);
    {
        QPainter painter(&preview);
        drawing::playStretched(picture, painter, 0, 0, 30, 44);
    }
    // One pixel per millimetre, placed off the corner as a printer's margins would.
    QImage page(90, 140, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        drawing::playNatural(picture, painter, -4, -5, 1.0, 1.0);
    }
    return 0;
}
