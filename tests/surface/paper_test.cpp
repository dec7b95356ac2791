// Papers by their Japanese names, the postcard check before a job, and the order of a paper list.
#include "surface/paper.h"

#include <QSizeF>
#include <gtest/gtest.h>

namespace rinova {
namespace {

using surface::paperLabel;

QPageSize named(double w, double h, QPageSize::Unit unit, const char* printerName) {
    return QPageSize(QSizeF(w, h), unit, QString::fromLatin1(printerName));
}

TEST(Paper, NamesAreJapaneseWhereAJapaneseNameIsKnown) {
    const struct {
        QPageSize size;
        const char16_t* label;
    } cases[] = {
        {QPageSize(QPageSize::Postcard), u"はがき 100 × 148 mm"},
        // A spooler's postcard in whole points, under its own name.
        {named(283, 420, QPageSize::Point, "Postcard"), u"はがき 100 × 148 mm"},
        {QPageSize(QPageSize::DoublePostcard), u"往復はがき 200 × 148 mm"},
        {QPageSize(QPageSize::A4), u"A4 210 × 297 mm"},
        {named(182, 257, QPageSize::Millimeter, "B5 (JIS)"), u"B5 (JIS) 182 × 257 mm"},
        {QPageSize(QPageSize::EnvelopeChou3), u"長形3号 120 × 235 mm"},
        {QPageSize(QPageSize::EnvelopeKaku2), u"角形2号 240 × 332 mm"},
        {named(215.9, 279.4, QPageSize::Millimeter, "US Letter"), u"レター 215.9 × 279.4 mm"},
        {named(228.6, 304.8, QPageSize::Millimeter, "Arch A"), u"アーキテクト A 228.6 × 304.8 mm"},
        {named(104.8, 241.3, QPageSize::Millimeter, "Envelope #10"), u"封筒 #10 104.8 × 241.3 mm"},
        {named(8, 10, QPageSize::Inch, "8x10"), u"8 × 10 インチ 203.2 × 254 mm"},
        {QPageSize(QPageSize::Executive), u"エグゼクティブ (7.5 × 10 インチ) 190.5 × 254 mm"},
        // Codes read the same in Japanese.
        {named(859.7, 1219.9, QPageSize::Millimeter, "RA0"), u"RA0 859.7 × 1219.9 mm"},
        // A name with words that have no Japanese, and a size without a name.
        {named(123, 45, QPageSize::Millimeter, "Banner Strip"), u"ユーザー定義 123 × 45 mm"},
        {QPageSize(QSizeF(77, 66), QPageSize::Millimeter), u"ユーザー定義 77 × 66 mm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(paperLabel(c.size).toStdString(), QString::fromUtf16(c.label).toStdString());
}

TEST(Paper, AnyPageThatIsNotAPortraitPostcardIsAnnounced) {
    auto layout = [](const QPageSize& size, QPageLayout::Orientation o) {
        return QPageLayout(size, o, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    };
    const QPageSize postcard(QPageSize::Postcard);
    EXPECT_EQ(surface::paperNotice(layout(postcard, QPageLayout::Portrait)), QString());
    EXPECT_EQ(surface::paperNotice(
                  layout(named(283, 420, QPageSize::Point, "Postcard"), QPageLayout::Portrait)),
              QString());
    EXPECT_EQ(surface::paperNotice(layout(QPageSize(QPageSize::A4), QPageLayout::Portrait)),
              u"用紙が「A4 210 × 297 mm」に設定されています。\nはがき (100 × 148 mm) "
              u"ではありません"_qs);
    EXPECT_TRUE(surface::paperNotice(layout(postcard, QPageLayout::Landscape))
                    .startsWith(u"用紙が「はがき 100 × 148 mm (横向き)」"_qs));
    EXPECT_FALSE(
        surface::paperNotice(layout(QPageSize(QPageSize::A6), QPageLayout::Portrait)).isEmpty());
}

TEST(Paper, PostcardsComeFirstInAListAndTheRestKeepTheirOrder) {
    const QList<QPageSize> listed = surface::papersForList(
        {QPageSize(QPageSize::A4), QPageSize(QPageSize::DoublePostcard),
         QPageSize(QPageSize::Letter), named(283, 420, QPageSize::Point, "Postcard"),
         QPageSize(QPageSize::A5)});
    QStringList names;
    for (const QPageSize& size : listed)
        names << surface::japanesePaperName(size);
    EXPECT_EQ(names.join(u'|').toStdString(), "はがき|往復はがき|A4|レター / ANSI A|A5");
}

} // namespace
} // namespace rinova
