// The line rules and the field rules of address files.
#include "addresses/comma_text.h"
#include "tests/support/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using rinova::addresses::splitFields;
using rinova::addresses::SplitLines;
using rinova::testing::sjis;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

std::vector<std::string> lines(std::string_view content) {
    std::vector<std::string> out;
    for (std::string_view l : SplitLines(content))
        out.emplace_back(l);
    return out;
}

} // namespace

TEST(LineRules, CrLfCrLfAndLfAloneGiveTheSameLines) {
    EXPECT_THAT(lines("a\r\nb\r\nc"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(lines("a\nb\nc"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(lines("a\rb\rc"), ElementsAre("a", "b", "c"));
}

TEST(LineRules, LfCrIsTwoBreaksWithAnEmptyLineBetween) {
    EXPECT_THAT(lines("a\n\rb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(lines("a\n\r"), ElementsAre("a", ""));
    EXPECT_THAT(lines("a\r\r\nb"), ElementsAre("a", "", "b"));
}

TEST(LineRules, TrailingBreaks) {
    EXPECT_THAT(lines("a"), ElementsAre("a"));
    EXPECT_THAT(lines("a\r\n"), ElementsAre("a"));
    EXPECT_THAT(lines("a\r\n\r\n"), ElementsAre("a", ""));
    EXPECT_THAT(lines("a\n\nb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(lines("\n"), ElementsAre(""));
    EXPECT_THAT(lines("\r\n\r\n"), ElementsAre("", ""));
}

TEST(LineRules, NulEndsTheContent) {
    EXPECT_THAT(lines("ab\0cd\nef"sv), ElementsAre("ab"));
    EXPECT_THAT(lines("ab\n\0cd"sv), ElementsAre("ab"));
    EXPECT_THAT(lines("\0ab"sv), IsEmpty());
}

TEST(LineRules, NoBytesNoLines) {
    EXPECT_THAT(lines(""), IsEmpty());
}

TEST(LineRules, BytesAreTakenAsTheyAre) {
    // A byte-order mark stays in the first line; a lead byte does not swallow a line break.
    EXPECT_THAT(lines("\xEF\xBB\xBF"
                      "a\nb"),
                ElementsAre("\xEF\xBB\xBF"
                            "a",
                            "b"));
    EXPECT_THAT(lines("\x83\nb"), ElementsAre("\x83", "b"));
}

TEST(FieldRules, CommasAndBlanksSeparate) {
    EXPECT_THAT(splitFields("a,b,c"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(splitFields("  a , b"), ElementsAre("a", "b"));
    EXPECT_THAT(splitFields("a b"), ElementsAre("a", "b"));
    EXPECT_THAT(splitFields("a\tb"), ElementsAre("a", "b"));
    EXPECT_THAT(splitFields("a,\tb"), ElementsAre("a", "b"));
    EXPECT_THAT(splitFields(""), IsEmpty());
    EXPECT_THAT(splitFields(" \t "), IsEmpty());
}

TEST(FieldRules, EmptyFields) {
    EXPECT_THAT(splitFields("a,,b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(splitFields(",a"), ElementsAre("", "a"));
    EXPECT_THAT(splitFields("a,"), ElementsAre("a", ""));
    EXPECT_THAT(splitFields("a,,"), ElementsAre("a", "", ""));
    EXPECT_THAT(splitFields(","), ElementsAre("", ""));
    // A comma followed only by control characters ends the text without a further field.
    EXPECT_THAT(splitFields("a,\t"), ElementsAre("a"));
    EXPECT_THAT(splitFields("a,\x01\x1f"), ElementsAre("a"));
}

TEST(FieldRules, QuotedFields) {
    EXPECT_THAT(splitFields("\"a,b c\",d"), ElementsAre("a,b c", "d"));
    EXPECT_THAT(splitFields("\"say \"\"hi\"\"\""), ElementsAre("say \"hi\""));
    EXPECT_THAT(splitFields("\"\",x"), ElementsAre("", "x"));
    EXPECT_THAT(splitFields("\"\"\"\""), ElementsAre("\""));
    // Characters right after the closing quote begin a new field.
    EXPECT_THAT(splitFields("\"ab\"cd,e"), ElementsAre("ab", "cd", "e"));
    // A quote inside an unquoted field is an ordinary character.
    EXPECT_THAT(splitFields("a\"b,c"), ElementsAre("a\"b", "c"));
}

TEST(FieldRules, UnclosedQuoteTakesTheRest) {
    EXPECT_THAT(splitFields("a,\"b,c d"), ElementsAre("a", "b,c d"));
    EXPECT_THAT(splitFields("\"x\"\"y,z"), ElementsAre("x\"y,z"));
    EXPECT_THAT(splitFields("a,\""), ElementsAre("a", ""));
}

TEST(FieldRules, NulEndsTheText) {
    EXPECT_THAT(splitFields("a,b\0,c"sv), ElementsAre("a", "b"));
    EXPECT_THAT(splitFields("a,\0"sv), ElementsAre("a", ""));
    EXPECT_THAT(splitFields("\"a\0b\""sv), ElementsAre("a"));
}

TEST(FieldRules, LoneLeadByteTakesTheNextByteAsItsTrail) {
    EXPECT_THAT(splitFields("\x83,b,c"), ElementsAre("\x83,b", "c"));
    EXPECT_THAT(splitFields("a\x83 b"), ElementsAre("a\x83 b"));
    EXPECT_THAT(splitFields("a\x83\tb"), ElementsAre("a\x83\tb"));
    EXPECT_THAT(splitFields("\"a\x83\",b\""), ElementsAre("a\x83\",b"));
    EXPECT_THAT(splitFields("\"a\x83\"\"b\""), ElementsAre("a\x83\"", "b\""));
    // A lead byte at the very end stands alone.
    EXPECT_THAT(splitFields("a,\x83"), ElementsAre("a", "\x83"));
    EXPECT_THAT(splitFields("a,\xFC,"), ElementsAre("a", "\xFC,"));
    // 0x80, 0xA0 and 0xFD-0xFF are single bytes.
    EXPECT_THAT(splitFields("\x80,\xA0,\xFD"), ElementsAre("\x80", "\xA0", "\xFD"));
}

TEST(FieldRules, TrailByte5CIsNeverAnythingElse) {
    const std::string hyo = sjis(u"表"), so = sjis(u"ソ");
    ASSERT_EQ(hyo, "\x95\x5C");
    ASSERT_EQ(so, "\x83\x5C");
    EXPECT_THAT(splitFields(hyo + "," + so), ElementsAre(hyo, so));
    EXPECT_THAT(splitFields("\"" + so + "\"\"" + hyo + "\""), ElementsAre(so + "\"" + hyo));
    EXPECT_THAT(splitFields(sjis(u"ソフト表示,x")), ElementsAre(sjis(u"ソフト表示"), "x"));
}

TEST(FieldRules, FullWidthCharactersStayWhole) {
    // The full-width space 0x81 0x40 and a full-width comma are characters, not separators.
    EXPECT_THAT(splitFields(sjis(u"山田　太郎，様,x")), ElementsAre(sjis(u"山田　太郎，様"), "x"));
}
