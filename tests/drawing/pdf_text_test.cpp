// Cards written to PDF keep their glyphs as text in embedded fonts at every size, so a print job
// of hundreds of cards stays small and fast.
#include "drawing/vertical_text.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace rinova::drawing {
namespace {

// Every content stream of the PDF, inflated.
QByteArray inflatedStreams(const QByteArray& pdf) {
    QByteArray all;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream", at)) >= 0) {
        qsizetype start = pdf.indexOf('\n', at) + 1;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (start <= 0 || end < 0) break;
        QByteArray packed = pdf.mid(start, end - start);
        // qUncompress wants zlib data behind a 4-byte size hint.
        packed.prepend(QByteArray("\x01\x00\x00\x00", 4));
        all += qUncompress(packed);
        at = end + 9;
    }
    return all;
}

} // namespace

TEST(PdfText, LargeVerticalTextStaysTextWithItsFontEmbedded) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&out);
        writer.setResolution(2540); // 0.01 mm a pixel: a 13 mm name is 1300 px tall
        QPainter p(&writer);
        p.setPen(Qt::black);
        drawLayout(p,
                   layoutColumn(QStringLiteral("山田太郎 様"), QStringLiteral("@ＭＳ 明朝"), 1300),
                   QPointF(5000, 1000));
    }
    const QByteArray pdf = out.data();
    const QByteArray content = inflatedStreams(pdf);
    EXPECT_TRUE(pdf.contains("/FontFile2"));
    EXPECT_GE(content.count("Tj"), 1);
    EXPECT_EQ(content.count(" c\n"), 0) << "glyphs were written as outlines";
}

} // namespace rinova::drawing
