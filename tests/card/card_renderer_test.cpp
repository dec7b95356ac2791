// The recorded card: what is drawn, where, with which font, in which order.
#include "card/card_geometry.h"
#include "card/card_renderer.h"
#include "card/to_vertical_text.h"
#include "drawing/fonts.h"

#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace rinova;
using card::CardInputs;
using card::renderCard;
using card::Target;
using drawing::CardPicture;
using drawing::LineOp;
using drawing::RectOp;
using drawing::TextOp;
using rinova::testing::sjis;

CardInputs inputs() {
    CardInputs in;
    in.layout = settings::defaultLayout();
    return in;
}

template <typename Op> std::vector<Op> opsOf(const CardPicture& p) {
    std::vector<Op> out;
    for (const auto& op : p.ops)
        if (const Op* o = std::get_if<Op>(&op)) out.push_back(*o);
    return out;
}

std::vector<TextOp> textsAtY(const CardPicture& p, std::int32_t y) {
    std::vector<TextOp> out;
    for (const TextOp& t : opsOf<TextOp>(p))
        if (t.y == y) out.push_back(t);
    return out;
}

// The box a character's cell starts in (its ink is centred in the box, so the cell starts in
// the box's left part); -1 for none.
int boxAt(std::int32_t x, const std::array<card::Box, 7>& boxes) {
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (x >= boxes[i].x1 && x < boxes[i].x2) return static_cast<int>(i);
    return -1;
}

// The recipient's postal code: upright texts of height 70, as (box, text) pairs.
std::vector<std::pair<int, QString>> postal(const CardPicture& p) {
    std::vector<std::pair<int, QString>> out;
    for (const TextOp& t : opsOf<TextOp>(p))
        if (!t.font.isVertical() && t.font.height == 70)
            out.emplace_back(boxAt(t.x, card::kRecipientBoxes), t.text);
    return out;
}

const TextOp* findText(const CardPicture& p, const QString& text) {
    for (const auto& op : p.ops)
        if (const TextOp* t = std::get_if<TextOp>(&op); t && t->text == text) return t;
    return nullptr;
}

drawing::LogFont vertical(std::int32_t height, const char16_t* face) {
    drawing::LogFont f;
    f.height = height;
    f.escapement = 900;
    f.orientation = 900;
    f.charSet = 128;
    f.outPrecision = 7;
    f.clipPrecision = 16;
    f.setFace(sjis(face));
    return f;
}

using Pairs = std::vector<std::pair<int, QString>>;

TEST(CardRenderer, PreviewStartsWithWhiteBackgroundThenUprightPostalFont) {
    CardInputs in = inputs();
    in.postalCode = "1234567";
    const CardPicture p = renderCard(in);
    ASSERT_GE(p.ops.size(), 9u);
    const RectOp* bg = std::get_if<RectOp>(&p.ops[0]);
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(*bg, (RectOp{0, 0, 1000, -1480, drawing::kBlack, drawing::kWhite}));
    const TextOp* first = std::get_if<TextOp>(&p.ops[1]);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->font.height, 70);
    EXPECT_EQ(first->font.escapement, 0);
    EXPECT_EQ(first->font.face(), sjis(u"ＭＳ Ｐゴシック"));
    EXPECT_FALSE(first->background.has_value()) << "brush is clear from step 3 on";

    in.target = Target::Printer;
    const CardPicture printed = renderCard(in);
    ASSERT_FALSE(printed.ops.empty());
    EXPECT_TRUE(std::holds_alternative<TextOp>(printed.ops[0])) << "no background on paper";
    EXPECT_TRUE(opsOf<RectOp>(printed).empty());
    EXPECT_TRUE(opsOf<LineOp>(printed).empty());

    in.target = Target::Other;
    const CardPicture other = renderCard(in);
    EXPECT_EQ(opsOf<RectOp>(other).size(), 1u) << "background, no guides";
    EXPECT_TRUE(opsOf<LineOp>(other).empty());
}

