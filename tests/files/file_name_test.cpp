// File names as bytes: every name survives the trip through text, and messages read well.
#include "files/file_name.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

namespace {

using rinova::files::displayFileName;
using rinova::files::fileNameFromBytes;
using rinova::files::fileNameToBytes;

QByteArray sjis(const char16_t* text) {
    return QByteArray::fromStdString(rinova::text::fromUnicode(QStringView(text)));
}

TEST(FileName, EveryNameSurvivesTheTripThroughText) {
    const struct {
        QByteArray bytes;
        bool utf8;
    } names[] = {
        {"plain.csv", true},         {QStringLiteral("住所/𠮷野.csv").toUtf8(), true},
        {sjis(u"住所.csv"), false},  {"\x80", false}, // a continuation byte alone
        {"a\xe4\xbd", false},                         // a sequence cut short at the end
        {"\xc0\xaf", false},                          // an overlong "/"
        {"\xed\xa0\x80", false},                      // a surrogate spelled in UTF-8
        {"\xf4\x90\x80\x80", false},                  // beyond U+10FFFF
        {"\xff\xfe.csv", false},
    };
    for (const auto& n : names) {
        SCOPED_TRACE(n.bytes.toHex().toStdString());
        const QString text = fileNameFromBytes(n.bytes);
        EXPECT_EQ(fileNameToBytes(text), n.bytes);
        if (n.utf8)
            EXPECT_EQ(text, QString::fromUtf8(n.bytes));
        else
            EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << "a byte was lost";
    }
    // Typed text is UTF-8.
    EXPECT_EQ(fileNameToBytes(u"葉書.pdf"), QStringLiteral("葉書.pdf").toUtf8());
}

TEST(FileName, MessagesReadShiftJisPartsAsText) {
    const QByteArray path = QStringLiteral("/tmp/テスト/").toUtf8() + sjis(u"住所.csv");
    EXPECT_EQ(displayFileName(fileNameFromBytes(path)), QStringLiteral("/tmp/テスト/住所.csv"));
    // Bytes that are neither UTF-8 nor Shift-JIS show as such.
    EXPECT_EQ(displayFileName(fileNameFromBytes("x/\xff\xfd.csv")),
              QStringLiteral("x/\uFFFD\uFFFD.csv"));
}

} // namespace
