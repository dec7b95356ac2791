// Long texts fitted into their areas: where columns end, how they are compressed, what stays.
#include "card/card_renderer.h"
#include "card/column_breaks.h"
#include "card/text_fit.h"

#include "drawing/playback.h"
#include "drawing/vertical_text.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using namespace rinova;
using card::CardInputs;
using card::CardText;
using drawing::TextOp;
using rinova::testing::sjis;

struct Row {
    const char16_t *name1, *name2, *address1, *address2;
};

CardInputs card(const Row& r, int face, int cardType, bool sender) {
    CardInputs in;
    in.layout = settings::defaultLayout();
    in.name1 = sjis(r.name1);
    in.name2 = sjis(r.name2);
    in.address1 = sjis(r.address1);
    in.address2 = sjis(r.address2);
    in.faceIndex = face;
    in.cardType = cardType;
    in.printSender = sender;
    in.sender = {"100",
                 "0001",
                 sjis(u"大阪府架空市北区見本町一丁目二番三号見本ハイツ二〇二"),
                 sjis(u"見本ビル"),
                 sjis(u"見本次郎"),
                 sjis(u"見本良子見本良子見本"),
                 sjis(u"転居")};
    in.target = card::Target::Printer; // texts only: no outlined background, no guides
    return in;
}

std::vector<TextOp> columns(const drawing::CardPicture& p) {
    std::vector<TextOp> out;
    for (const auto& op : p.ops)
        if (const TextOp* t = std::get_if<TextOp>(&op); t && t->font.isVertical())
            out.push_back(*t);
    return out;
}

// The lowest a column [x - height, x] may end: the margin, the lottery area, the sender's boxes.
int limitOf(const TextOp& t, int cardType, bool senderBoxes) {
    const auto over = [&](int x1, int x2) { return t.x - t.font.height < x2 && t.x > x1; };
    int limit = -1430;
    if (cardType == 0 && over(340, 730)) limit = -1290;
    if (cardType == 0 && over(730, 1000)) limit = -1250;
    if (senderBoxes && over(cardType == 0 ? 50 : 60, cardType == 0 ? 339 : 349))
        limit = std::max(limit, cardType == 0 ? -1219 : -1363);
    return limit;
}

// Dark pixels below the margin or in the New Year card's lottery area, at 5 pixels per mm.
int inkOutside(const drawing::CardPicture& p, int cardType) {
    QImage image(drawing::naturalWidth(5), drawing::naturalHeight(5), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawing::playNatural(p, painter, 0, 0, 5, 5);
    }
    int stray = 0;
    for (int py = 0; py < image.height(); ++py)
        for (int px = 0; px < image.width(); ++px) {
            const double x = px * 2, y = -(py + 1) * 2;
            const bool lottery =
                cardType == 0 && ((x >= 340 && x < 730 && y < -1290) || (x >= 730 && y < -1250));
            stray += (y < -1430 || lottery) && qGray(image.pixel(px, py)) < 96;
        }
    return stray;
}

const Row kLong[] = {
    {u"山田太郎", u"花子", u"東京都架空区見本町一丁目二番三号見本ヒルズレジデンス",
     u"見本タワー棟二十一階二一〇五号室"},
    {u"山田", u"Hanako", u"北海道架空市中央区北一条西二丁目", u""},
    {u"見本", u"0123456789", u"東京都千代田区千代田1-1", u"コーポ見本"},
    {u"㈱見本商事　総務部", u"", u"大阪府架空市北区見本一丁目一番地の一", u"見本"},
    // Name 2 set far below the card by the byte lengths: fitted, it must still clear the
    // sender's boxes.
    {u"勅使河原健太郎健太郎", u"翔", u"北海道架空市見沼区大字見本字下ノ原三丁目四番地",
     u"見本ヒルズレジデンス見本タワー棟二十一階二一〇五号室"},
};