TEST(CardRenderer, PostalCodeDigitsGoAroundABlank) {
    const Pairs seven = {{0, "1"}, {1, "2"}, {2, "3"}, {2, " "},
                         {3, "4"}, {4, "5"}, {5, "6"}, {6, "7"}};
    CardInputs in = inputs();
    in.postalCode = "1234567";
    EXPECT_EQ(postal(renderCard(in)), seven);
    in.postalCode = "123-4567";
    EXPECT_EQ(postal(renderCard(in)), seven);

    in.postalCode = "12";
    EXPECT_EQ(postal(renderCard(in)), (Pairs{{0, "1"}, {1, "2"}, {2, " "}, {2, "1"}, {3, "2"}}));
    in.postalCode = " ";
    EXPECT_EQ(postal(renderCard(in)), (Pairs{{0, " "}, {1, " "}, {2, " "}}));
    in.postalCode = "";
    EXPECT_EQ(postal(renderCard(in)), (Pairs{{0, " "}}));

    // Full-width digits are digits: never cut into a stray byte.
    in.postalCode = sjis(u"１２３４５６７");
    EXPECT_EQ(postal(renderCard(in)), seven);
}

// On the card as the printer gets it, the ink of every postal-code character is centred in its
// box, across and down, in every face and in both card types' sender boxes (the advance put the
// recipient's digits up to 1.1 mm right of the middle and 0.55 mm low).
TEST(CardRenderer, PostalCodesSitInTheMiddleOfTheirBoxes) {
    constexpr double kPxPerMm = 40;
    constexpr double kToleranceMm = 0.15;
    auto expectCentred = [&](const QImage& card, const std::array<card::Box, 7>& boxes) {
        for (const card::Box& b : boxes) {
            SCOPED_TRACE(b.x1);
            const QRectF mm(QPointF(b.x1 / 10.0, -b.top / 10.0),
                            QPointF(b.x2 / 10.0, -b.bottom / 10.0));
            const QRect area(
                QPoint(int(mm.left() * kPxPerMm) + 1, int(mm.top() * kPxPerMm) + 1),
                QPoint(int(mm.right() * kPxPerMm) - 1, int(mm.bottom() * kPxPerMm) - 1));
            const QRect ink = rinova::testing::inkBox(card, area);
            ASSERT_FALSE(ink.isNull());
            const QPointF centre = QRectF(ink).adjusted(0, 0, 1, 1).center() / kPxPerMm;
            EXPECT_NEAR(centre.x(), mm.center().x(), kToleranceMm);
            EXPECT_NEAR(centre.y(), mm.center().y(), kToleranceMm);
        }
    };
    for (int face = 0; face < 5; ++face)
        for (int cardType : {0, 1}) {
            SCOPED_TRACE(face * 10 + cardType);
            CardInputs in = inputs();
            in.target = Target::Printer;
            in.faceIndex = face;
            in.cardType = cardType;
            in.postalCode = "4567890";
            in.printSender = true;
            in.sender[0] = "123";
            in.sender[1] = "7890";
            const QImage card = rinova::testing::cardImage(renderCard(in), kPxPerMm);
            expectCentred(card, card::kRecipientBoxes);
            expectCentred(card, card::senderCells(cardType));
        }
}

TEST(CardRenderer, AddressLinesAreConvertedAtTheirLayoutPlaces) {
    CardInputs in = inputs();
    in.faceIndex = 1;
    in.address1 = sjis(u"東京都千代田区1-2-3");
    in.address2 = sjis(u"コーポab 101号");
    const CardPicture p = renderCard(in);
    const TextOp* a1 = findText(p, QString::fromUtf16(u"東京都千代田区一-二-三"));
    const TextOp* a2 = findText(p, QString::fromUtf16(u"コーポＡＢ 一０一号"));
    ASSERT_NE(a1, nullptr);
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(std::make_pair(a1->x, a1->y), std::make_pair(930, -230));
    EXPECT_EQ(std::make_pair(a2->x, a2->y), std::make_pair(830, -500));
    EXPECT_EQ(a1->font, vertical(57, u"@ＭＳ 明朝"));
    EXPECT_EQ(a2->font, vertical(57, u"@ＭＳ 明朝"));

    // A row without data still draws both (empty) address lines.
    const CardPicture empty = renderCard(inputs());
    EXPECT_EQ(textsAtY(empty, -230).size(), 1u);
    EXPECT_EQ(textsAtY(empty, -500).size(), 1u);
}

