// A full card (address lines, two names, sender block): recording alone, playback alone into
// a 400 px wide preview, and both, as every preview redraw does them.
#include "card/card_renderer.h"
#include "drawing/playback.h"
#include "text/cp932.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

using namespace rinova;

card::CardInputs fullCard() {
    card::CardInputs in;
    in.name1 = text::fromUnicode(u"山田太郎");
    in.name2 = text::fromUnicode(u"花子");
    in.postalCode = "123-4567";
    in.address1 = text::fromUnicode(u"東京都架空区見本町1-2-3");
    in.address2 = text::fromUnicode(u"コーポ見本101号");
    in.layout = settings::defaultLayout();
    in.printSender = true;
    in.cardType = 0;
    in.faceIndex = 1;
    in.sender = {"100",
                 "0001",
                 text::fromUnicode(u"大阪府架空市北区見本1-1"),
                 text::fromUnicode(u"ハイツ見本202"),
                 text::fromUnicode(u"見本次郎"),
                 text::fromUnicode(u"見本良子"),
                 text::fromUnicode(u"転居しました")};
    return in;
}

constexpr int kWidth = 400;
constexpr int kHeight = kWidth * 148 / 100;

void BM_Record(benchmark::State& state) {
    const card::CardInputs in = fullCard();
    for (auto _ : state)
        benchmark::DoNotOptimize(card::renderCard(in));
}
BENCHMARK(BM_Record)->Unit(benchmark::kMicrosecond);

void BM_Play(benchmark::State& state) {
    const drawing::CardPicture picture = card::renderCard(fullCard());
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        drawing::playStretched(picture, painter, 0, 0, kWidth, kHeight);
    }
}
BENCHMARK(BM_Play)->Unit(benchmark::kMicrosecond);

void BM_RecordAndPlay(benchmark::State& state) {
    const card::CardInputs in = fullCard();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        drawing::playStretched(card::renderCard(in), painter, 0, 0, kWidth, kHeight);
    }
}
BENCHMARK(BM_RecordAndPlay)->Unit(benchmark::kMicrosecond);

// Playback of the shapes alone (background and guides) against the whole card tells how much
// of the playback is text shaping and drawing.
void BM_PlayShapesOnly(benchmark::State& state) {
    drawing::CardPicture picture = card::renderCard(fullCard());
    std::erase_if(picture.ops, [](const drawing::PictureOp& op) {
        return std::holds_alternative<drawing::TextOp>(op);
    });
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        drawing::playStretched(picture, painter, 0, 0, kWidth, kHeight);
    }
}
BENCHMARK(BM_PlayShapesOnly)->Unit(benchmark::kMicrosecond);

} // namespace
