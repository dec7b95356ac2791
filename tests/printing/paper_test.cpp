// Papers by their Japanese names, the postcard check before a job, and the order of a paper list.
#include "printing/paper.h"

#include <QSizeF>
#include <gtest/gtest.h>

namespace rinova {
namespace {

// A paper as a printer reports it: its size and its own name.
QPageSize paper(double w, double h, const char* name,
                QPageSize::Unit unit = QPageSize::Millimeter) {
    return QPageSize(QSizeF(w, h), unit, QString::fromLatin1(name));
}

TEST(Paper, NamesAreJapaneseWhereKnownAndListsStartWithPostcards) {
    const std::pair<QPageSize, const char*> cases[] = {
        {paper(283, 420, "Postcard", QPageSize::Point), "はがき 100 × 148 mm"},
        {QPageSize(QPageSize::DoublePostcard), "往復はがき 200 × 148 mm"},
        {paper(182, 257, "B5 (JIS)"), "B5 (JIS) 182 × 257 mm"},
        {QPageSize(QPageSize::EnvelopeChou3), "長形3号 120 × 235 mm"},
        {paper(215.9, 279.4, "US Letter"), "レター 215.9 × 279.4 mm"},
        {paper(228.6, 304.8, "Arch A"), "アーキテクト A 228.6 × 304.8 mm"},
        {paper(8, 10, "8x10", QPageSize::Inch), "8 × 10 インチ 203.2 × 254 mm"},
        {paper(859.7, 1219.9, "RA0"), "RA0 859.7 × 1219.9 mm"}, // a code reads the same
        {paper(123, 45, "Banner Strip"), "ユーザー定義 123 × 45 mm"},
    };
    for (const auto& [size, label] : cases)
        EXPECT_EQ(printing::paperLabel(size).toStdString(), label);

    QStringList order;
    for (const QPageSize& size : printing::papersForList(
             {QPageSize(QPageSize::A4), QPageSize(QPageSize::DoublePostcard),
              paper(215.9, 279.4, "US Letter"), QPageSize(QPageSize::Postcard)}))
        order << printing::japanesePaperName(size);
    EXPECT_EQ(order.join(u'|').toStdString(), "はがき|往復はがき|A4|レター");
}

TEST(Paper, AnyPageButAPortraitPostcardIsAnnounced) {
    auto notice = [](const QPageSize& size, QPageLayout::Orientation o) {
        return printing::paperNotice(QPageLayout(size, o, QMarginsF(5, 5, 5, 5))).toStdString();
    };
    EXPECT_EQ(notice(QPageSize(QPageSize::Postcard), QPageLayout::Portrait), "");
    EXPECT_EQ(notice(paper(283, 420, "Postcard", QPageSize::Point), QPageLayout::Portrait), "");
    EXPECT_EQ(
        notice(QPageSize(QPageSize::A4), QPageLayout::Portrait),
        "用紙が「A4 210 × 297 mm」に設定されています。\nはがき (100 × 148 mm) ではありません");
    EXPECT_EQ(notice(QPageSize(QPageSize::Postcard), QPageLayout::Landscape)
                  .rfind("用紙が「はがき 100 × 148 mm (横向き)」", 0),
              0u);
    EXPECT_NE(notice(QPageSize(QPageSize::A6), QPageLayout::Portrait), "");
}

} // namespace
} // namespace rinova