TEST(CardRenderer, NameOneIsDrawnUnconvertedUnlessEmpty) {
    CardInputs in = inputs();
    in.name1 = sjis(u"abc太郎");
    CardPicture p = renderCard(in);
    const TextOp* n1 = findText(p, QString::fromUtf16(u"abc太郎 様"));
    ASSERT_NE(n1, nullptr);
    EXPECT_EQ(std::make_pair(n1->x, n1->y), std::make_pair(580, -320));
    EXPECT_EQ(n1->font, vertical(130, u"@ＤＦ行書体"));

    in.name1 = " "; // an empty field of the address file: the honorific alone
    EXPECT_NE(findText(renderCard(in), QString::fromUtf16(u"  様")), nullptr);

    in.name1 = "";
    p = renderCard(in);
    for (const TextOp& t : opsOf<TextOp>(p))
        EXPECT_FALSE(t.text.endsWith(QString::fromUtf16(u"様"))) << t.text.toStdString();
}

TEST(CardRenderer, NameTwoConditions) {
    CardInputs in = inputs();
    in.name1 = sjis(u"山田太郎");
    for (const std::string& name2 : {std::string(" "), std::string("")}) {
        in.name2 = name2;
        EXPECT_EQ(textsAtY(renderCard(in), -320).size(), 1u) << "name2 '" << name2 << "'";
        // One blank for the empty postal code, two address lines, name 1.
        EXPECT_EQ(opsOf<TextOp>(renderCard(in)).size(), 1u + 2u + 1u);
    }
    in.name2 = sjis(u"花子");
    in.printName2 = false;
    EXPECT_EQ(findText(renderCard(in), QString::fromUtf16(u"花子 様")), nullptr);
    in.printName2 = true;
    EXPECT_NE(findText(renderCard(in), QString::fromUtf16(u"花子 様")), nullptr);

    // Name 2 passes through the conversion, name 1 does not.
    in.name2 = "Ken2";
    EXPECT_NE(findText(renderCard(in), QString::fromUtf16(u"ＫＥＮ二 様")), nullptr);
    // Blanks alone are no name: no lone honorific.
    for (const char16_t* blanks : {u"  ", u"　", u" 　 "}) {
        in.name2 = sjis(blanks);
        EXPECT_EQ(textsAtY(renderCard(in), -320).size(), 1u);
        EXPECT_EQ(opsOf<TextOp>(renderCard(in)).size(), 1u + 2u + 1u);
    }
}

TEST(CardRenderer, NameTwoEndsLevelWithNameOne) {
    struct Case {
        const char16_t* name1;
        const char16_t* name2;
        std::int32_t size;
        std::int32_t x, y;
    };
    // NameX 580, NameY -320.
    const Case cases[] = {
        {u"山田太郎", u"花子", 130, 450, -580}, // 4 bytes shorter: starts 260 lower
        {u"山田", u"花子", 130, 450, -320},
        {u"ab", u"abcd", 131, 449, -320 + 131}, // 2 bytes longer
        {u"abc", u"ab", 131, 449, -320 - 65},   // 1 byte shorter: 131 halved toward zero
        {u"ab", u"abc", 131, 449, -320 + 65},   // 1 byte longer
        {u"", u"花子", 130, 450, -320 + 260},   // no name 1: NameY + (L2 x size) / 2
        {u"山田太郎", u"花子", -131, 711, -320 + 262},
        {u"abc", u"ab", -131, 711, -320 + 65},
    };
    for (const Case& c : cases) {
        CardInputs in = inputs();
        in.fitText = false; // the places as set; some of these names start too high to keep them
        in.layout.NameSize = c.size;
        in.name1 = sjis(c.name1);
        in.name2 = sjis(c.name2);
        const CardPicture p = renderCard(in);
        const TextOp* n2 = findText(
            p, card::toVerticalText(QString::fromUtf16(c.name2) + QString::fromUtf16(u" 様")));
        ASSERT_NE(n2, nullptr) << QString::fromUtf16(c.name2).toStdString();
        EXPECT_EQ(std::make_pair(n2->x, n2->y), std::make_pair(c.x, c.y))
            << QString::fromUtf16(c.name1).toStdString() << " / "
            << QString::fromUtf16(c.name2).toStdString() << " at " << c.size;
        EXPECT_EQ(n2->font.height, c.size);
    }
}