TEST(TextFit, LongTextsEndInsideTheirAreasInEveryFaceCardTypeAndSenderChoice) {
    for (const Row& row : kLong)
        for (int face = 0; face < 5; ++face)
            for (int type : {0, 1})
                for (bool sender : {false, true}) {
                    const CardInputs in = card(row, face, type, sender);
                    const std::string where = QString::fromUtf16(row.name1).toStdString() +
                                              " face " + std::to_string(face) + " type " +
                                              std::to_string(type) + " sender " +
                                              std::to_string(sender);
                    EXPECT_TRUE(card::textsFit(in)) << where;
                    const drawing::CardPicture picture = card::renderCard(in);
                    std::vector<TextOp> names;
                    for (const TextOp& t : columns(picture)) {
                        const bool recipient = t.x > 300, name = t.text.endsWith(u'様');
                        const int set = !recipient ? t.font.height : name ? 130 : 57;
                        EXPECT_GE(drawing::columnEnd(t), limitOf(t, type, sender && recipient))
                            << where << ": " << t.text.toStdString();
                        EXPECT_GE(2 * t.font.height, set) << where;
                        EXPECT_TRUE(t.advance == 0 || (t.advance < t.font.height &&
                                                       4 * t.advance >= 3 * t.font.height));
                        if (recipient && name) names.push_back(t);
                    }
                    ASSERT_FALSE(names.empty()) << where;
                    if (names.size() == 2) {
                        EXPECT_LE(names[1].y, -195) << where;
                        EXPECT_NEAR(drawing::columnEnd(names[0]), drawing::columnEnd(names[1]), 1)
                            << where << ": honorifics level";
                        EXPECT_EQ(names[1].x, names[0].x - names[0].font.height);
                    }
                    if (sender) {
                        EXPECT_EQ(inkOutside(picture, type), 0) << where;
                    }
                }
}

TEST(TextFit, TextsThatFitAreDrawnAsSet) {
    const Row fitting[] = {
        {u"佐藤一郎", u"", u"大阪府架空市中央区試験町", u""},
        {u"山田太郎", u"花子", u"東京都架空区見本町1-2-3", u"コーポ見本101号"},
    };
    for (const Row& row : fitting)
        for (int face = 0; face < 5; ++face)
            for (int type : {0, 1}) {
                CardInputs in = card(row, face, type, true);
                in.sender[2] = sjis(u"大阪府架空市北区見本1-1");
                in.sender[5] = sjis(u"良子");
                const auto fitted = card::renderCard(in).ops;
                in.fitText = false;
                EXPECT_EQ(fitted, card::renderCard(in).ops) << "face " << face;
            }
}

// The parts of one recipient text as the plan sets them.
std::vector<card::PlacedText> partsOf(const CardInputs& in, CardText which) {
    std::vector<card::PlacedText> out;
    for (const card::PlacedText& p : card::planTexts(in).recipient)
        if (p.which == which) out.push_back(p);
    return out;
}

TEST(TextFit, TighterPitchThenSmallerThenASecondColumnThenReportedAsUnfitted) {
    // Address 1 on an official postcard: 1200 units to the margin, 21 cells of 57. Longer, it is
    // set tighter, then smaller down to half its size, then goes on in a second column at
    // address 2's place (address 2 moving one place on), which shrinks down to 2.5 mm.
    std::int32_t lastAdvance = 57, lastHeight = 57;
    std::size_t lastColumns = 1;
    bool sizeReduced = false, gaveUp = false;
    for (int n = 21; n <= 100; ++n) {
        CardInputs in = card(kLong[0], 1, 1, false);
        in.address1 = sjis(std::u16string(std::size_t(n), u'国').c_str());
        const std::vector<card::PlacedText> a1 = partsOf(in, CardText::Address1);
        ASSERT_FALSE(a1.empty());
        if (!card::textsFit(in)) {
            EXPECT_GT(n, 60) << "real addresses run to 50 characters";
            EXPECT_EQ(card::unfittedTexts(in), std::vector<CardText>{CardText::Address1});
            EXPECT_EQ(a1.back().height, 25) << "drawn at the smallest readable size";
            gaveUp = true;
            continue;
        }
        EXPECT_FALSE(gaveUp) << n << " fits, a shorter text did not";
        EXPECT_GE(a1.size(), lastColumns) << n;
        if (a1.size() == 1) {
            EXPECT_GE(2 * a1[0].height, 57) << n;
        } else {
            ASSERT_EQ(a1.size(), 2u) << n;
            EXPECT_EQ(a1[0].text + a1[1].text, QString(n, u'国'));
            EXPECT_EQ(a1[1].y, -500) << "at address 2's place";
            EXPECT_EQ(a1[1].x, 830 - (57 - a1[1].height) / 2);
            EXPECT_GE(a1[1].height, 25);
            const std::vector<card::PlacedText> a2 = partsOf(in, CardText::Address2);
            ASSERT_EQ(a2.size(), 1u);
            EXPECT_EQ(a2[0].x, 730 - (57 - a2[0].height) / 2) << "one place on";
            if (lastColumns == 1) lastHeight = a1[0].height; // a new start
        }
        for (const TextOp& t : columns(card::renderCard(in)))
            EXPECT_GE(drawing::columnEnd(t), -1430) << n;
        for (const card::PlacedText& part : a1) {
            EXPECT_LE(part.height, lastHeight) << n;
            EXPECT_EQ(part.x,
                      (a1.size() == 1 || &part == &a1[0] ? 930 : 830) - (57 - part.height) / 2)
                << "keeps its centre line";
        }
        if (a1.size() == 1 && a1[0].height == 57) {
            EXPECT_FALSE(sizeReduced) << n << ": the size went back up";
            EXPECT_LE(a1[0].advance == 0 ? 57 : a1[0].advance, lastAdvance);
            EXPECT_EQ(a1[0].advance == 0, n == 21) << n;
            lastAdvance = a1[0].advance == 0 ? 57 : a1[0].advance;
        } else {
            sizeReduced = true;
        }
        lastHeight = a1.back().height;
        lastColumns = a1.size();
    }
    EXPECT_TRUE(sizeReduced && lastColumns == 2 && gaveUp);

    // Without fitting the texts are drawn as set and reported.
    CardInputs off = card(kLong[0], 1, 0, true);
    off.fitText = false;
    EXPECT_EQ(
        card::unfittedTexts(off),
        (std::vector<CardText>{CardText::Address1, CardText::Address2, CardText::SenderAddress1}));
}

