// Code page 932 conversion: the Windows mapping, and what becomes of bytes and characters that
// have no counterpart.
#include "text/cp932.h"

#include <gtest/gtest.h>

using rinova::text::canEncode;
using rinova::text::encodeUnit;
using rinova::text::fromUnicode;
using rinova::text::toUnicode;

TEST(Cp932, DecodesAsciiKanaKanjiAndHalfWidthKatakana) {
    EXPECT_EQ(toUnicode("abc 123"), QStringLiteral("abc 123"));
    EXPECT_EQ(toUnicode("\x82\xa0\x83\x41\x93\x8c"), QStringLiteral("あア東"));
    EXPECT_EQ(toUnicode("\xb6\xc0\xb6\xc5"), QStringLiteral("ｶﾀｶﾅ"));
    // Trail byte 0x5C is part of the character, never a backslash.
    EXPECT_EQ(toUnicode("\x95\x5c\x83\x5c"), QStringLiteral("表ソ"));
}

TEST(Cp932, UsesTheWindowsMappingForWaveDashAndBackslash) {
    EXPECT_EQ(toUnicode("\x81\x60"), QString(QChar(0xFF5E)));
    EXPECT_EQ(toUnicode("\x81\x5f"), QString(QChar(0xFF3C)));
    EXPECT_EQ(fromUnicode(u"\uFF5E"), "\x81\x60");
    EXPECT_EQ(fromUnicode(u"\uFF3C"), "\x81\x5f");
    EXPECT_EQ(fromUnicode(u"\\"), "\\");
    // NEC special characters and IBM extensions decode too.
    EXPECT_EQ(toUnicode("\x87\x40"), QStringLiteral("①"));
    EXPECT_EQ(toUnicode("\xfa\xb1"), QStringLiteral("﨑"));
}

TEST(Cp932, InvalidBytesBecomeReplacementCharactersWithoutSwallowingNeighbours) {
    // A lead byte at the end, a lead byte before an invalid trail, and bytes with no character.
    EXPECT_EQ(toUnicode("a\x82"), QStringLiteral("a\uFFFD"));
    EXPECT_EQ(toUnicode("\x82\x20x"), QStringLiteral("\uFFFD x"));
    EXPECT_EQ(toUnicode("\x85\x40"), QStringLiteral("\uFFFD@")); // unassigned row
    const QString nul = toUnicode(std::string_view("a\0b", 3));
    EXPECT_EQ(nul.size(), 3);
    EXPECT_EQ(nul[1], QChar(0));
}

TEST(Cp932, RoundTripsEveryDecodableDoubleByteCode) {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!rinova::text::isLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const QString u = toUnicode(bytes);
            if (u.size() != 1 || u[0] == QChar(0xFFFD)) continue;
            // Duplicates (NEC and IBM rows) encode to one canonical code that decodes the same.
            const std::string back = fromUnicode(u);
            ASSERT_EQ(toUnicode(back), u) << std::hex << lead << " " << trail;
            ++checked;
        }
    }
    EXPECT_GT(checked, 7000);
}

TEST(Cp932, CharactersOutsideTheCodePageAreReportedAndWrittenAsQuestionMarks) {
    bool ok = true;
    EXPECT_EQ(fromUnicode(u"a\U00020BB7b", &ok), "a??b"); // 𠮷 is a surrogate pair
    EXPECT_FALSE(ok);
    EXPECT_FALSE(canEncode(u"é"));
    EXPECT_FALSE(canEncode(QString(QChar(0xD800))));
    EXPECT_TRUE(canEncode(u"山田　太郎 様ｶﾅ①"));
    EXPECT_EQ(encodeUnit(u'様').size(), 2u);
    EXPECT_TRUE(encodeUnit(0x00E9).empty());
}