CardInputs withSender(int cardType) {
    CardInputs in = inputs();
    in.printSender = true;
    in.cardType = cardType;
    in.sender = std::array<std::string, 7>{"123",
                                           "4567",
                                           sjis(u"大阪府大阪市北区1-1"),
                                           sjis(u"ハイツ梅田202"),
                                           sjis(u"佐藤"),
                                           sjis(u"佐藤花子"),
                                           sjis(u"旧姓abc")};
    return in;
}

TEST(CardRenderer, SenderBlockForEachCardType) {
    for (int cardType : {0, 1, -1, 7}) {
        SCOPED_TRACE(cardType);
        const std::int32_t o = cardType == 0 ? 0 : -150;
        const CardPicture p = renderCard(withSender(cardType));
        const std::vector<TextOp> texts = opsOf<TextOp>(p);
        // After the postal code (one blank) and the address lines: the sender texts drawn as
        // typed, in their order, then the sender's postal code digits.
        ASSERT_EQ(texts.size(), 1u + 2u + 5u + 7u);
        struct Expect {
            const char16_t* text;
            std::int32_t x, y, height;
        };
        const Expect block[] = {
            {u"大阪府大阪市北区1-1", 280, o - 600, 30},
            {u"ハイツ梅田202", 250, o - 800, 30},
            {u"旧姓abc", 70, o - 800, 22},
            {u"佐藤", 200, o - 800, 60},
            {u"佐藤花子", 140, o - 800 + 120, 60}, // 4 bytes longer: 120 higher
        };
        for (std::size_t i = 0; i < 5; ++i) {
            const TextOp& t = texts[3 + i];
            EXPECT_EQ(t.text, QString::fromUtf16(block[i].text));
            EXPECT_EQ(std::make_pair(t.x, t.y), std::make_pair(block[i].x, block[i].y));
            EXPECT_EQ(t.font, vertical(block[i].height, u"@ＤＦ行書体"));
        }
        const std::array<card::Box, 7> cells = card::senderCells(cardType);
        for (int i = 0; i < 7; ++i) {
            const TextOp& t = texts[8 + static_cast<std::size_t>(i)];
            EXPECT_EQ(t.text, QString(QChar(u'1' + i)));
            EXPECT_EQ(boxAt(t.x, cells), i);
            EXPECT_EQ(t.font.height, 40);
            EXPECT_EQ(t.font.escapement, 0);
            EXPECT_EQ(t.font.outPrecision, 0);
            EXPECT_EQ(t.font.weight, 400);
            EXPECT_EQ(t.font.charSet, 128);
            EXPECT_EQ(t.font.face(), sjis(u"@ＤＦ行書体"));
        }
    }
    CardInputs off = withSender(0);
    off.printSender = false;
    EXPECT_EQ(opsOf<TextOp>(renderCard(off)).size(), 1u + 2u);
}