TEST(TextFit, BlanksAroundCellsMoveNothing) {
    const CardInputs plain =
        card({u"佐藤一郎", u"花子", u"東京都千代田区", u"見本ビル"}, 1, 1, false);
    const CardInputs padded =
        card({u" 佐藤一郎　", u"　花子 ", u"  東京都千代田区　", u"見本ビル "}, 1, 1, false);
    EXPECT_EQ(card::renderCard(padded).ops, card::renderCard(plain).ops);
}

TEST(TextFit, PostalCodesGiveTheirDigitsWhateverTheirWidthAndSeparators) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"123-4567", u"1234567"},  {u"〒123-4567", u"1234567"},  {u"１００－０００５", u"1000005"},
        {u"123ー4567", u"1234567"}, {u"〒 060‐0001", u"0600001"}, {u"123―4567", u"1234567"},
        {u"600001", u"600001"},     {u"不明", u"不明"},
    };
    for (const auto& [cell, expected] : cases)
        EXPECT_EQ(card::postalCharacters(sjis(cell)), QString::fromUtf16(expected))
            << QString::fromUtf16(cell).toStdString();
}

struct Names {
    const char16_t *name1, *name2, *honorific;
    std::vector<const char16_t*> joint;
    bool givenAligned; // the joint names start where name 1's given name does
};

// Each recipient name's column (name 1, name 2, joint names): its parts in drawing order.
std::vector<std::vector<TextOp>> nameColumns(const CardInputs& in) {
    std::vector<std::vector<TextOp>> out;
    std::vector<CardText> of;
    const card::TextPlan plan = card::planTexts(in);
    for (const TextOp& t : columns(card::renderCard(in)))
        for (const card::PlacedText& p : plan.recipient)
            if (p.which != CardText::Address1 && p.which != CardText::Address2 && p.x == t.x &&
                p.y == t.y && p.text == t.text) {
                if (of.empty() || of.back() != p.which) {
                    of.push_back(p.which);
                    out.emplace_back();
                }
                out.back().push_back(t);
                break;
            }
    return out;
}

TEST(TextFit, OwnHonorificsAndJointNamesEndLevelOneColumnEachToTheLeft) {
    const Names cases[] = {
        {u"山田　太郎", u"", u"", {u"花子", u"一郎"}, true},
        {u"山田　太郎", u"花子", u"", {u"一郎"}, true},
        {u"山田太郎", u"鈴木花子", u"先生", {}, false},
        {u"株式会社見本商事　総務部", u"", u"御中", {}, false},
        {u"長谷川　健太郎", u"由紀恵由紀恵由紀恵", u"殿", {u"翔", u"絵梨香絵梨香絵梨香"}, true},
    };
    for (const Names& c : cases)
        for (int face = 0; face < 5; ++face)
            for (int type : {0, 1}) {
                CardInputs in = card({c.name1, c.name2, u"東京都港区芝公園四丁目二番八号", u""},
                                     face, type, true);
                in.honorific = sjis(c.honorific);
                for (const char16_t* j : c.joint)
                    in.jointNames.push_back(sjis(j));
                const QString where = QString::fromUtf16(c.name1) +
                                      QStringLiteral(" face %1 type %2").arg(face).arg(type);
                SCOPED_TRACE(where.toStdString());
                const QString own =
                    *c.honorific ? QString::fromUtf16(c.honorific) : QStringLiteral("様");
                EXPECT_TRUE(card::textsFit(in));
                const drawing::CardPicture picture = card::renderCard(in);
                const auto names = nameColumns(in);
                const std::size_t count = 1 + (*c.name2 ? 1 : 0) + c.joint.size();
                ASSERT_EQ(names.size(), count);
                const int h = names[0].front().font.height;
                for (std::size_t k = 0; k < names.size(); ++k) {
                    EXPECT_EQ(names[k].front().x, names[0].front().x - int(k) * h) << k;
                    EXPECT_EQ(names[k].back().text, names[k].size() == 1
                                                        ? names[k].back().text
                                                        : QStringLiteral(" ") + own);
                    EXPECT_TRUE(names[k].back().text.endsWith(QStringLiteral(" ") + own)) << k;
                    EXPECT_NEAR(drawing::columnEnd(names[k].back()),
                                drawing::columnEnd(names[0].back()), 1)
                        << k << ": every honorific at one level";
                    EXPECT_GE(drawing::columnEnd(names[k].back()),
                              limitOf(names[k].back(), type, true));
                    if (k > 0) {
                        EXPECT_LE(names[k].front().y, -195) << k;
                    }
                    if (k > 0 && c.givenAligned) {
                        EXPECT_EQ(names[k].front().y, names[1].front().y) << k;
                    }
                }
                if (c.givenAligned) {
                    EXPECT_LT(names[1].front().y, names[0].front().y);
                }
                EXPECT_EQ(inkOutside(picture, type), 0);
            }
    // 様 spelt out draws the card as rows always were.
    CardInputs plain = card(kLong[0], 1, 0, false), spelt = plain;
    spelt.honorific = sjis(u" 様");
    EXPECT_EQ(card::renderCard(spelt).ops, card::renderCard(plain).ops);
}

