// The integer text rule: what is an integer, what is not, and the failure message.
#include "settings/int_text.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <gtest/gtest.h>
#include <limits>

using rinova::settings::int32Text;
using rinova::settings::parseInt32;
using rinova::settings::parseIntText;
using rinova::text::Failure;

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(IntText, DecimalWithSignsAndLeadingSpaces) {
    EXPECT_EQ(parseIntText("0"), 0);
    EXPECT_EQ(parseIntText("+12"), 12);
    EXPECT_EQ(parseIntText("-930"), -930);
    EXPECT_EQ(parseIntText("   -5"), -5);
    EXPECT_EQ(parseIntText("007"), 7);
    EXPECT_EQ(parseIntText("-0"), 0);
    EXPECT_EQ(parseIntText(std::string(40, '0') + "1"), 1);
}

TEST(IntText, HexPrefixesTakeTheBitPattern) {
    EXPECT_EQ(parseIntText("$1A"), 26);
    EXPECT_EQ(parseIntText("$1a"), 26);
    EXPECT_EQ(parseIntText("x10"), 16);
    EXPECT_EQ(parseIntText("X10"), 16);
    EXPECT_EQ(parseIntText("0x10"), 16);
    EXPECT_EQ(parseIntText("0XfF"), 255);
    EXPECT_EQ(parseIntText("  $7FFFFFFF"), kMax);
    EXPECT_EQ(parseIntText("$80000000"), kMin);
    EXPECT_EQ(parseIntText("$FFFFFFFF"), -1);
    EXPECT_EQ(parseIntText("$0000000000FFFFFFFF"), -1);
}

TEST(IntText, NotIntegers) {
    for (const char* text : {"",    " ",   "12 ",  "12\t", "\t12", "1.5",  "12mm", "abc", "+",
                             "-",   "+-1", "- 1",  "$",    "x",    "0x",   "0X",   "$G",  "0x1g",
                             "-$1", "+$1", "-0x1", "$ 1",  "0x 1", "１２", "1e3"})
        EXPECT_FALSE(parseIntText(text).has_value()) << '\'' << text << '\'';
    EXPECT_FALSE(parseIntText(std::string("12\0", 3)).has_value());
}

TEST(IntText, OverflowAtBothEnds) {
    EXPECT_EQ(parseIntText("2147483647"), kMax);
    EXPECT_EQ(parseIntText("-2147483648"), kMin);
    EXPECT_FALSE(parseIntText("2147483648").has_value());
    EXPECT_FALSE(parseIntText("+2147483648").has_value());
    EXPECT_FALSE(parseIntText("-2147483649").has_value());
    EXPECT_FALSE(parseIntText("99999999999999999999999").has_value());
    EXPECT_FALSE(parseIntText("$100000000").has_value());
    EXPECT_FALSE(parseIntText("0x1FFFFFFFF").has_value());
}

TEST(IntText, StrToIntNamesTheRawText) {
    EXPECT_EQ(parseInt32(" $1A"), 26);
    try {
        parseInt32("12mm");
        FAIL() << "no failure";
    } catch (const rinova::text::Failure& f) {
        EXPECT_EQ(f.message(), QStringLiteral("'12mm' は整数ではありません"));
    }
    try {
        parseInt32(rinova::testing::sjis(u"１２ミリ"));
        FAIL() << "no failure";
    } catch (const rinova::text::Failure& f) {
        EXPECT_EQ(f.message(), QStringLiteral("'１２ミリ' は整数ではありません"));
    }
}

TEST(IntText, IntToStrIsPlainDecimal) {
    EXPECT_EQ(int32Text(0), "0");
    EXPECT_EQ(int32Text(12), "12");
    EXPECT_EQ(int32Text(-930), "-930");
    EXPECT_EQ(int32Text(kMin), "-2147483648");
    EXPECT_EQ(int32Text(kMax), "2147483647");
    for (std::int32_t v : {kMin, -1, 26, kMax})
        EXPECT_EQ(parseIntText(int32Text(v)), v);
}

} // namespace