TEST(CardRenderer, NumberStyleSetsTheAddressLinesAndSenderLinesButNoName) {
    const struct {
        card::NumberStyle style;
        const char16_t *address, *sender, *name2;
        bool pairs;
    } cases[] = {
        {card::NumberStyle::Kanji, u"芝公園四-二-八 一０番", u"大阪府大阪市北区1-1", u"二郎 様",
         false},
        {card::NumberStyle::KanjiZero, u"芝公園四-二-八 一〇番", u"大阪府大阪市北区一-一",
         u"二郎 様", false},
        {card::NumberStyle::Upright, u"芝公園4-2-8 10番", u"大阪府大阪市北区1-1", u"二郎 様", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style));
        CardInputs in = withSender(0);
        in.numbers = c.style;
        in.name1 = "1";
        in.name2 = "2" + sjis(u"郎");
        in.address1 = sjis(u"芝公園4-2-8 10番");
        const CardPicture p = renderCard(in);
        const TextOp* address = findText(p, QString::fromUtf16(c.address));
        const TextOp* sender = findText(p, QString::fromUtf16(c.sender));
        const TextOp* name2 = findText(p, QString::fromUtf16(c.name2));
        ASSERT_NE(address, nullptr);
        ASSERT_NE(sender, nullptr);
        ASSERT_NE(name2, nullptr);
        EXPECT_NE(findText(p, QString::fromUtf16(u"1 様")), nullptr);
        EXPECT_EQ(address->digitPairs, c.pairs);
        EXPECT_EQ(sender->digitPairs, c.pairs);
        EXPECT_FALSE(name2->digitPairs);
    }
}

TEST(CardRenderer, SenderPostalCodeIsPlacedByItsIndexInTheJoinedText) {
    CardInputs in = withSender(0);
    in.sender[0] = "12";
    in.sender[1] = "34567";
    std::vector<TextOp> digits;
    for (const TextOp& t : opsOf<TextOp>(renderCard(in)))
        if (!t.font.isVertical()) digits.push_back(t);
    ASSERT_EQ(digits.size(), 1u + 7u); // the recipient's blank, then the sender's code
    EXPECT_EQ(digits[3].text, "3");
    EXPECT_EQ(boxAt(digits[3].x, card::senderCells(0)), 2);
    EXPECT_EQ(digits[4].text, "4");
    EXPECT_EQ(boxAt(digits[4].x, card::senderCells(0)), 3);

    // Nothing typed: no digits at all, yet the block's texts are drawn (empty).
    in.sender = {};
    const CardPicture p = renderCard(in);
    EXPECT_EQ(opsOf<TextOp>(p).size(), 1u + 2u + 5u);
}

TEST(CardRenderer, FaceIndexOutsideTheListLeavesTheFaceEmpty) {
    const char16_t* faces[] = {u"@ＤＦ行書体", u"@ＭＳ 明朝", u"@ＭＳ ゴシック", u"@HG行書体",
                               u"@HG創英角ﾎﾟｯﾌﾟ体"};
    for (int index = -1; index <= 5; ++index) {
        CardInputs in = withSender(0);
        in.faceIndex = index;
        const std::string face = (index >= 0 && index < 5) ? sjis(faces[index]) : std::string();
        const CardPicture p = renderCard(in);
        for (const TextOp& t : opsOf<TextOp>(p)) {
            if (!t.font.isVertical() && t.font.height == 70) continue; // the canvas's own face
            EXPECT_EQ(t.font.face(), face) << index << " " << t.text.toStdString();
        }
        if (index >= 0 && index < 5) {
            EXPECT_EQ(text::toUnicode(face), QString::fromUtf16(drawing::VerticalFaces[index]));
        }
    }
    EXPECT_EQ(sjis(u"@HG創英角ﾎﾟｯﾌﾟ体").size(), 16u) << "fits the 31 usable bytes";
}

