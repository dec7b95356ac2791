// What fitting long texts costs a preview redraw (record and play into a 400 px wide preview):
// with fitting off and on, for a card whose texts fit as set and for one whose texts must be
// set tighter and smaller.
#include "card/card_renderer.h"
#include "drawing/playback.h"
#include "text/cp932.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

using namespace rinova;

card::CardInputs cardWith(bool longTexts, bool fit) {
    card::CardInputs in;
    in.name1 = text::fromUnicode(longTexts ? u"山田" : u"山田太郎");
    in.name2 = text::fromUnicode(longTexts ? u"Hanako" : u"花子");
    in.postalCode = "123-4567";
    in.address1 =
        text::fromUnicode(longTexts ? u"東京都架空区見本町一丁目二番三号見本ヒルズレジデンス"
                                    : u"東京都架空区見本町1-2-3");
    in.address2 =
        text::fromUnicode(longTexts ? u"見本タワー棟二十一階二一〇五号室" : u"コーポ見本101号");
    in.layout = settings::defaultLayout();
    in.printSender = true;
    in.faceIndex = 1;
    in.sender = {"100",
                 "0001",
                 text::fromUnicode(longTexts
                                       ? u"大阪府架空市北区見本町一丁目二番三号見本ハイツ二〇二"
                                       : u"大阪府架空市北区見本1-1"),
                 text::fromUnicode(u"ハイツ見本202"),
                 text::fromUnicode(u"見本次郎"),
                 text::fromUnicode(u"見本良子"),
                 text::fromUnicode(u"転居しました")};
    in.fitText = fit;
    return in;
}

constexpr int kWidth = 400;
constexpr int kHeight = kWidth * 148 / 100;

// range(0): 1 for the long card; range(1): 1 with fitting on.
void BM_PreviewRedraw(benchmark::State& state) {
    const card::CardInputs in = cardWith(state.range(0) != 0, state.range(1) != 0);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        drawing::playStretched(card::renderCard(in), painter, 0, 0, kWidth, kHeight);
    }
}
BENCHMARK(BM_PreviewRedraw)
    ->ArgNames({"long", "fit"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// A redraw after a click on another row: texts never laid out before (more rows than the
// shaping cache holds), so both fitting and playback shape them anew. range(0): fitting on.
void BM_PreviewRedrawOtherRow(benchmark::State& state) {
    constexpr int kRows = 5000;
    std::vector<card::CardInputs> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        card::CardInputs in = cardWith(false, state.range(0) != 0);
        const QString n = QString::number(i);
        in.address1 = text::fromUnicode(QStringLiteral(u"東京都架空区見本町%1-2-3").arg(n));
        in.address2 = text::fromUnicode(QStringLiteral(u"コーポ見本%1号").arg(n));
        in.name1 = text::fromUnicode(QStringLiteral(u"山田太郎%1").arg(QChar(u'あ' + i % 80)));
        in.name2 = text::fromUnicode(QStringLiteral(u"花子%1").arg(QChar(u'ア' + i % 80)));
        rows.push_back(std::move(in));
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    std::size_t i = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        drawing::playStretched(card::renderCard(rows[i++ % rows.size()]), painter, 0, 0, kWidth,
                               kHeight);
    }
}
BENCHMARK(BM_PreviewRedrawOtherRow)->ArgName("fit")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The recording alone: what fitting adds before anything is drawn.
void BM_Record(benchmark::State& state) {
    const card::CardInputs in = cardWith(state.range(0) != 0, state.range(1) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(card::renderCard(in));
}
BENCHMARK(BM_Record)
    ->ArgNames({"long", "fit"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
