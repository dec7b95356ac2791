// Vertical text and card playback at preview resolution (about 4 pixels per millimetre).
#include "drawing/playback.h"
#include "drawing/recording_canvas.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace rinova::drawing;

namespace {

LogFont vertical(int height, const char16_t* face = u"@ＭＳ 明朝") {
    LogFont f;
    f.height = height;
    f.escapement = f.orientation = 900;
    f.charSet = kShiftJisCharset;
    f.outPrecision = kOutTtOnlyPrecis;
    f.clipPrecision = kClipLhAngles;
    f.setFace(rinova::text::fromUnicode(face));
    return f;
}

void drawColumn(benchmark::State& state) {
    QImage image(400, 592, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TextOp op;
    op.text = QStringLiteral(u"東京都千代田区丸の内一丁目二番三号コーポ");
    op.font = vertical(70);
    const double scale = 591.0 / 1480; // 4 px per mm
    for (auto _ : state)
        drawTextOp(painter, op, QPointF(300, 40), scale);
}
BENCHMARK(drawColumn);

void layoutOnly(benchmark::State& state) {
    const QString text = QStringLiteral(u"東京都千代田区丸の内一丁目二番三号コーポ");
    const QString face = QStringLiteral(u"@ＭＳ 明朝");
    for (auto _ : state)
        benchmark::DoNotOptimize(layoutColumn(text, face, 28));
}
BENCHMARK(layoutOnly);

CardPicture wholeCard() {
    RecordingCanvas c;
    c.setBrushColor(kWhite);
    c.rectangle(0, 0, 1000, -1480);
    c.setFontHeight(70);
    c.setBrushClear();
    const QString postal = QStringLiteral("123 4567");
    for (int i = 0; i < postal.size(); ++i)
        c.textOut(i < 3 ? 455 + 70 * i : 385 + 70 * i, -122, postal.mid(i, 1));
    c.selectFont(vertical(70));
    c.textOut(850, -300, QStringLiteral(u"東京都千代田区丸の内一丁目二番三号"));
    c.textOut(770, -400, QStringLiteral(u"コーポ・サンシャイン一〇一号"));
    c.selectFont(vertical(130));
    c.textOut(560, -350, QStringLiteral(u"山田太郎 様"));
    c.textOut(430, -610, QStringLiteral(u"花子 様"));
    c.selectFont(vertical(30));
    c.textOut(280, -600, QStringLiteral(u"大阪府大阪市北区梅田一丁目"));
    c.textOut(250, -800, QStringLiteral(u"梅田ビル三階"));
    c.selectFont(vertical(22));
    c.textOut(70, -800, QStringLiteral(u"備考あり"));
    c.selectFont(vertical(60));
    c.textOut(200, -800, QStringLiteral(u"鈴木一郎"));
    c.textOut(140, -800, QStringLiteral(u"花子"));
    c.setFontHeight(40);
    const QString sender = QStringLiteral("5300001");
    for (int i = 0; i < sender.size(); ++i)
        c.textOut(40 * i + (i < 3 ? 60 : 70), -1230, sender.mid(i, 1));
    c.setPenColor(kRed);
    const int boxes[7][4] = {{437, -110, 500, -195}, {508, -110, 569, -195}, {577, -110, 637, -195},
                             {652, -111, 712, -194}, {720, -111, 780, -194}, {789, -111, 849, -194},
                             {857, -111, 916, -194}};
    for (const auto& b : boxes)
        c.rectangle(b[0], b[1], b[2], b[3]);
    c.moveTo(340, -1290);
    c.lineTo(730, -1290);
    c.lineTo(730, -1250);
    c.lineTo(1000, -1250);
    c.rectangle(50, -1219, 171, -1283);
    c.rectangle(180, -1219, 339, -1283);
    for (int x : {90, 130, 221, 260, 300}) {
        c.moveTo(x, -1219);
        c.lineTo(x, -1283);
    }
    return c.takePicture();
}

void playCard(benchmark::State& state) {
    const CardPicture card = wholeCard();
    QImage image(400, 592, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        playStretched(card, painter, 0, 0, 400, 592);
    }
    image.save(QStringLiteral("/tmp/bench_drawing_card.png"));
}
BENCHMARK(playCard);

void playCardCold(benchmark::State& state) {
    const CardPicture card = wholeCard();
    QImage image(400, 592, QImage::Format_RGB32);
    for (auto _ : state) {
        clearTextCaches();
        QPainter painter(&image);
        playStretched(card, painter, 0, 0, 400, 592);
    }
}
BENCHMARK(playCardCold);

} // namespace
