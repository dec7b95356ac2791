// Half-width digits and letters turned upright; everything else kept unit for unit.
#include "card/to_vertical_text.h"

#include <gtest/gtest.h>

using rinova::card::NumberStyle;
using rinova::card::toVerticalText;

namespace {

TEST(ToVerticalText, DigitsBecomeKanjiAndZeroStaysFullWidth) {
    EXPECT_EQ(toVerticalText(u"0123456789"), QStringView(u"０一二三四五六七八九"));
    EXPECT_EQ(toVerticalText(u"1-2-3"), QStringView(u"一-二-三"));
    EXPECT_EQ(toVerticalText(u"10"), QStringView(u"一０"));
    EXPECT_EQ(toVerticalText(u"305"), QStringView(u"三０五"));
    EXPECT_EQ(toVerticalText(u""), QString());
}

TEST(ToVerticalText, DigitsStandInTheChosenStyleHalfAndFullWidthAlike) {
    // Kanji is the conversion above; the others take full-width digits as half-width ones.
    // Upright leaves numbers of one or two digits half-width for their one cell, and sets
    // longer ones a full-width digit a cell.
    const struct {
        const char16_t* in;
        const char16_t *kanji, *kanjiZero, *upright;
    } cases[] = {
        {u"芝公園4-2-8 10番20号", u"芝公園四-二-八 一０番二０号", u"芝公園四-二-八 一〇番二〇号",
         u"芝公園4-2-8 10番20号"},
        {u"１２０３号室", u"１２０３号室", u"一二〇三号室", u"１２０３号室"},
        {u"1203号室", u"一二０三号室", u"一二〇三号室", u"１２０３号室"},
        {u"１0番Ｂ棟b", u"１０番Ｂ棟Ｂ", u"一〇番Ｂ棟Ｂ", u"10番Ｂ棟Ｂ"},
        {u"0", u"０", u"〇", u"0"},
        {u"〇一", u"〇一", u"〇一", u"〇一"},
        {u"", u"", u"", u""},
    };
    for (const auto& c : cases) {
        const QString in = QString::fromUtf16(c.in);
        EXPECT_EQ(toVerticalText(in, NumberStyle::Kanji), QStringView(c.kanji)) << in.toStdString();
        EXPECT_EQ(toVerticalText(in, NumberStyle::Kanji), toVerticalText(in));
        EXPECT_EQ(toVerticalText(in, NumberStyle::KanjiZero), QStringView(c.kanjiZero))
            << in.toStdString();
        EXPECT_EQ(toVerticalText(in, NumberStyle::Upright), QStringView(c.upright))
            << in.toStdString();
    }
}

TEST(ToVerticalText, BothLetterCasesBecomeFullWidthCapitals) {
    const QStringView capitals(u"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ");
    EXPECT_EQ(toVerticalText(u"abcdefghijklmnopqrstuvwxyz"), capitals);
    EXPECT_EQ(toVerticalText(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"), capitals);
    EXPECT_EQ(toVerticalText(u"aBc"), QStringView(u"ＡＢＣ"));
}

TEST(ToVerticalText, EveryOtherUnitIsCopied) {
    const QStringView kept(u"Ａ１０あア漢ｶﾀｶﾅ様 -#.〇ー、");
    EXPECT_EQ(toVerticalText(kept), kept);
    // Every unit outside the 62 ASCII digits and letters passes unchanged, lone surrogates too.
    QString all;
    for (char32_t u = 1; u < 0x10000; ++u) {
        const bool alnum =
            (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
        if (!alnum) all.append(QChar(static_cast<char16_t>(u)));
    }
    EXPECT_EQ(toVerticalText(all), all);
}

TEST(ToVerticalText, KeepsLengthAndInputAndIsIdempotent) {
    const QString input = QString::fromUtf16(u"𠮷野家3号館b");
    const QString copy = input;
    const QString once = toVerticalText(input);
    EXPECT_EQ(input, copy);
    EXPECT_EQ(once.size(), input.size());
    EXPECT_EQ(once, QString::fromUtf16(u"𠮷野家三号館Ｂ"));
    EXPECT_EQ(toVerticalText(once), once);
    QString self = input;
    self = toVerticalText(self);
    EXPECT_EQ(self, once);
}

} // namespace