TEST(TextFit, LinesBreakBeforeABuildingAtABlankAfterTheCityOrThePrefecture) {
    using card::BreakKind;
    struct Case {
        const char16_t* line;
        std::vector<std::pair<const char16_t*, BreakKind>> breaks; // the second column's start
    };
    const Case cases[] = {
        {u"東京都港区芝公園四丁目二番八号見本ヒルズ",
         {{u"見本ヒルズ", BreakKind::Building},
          {u"芝公園四丁目二番八号見本ヒルズ", BreakKind::Municipality},
          {u"港区芝公園四丁目二番八号見本ヒルズ", BreakKind::Prefecture}}},
        {u"東京都港区芝公園四－二－八　見本ビル五〇二号室",
         {{u"　見本ビル五〇二号室", BreakKind::Blank},
          {u"芝公園四－二－八　見本ビル五〇二号室", BreakKind::Municipality},
          {u"港区芝公園四－二－八　見本ビル五〇二号室", BreakKind::Prefecture}}},
        {u"北海道札幌市中央区北一条西二丁目",
         {{u"北一条西二丁目", BreakKind::Municipality},
          {u"札幌市中央区北一条西二丁目", BreakKind::Prefecture}}},
        {u"神奈川県足柄上郡開成町見本一二三",
         {{u"見本一二三", BreakKind::Municipality},
          {u"足柄上郡開成町見本一二三", BreakKind::Prefecture}}},
        {u"見本一二三号室", {}}, // a room number is no building's start
        {u"東京都", {}},         // two characters stay on either side
    };
    for (const Case& c : cases) {
        const QString line = QString::fromUtf16(c.line);
        std::vector<card::ColumnBreak> expected;
        for (const auto& [rest, kind] : c.breaks)
            expected.push_back({line.size() - QString::fromUtf16(rest).size(), kind});
        EXPECT_EQ(card::sensibleBreaks(line), expected) << line.toStdString();
    }
    const QString line = QStringLiteral("東京都　見本ビル");
    EXPECT_EQ(card::beforeBreak(line, 3) + u'|' + card::afterBreak(line, 3),
              QStringLiteral("東京都|見本ビル"));
    EXPECT_FALSE(card::isBreakable(QStringLiteral("見本𠮷田"), 3)) << "inside a surrogate pair";
}

} // namespace

// A name 2 without a name 1 is placed from name 2's own column; with the name size at the ends
// of the 32-bit range that must wrap as the layout does, not overflow.
TEST(TextFit, ALoneName2AtExtremeNameSizesIsDrawnAsSet) {
    for (const std::int32_t size : {INT32_MIN, INT32_MIN + 1, INT32_MAX, -130}) {
        SCOPED_TRACE(size);
        CardInputs in = ::card({u"", u"花子", u"東京都", u""}, 0, 0, false);
        in.layout.NameSize = size;
        const std::vector<TextOp> cols = columns(card::renderCard(in));
        const auto name2 = std::find_if(cols.begin(), cols.end(), [](const TextOp& t) {
            return t.text.contains(QStringLiteral("花子"));
        });
        ASSERT_NE(name2, cols.end());
        EXPECT_EQ(name2->x, std::int32_t(std::uint32_t(580) - std::uint32_t(size)));
    }
}