TEST(CardRenderer, GuidesOnThePreviewOnlyAndByCardType) {
    const std::vector<std::array<std::int32_t, 4>> postalBoxes = {
        {437, -110, 500, -195}, {508, -110, 569, -195}, {577, -110, 637, -195},
        {652, -111, 712, -194}, {720, -111, 780, -194}, {789, -111, 849, -194},
        {857, -111, 916, -194}};
    auto red = [](std::vector<std::array<std::int32_t, 4>> boxes) {
        std::vector<RectOp> rects;
        for (const auto& b : boxes)
            rects.push_back(RectOp{b[0], b[1], b[2], b[3], drawing::kRed, std::nullopt});
        return rects;
    };
    auto redLines = [](std::vector<LineOp> lines) {
        for (LineOp& l : lines)
            l.pen = drawing::kRed;
        return lines;
    };

    // The sender guides are drawn whether or not the block is printed.
    for (bool sender : {false, true}) {
        CardInputs in = inputs();
        in.printSender = sender;
        in.cardType = 0;
        CardPicture p = renderCard(in);
        std::vector<RectOp> rects = opsOf<RectOp>(p);
        rects.erase(rects.begin()); // background
        std::vector<std::array<std::int32_t, 4>> expected = postalBoxes;
        expected.push_back({50, -1219, 171, -1283});
        expected.push_back({180, -1219, 339, -1283});
        EXPECT_EQ(rects, red(expected));
        EXPECT_EQ(opsOf<LineOp>(p), redLines({{340, -1290, 730, -1290},
                                              {730, -1290, 730, -1250},
                                              {730, -1250, 1000, -1250},
                                              {90, -1219, 90, -1283},
                                              {130, -1219, 130, -1283},
                                              {221, -1219, 221, -1283},
                                              {260, -1219, 260, -1283},
                                              {300, -1219, 300, -1283}}));
        // Order: the first box's lines come between the two boxes.
        const auto& ops = p.ops;
        const std::size_t n = ops.size();
        EXPECT_TRUE(std::holds_alternative<RectOp>(ops[n - 7]));
        EXPECT_TRUE(std::holds_alternative<LineOp>(ops[n - 6]));
        EXPECT_TRUE(std::holds_alternative<LineOp>(ops[n - 5]));
        EXPECT_TRUE(std::holds_alternative<RectOp>(ops[n - 4]));

        in.cardType = 1;
        p = renderCard(in);
        rects = opsOf<RectOp>(p);
        rects.erase(rects.begin());
        expected = postalBoxes;
        expected.push_back({60, -1363, 181, -1429});
        expected.push_back({190, -1363, 349, -1429});
        EXPECT_EQ(rects, red(expected));
        EXPECT_EQ(opsOf<LineOp>(p), redLines({{100, -1363, 100, -1429},
                                              {140, -1363, 140, -1429},
                                              {231, -1363, 231, -1429},
                                              {270, -1363, 270, -1429},
                                              {310, -1363, 310, -1429}}));
    }
}

TEST(CardRenderer, ExtremeLayoutValuesWrapAroundIn32Bits) {
    EXPECT_EQ(card::NameShift(8, 4, 130), 260);
    EXPECT_EQ(card::NameShift(8, 4, INT32_MAX), -2); // 4 x INT32_MAX wraps to -4
    EXPECT_EQ(card::NameShift(0, 1, INT32_MIN), INT32_MIN / 2);
    EXPECT_EQ(card::NameShift(3, 0, INT32_MIN), INT32_MIN / 2); // 3 x MIN wraps to MIN
    EXPECT_EQ(card::NameShift(1, 0, -1), 0);                    // -1 / 2 toward zero

    CardInputs in = inputs();
    in.fitText = false; // the places as set
    in.name1 = "a";
    in.name2 = "abc";
    in.layout.NameX = INT32_MIN;
    in.layout.NameY = INT32_MAX;
    in.layout.NameSize = 1;
    in.layout.Address1X = INT32_MAX;
    in.layout.AddressSize = INT32_MIN;
    const CardPicture p = renderCard(in);
    const TextOp* n2 = findText(p, QString::fromUtf16(u"ＡＢＣ 様"));
    ASSERT_NE(n2, nullptr);
    EXPECT_EQ(n2->x, INT32_MAX); // MIN - 1
    EXPECT_EQ(n2->y, INT32_MIN); // MAX - (-1)
    const TextOp* a1 = findText(p, QString());
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(a1->x, INT32_MAX);
    EXPECT_EQ(a1->font.height, INT32_MIN);

    in.layout.NameSize = INT32_MIN;
    in.layout.NameX = 0;
    in.layout.NameY = 0;
    const CardPicture wrappedCard = renderCard(in);
    const TextOp* wrapped = findText(wrappedCard, QString::fromUtf16(u"ＡＢＣ 様"));
    ASSERT_NE(wrapped, nullptr);
    EXPECT_EQ(wrapped->x, INT32_MIN); // 0 - MIN
    EXPECT_EQ(wrapped->y, 0);         // (-2 x MIN) wraps to 0
}

} // namespace
