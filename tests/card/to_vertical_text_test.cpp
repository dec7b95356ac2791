// Half-width digits and letters turned upright; everything else kept unit for unit.
#include "card/to_vertical_text.h"

#include <gtest/gtest.h>

using rinova::card::toVerticalText;

namespace {

TEST(ToVerticalText, DigitsBecomeKanjiAndZeroStaysFullWidth) {
    EXPECT_EQ(toVerticalText(u"0123456789"), QStringView(u"０一二三四五六七八九"));
    EXPECT_EQ(toVerticalText(u"1-2-3"), QStringView(u"一-二-三"));
    EXPECT_EQ(toVerticalText(u"10"), QStringView(u"一０"));
    EXPECT_EQ(toVerticalText(u"305"), QStringView(u"三０五"));
    EXPECT_EQ(toVerticalText(u""), QString());
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
