// The comparison form and the rules of the names, over the forms real lists write.
#include "postal/address_text.h"

#include <gtest/gtest.h>

using namespace rinova::postal;

TEST(AddressText, VariantWritingsCompareAlike) {
    const struct {
        const char16_t *a, *b;
        bool alike;
    } cases[] = {
        {u"丸の内１－２－３", u"丸の内1-2-3", true},
        {u"丸の内1‐2―3", u"丸の内1−2ー3", true},       // dashes, and ー between digits
        {u"ﾏﾙﾉｳﾁﾋﾞﾙ ５Ｆ", u"マルノウチビル5f", true}, // half-width kana, letters' case
        {u"霞が関", u"霞ヶ関", true},
        {u"旭ケ丘", u"旭ヵ丘", true},
        {u"一ノ瀬", u"一の瀬", true},
        {u"髙﨑", u"高崎", true},
        {u"𠮷田", u"吉田", true},
        {u"北二十九条西二丁目", u"北29条西2丁目", true},
        {u"三番町", u"3番町", true},
        {u"第五十地割", u"第50地割", true},
        {u"二〇丁目", u"20丁目", true},
        {u"大字上ノ室　字東", u"上の室字東", true}, // 大字 and spaces go
        {u"十日町市", u"10日町市", false},          // a numeral that counts nothing stays
        {u"ニュータウン", u"ニュ-タウン", false},   // ー between kana is no dash
        {u"高田", u"高畑", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(comparisonForm(QStringView(c.a)) == comparisonForm(QStringView(c.b)), c.alike)
            << QString::fromUtf16(c.a).toStdString() << " / "
            << QString::fromUtf16(c.b).toStdString() << " -> "
            << comparisonForm(QStringView(c.a)).toStdString();
}

TEST(AddressText, NamesSplitByTheirRules) {
    const struct {
        const char16_t* address;
        int prefecture;       // index, -1 none
        const char16_t* city; // after the prefecture
    } cases[] = {
        {u"北海道石狩郡当別町青山", 0, u"石狩郡当別町"},
        {u"北海道札幌市中央区北一条西", 0, u"札幌市中央区"},
        {u"東京都千代田区丸の内", 12, u"千代田区"},
        {u"三重県四日市市大宮町", 23, u"四日市市"},
        {u"千葉県市川市八幡", 11, u"市川市"},
        {u"群馬県佐波郡玉村町下新田", 9, u"佐波郡玉村町"},
        {u"奈良県大和郡山市代官町", 28, u"大和郡山市"},
        {u"鹿児島県鹿児島市郡山町", 45, u"鹿児島市"}, // a 郡 inside a city's name
        {u"東京都利島村", 12, u"利島村"},
        {u"神奈川県横浜市", 13, u"横浜市"}, // a ward city without its ward
        {u"丸の内", -1, u""},
    };
    for (const auto& c : cases) {
        const QStringView address(c.address);
        EXPECT_EQ(prefectureAt(address), c.prefecture)
            << QString::fromUtf16(c.address).toStdString();
        const QStringView rest =
            c.prefecture < 0 ? address : address.sliced(prefectureName(c.prefecture).size());
        EXPECT_EQ(rest.first(cityLengthByRule(rest)).toString(), QString::fromUtf16(c.city))
            << QString::fromUtf16(c.address).toStdString();
    }
    EXPECT_EQ(prefectureCount(), 47);
    EXPECT_EQ(prefectureName(46).toString(), u"沖縄県"_qs);
}

TEST(AddressText, CodeDigitsAsWritten) {
    const struct {
        const char16_t *written, *digits, *shown;
    } cases[] = {
        {u"〒100-0001", u"1000001", u"100-0001"},
        {u"１００－０００１", u"1000001", u"100-0001"},
        {u"060 0001", u"0600001", u"060-0001"},
        {u"600001", u"600001", u"600001"},
        {u"なし", u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codeDigits(QStringView(c.written)), QString::fromUtf16(c.digits));
        EXPECT_EQ(displayCode(codeDigits(QStringView(c.written))), QString::fromUtf16(c.shown));
    }
}
