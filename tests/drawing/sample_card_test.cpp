// Renders the sample card (seven test strings as columns, one page per vertical face) to PNG
// at 300 dpi and to PDF under the build folder, for the eye, and checks where the ink fell.
#include "drawing/fonts.h"
#include "drawing/playback.h"
#include "drawing/recording_canvas.h"
#include "text/cp932.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace rinova::drawing {
namespace {

const auto& kFaces = VerticalFaces;
const char16_t* const kStrings[] = {u"東京都千代田区一-二-三",
                                    u"コーポ・サンシャイン一〇一号",
                                    u"山田　太郎 様",
                                    u"（株）ジャパン「テスト」、です。",
                                    u"ぁぃぅぇぉっゃゅょァィゥッャュョ",
                                    u"ｶﾀｶﾅ ABC 123",
                                    u"長い―線ー～"};
constexpr int kCell = 70;
constexpr int kTop = -60;
int columnX(int i) {
    return 960 - 130 * i;
}

LogFont verticalFont(const char16_t* face, int height) {
    LogFont f;
    f.height = height;
    f.escapement = 900;
    f.orientation = 900;
    f.charSet = kShiftJisCharset;
    f.outPrecision = kOutTtOnlyPrecis;
    f.clipPrecision = kClipLhAngles;
    f.setFace(text::fromUnicode(face));
    return f;
}

CardPicture sampleCard(const char16_t* face) {
    RecordingCanvas canvas;
    canvas.setBrushColor(kWhite);
    canvas.rectangle(0, 0, 1000, -1480);
    canvas.setBrushClear();
    canvas.selectFont(verticalFont(face, kCell));
    for (int i = 0; i < 7; ++i)
        canvas.textOut(columnX(i), kTop, QString::fromUtf16(kStrings[i]));
    canvas.setFontHeight(40);
    canvas.textOut(40, -1400,
                   QString::fromUtf16(face).mid(1) + QStringLiteral(" → ") +
                       fontSetFor(QString::fromUtf16(face)).primary.family);
    return canvas.takePicture();
}

TEST(SampleCard, RendersEveryFaceToPngAndPdfWithEachColumnInItsPlace) {
    const QString dir = QStringLiteral(RINOVA_BINARY_DIR "/sample_cards");
    QDir().mkpath(dir);
    const double pxPerMm = 300 / 25.4;
    const int w = naturalWidth(pxPerMm), h = naturalHeight(pxPerMm);
    ASSERT_EQ(w, 1181);
    ASSERT_EQ(h, 1748);

    QPdfWriter pdf(dir + QStringLiteral("/sample_cards.pdf"));
    pdf.setPageSize(QPageSize(QSizeF(100, 148), QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(1200);
    QPainter pdfPainter(&pdf);

    for (int f = 0; f < 5; ++f) {
        SCOPED_TRACE(f);
        const CardPicture card = sampleCard(kFaces[f]);
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::gray);
        {
            QPainter p(&image);
            playNatural(card, p, 0, 0, pxPerMm, pxPerMm);
        }
        ASSERT_TRUE(image.save(dir + QStringLiteral("/face%1.png").arg(f)));

        if (f > 0) pdf.newPage();
        playNatural(card, pdfPainter, 0, 0, 1200 / 25.4, 1200 / 25.4);

        // Each column's ink lies left of its x, within one cell, below its top.
        const CardMapping map(0, 0, w, h);
        const int cellPx = static_cast<int>(std::lround(kCell * map.scaleX()));
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE(i);
            const int right = map.pixelX(columnX(i));
            const int top = map.pixelY(kTop);
            int inkLeft = w, inkRight = -1, inkTop = h;
            const int scanFrom = right - cellPx - 20, scanTo = right + 20;
            for (int y = 1; y < map.pixelY(-1300); ++y) // below the frame
                for (int x = scanFrom; x <= scanTo; ++x)
                    if (qGray(image.pixel(x, y)) < 128) {
                        inkLeft = std::min(inkLeft, x);
                        inkRight = std::max(inkRight, x);
                        inkTop = std::min(inkTop, y);
                    }
            ASSERT_GE(inkRight, 0) << "no ink";
            EXPECT_GE(inkLeft, right - cellPx - 2);
            EXPECT_LE(inkRight, right + 1);
            EXPECT_GE(inkTop, top);
            EXPECT_LE(inkTop, top + cellPx);
        }
    }
}

} // namespace
} // namespace rinova::drawing
