// The questions the data asks about a code and an address, over the cut of the real data.
#include "postal/code_question.h"

#include "tests/support/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rinova::postal;
using Kind = Question::Kind;

namespace {

const Directory& fixture() {
    static const Directory d = load(QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/postal"));
    return d;
}

} // namespace

TEST(CodeQuestion, EachCodeAndAddressGiveTheirQuestion) {
    const struct {
        const char16_t *code, *address;
        std::optional<Kind> kind;
        std::vector<const char16_t*> fitting;
    } cases[] = {
        // Fits: the forms lists write.
        {u"100-0013", u"東京都千代田区霞ヶ関1-1", {}, {}},
        {u"〒１００－００１３", u"千代田区 霞が関 ２丁目", {}, {}}, // no prefecture
        {u"0610201", u"北海道当別町青山123", {}, {}},               // no 郡
        {u"6048006", u"京都市中京区下丸屋町401", {}, {}},       // a town written with its street
        {u"1008050", u"東京都千代田区丸の内一丁目2-1", {}, {}}, // a business code
        {u"0040000", u"北海道札幌市清田区平岡", {}, {}},        // the second place of the code
        {u"1000000", u"東京都千代田区どこか1-1", {}, {}},       // the city's own code
        {u"1000013", u"", {}, {}},                              // nothing to compare with
        {u"12345", u"東京都千代田区", {}, {}},                  // the digit rule speaks of it
        {u"600001", u"", {}, {}},
        // Questions.
        {u"1234567", u"東京都千代田区丸の内1-1", Kind::NotHeld, {u"1000005"}},
        {u"1000014", u"東京都千代田区霞が関1-1", Kind::OtherPlace, {u"1000013"}}, // swapped digits
        {u"3300063", u"埼玉県浦和市高砂3-1", Kind::OtherPlace, {}},               // the old city
        {u"1830027", u"広島県府中市本町1", Kind::OtherPlace, {u"7260000"}}, // another prefecture
        {u"1008050", u"東京都千代田区大手町1-1", Kind::OtherPlace, {u"1000004"}},
        {u"600001", u"札幌市中央区北1条西2丁目", Kind::SixDigits, {u"0600001"}}, // lost leading 0
        {u"100013", u"東京都千代田区霞が関", Kind::SixDigits, {u"1000013"}},     // a lost inner 0
    };
    for (const auto& c : cases) {
        const std::optional<Question> q =
            askAboutCode(fixture(), QStringView(c.code), QStringView(c.address));
        const std::string what = QString::fromUtf16(c.code).toStdString() + " " +
                                 QString::fromUtf16(c.address).toStdString() + ": " +
                                 (q ? q->text().toStdString() : std::string("none"));
        ASSERT_EQ(q.has_value(), c.kind.has_value()) << what;
        if (!q) continue;
        EXPECT_EQ(q->kind, *c.kind) << what;
        QStringList fitting, want;
        for (const CodePlace& p : q->fitting)
            fitting << p.code;
        for (const char16_t* code : c.fitting)
            want << QString::fromUtf16(code);
        EXPECT_EQ(fitting, want) << what;
    }
}

TEST(CodeQuestion, TextsShowWhatTheDataAndTheRowSay) {
    const struct {
        const char16_t *code, *address, *text;
    } cases[] = {
        {u"1234567", u"東京都千代田区丸の内1-1",
         u"郵便番号 123-4567 は辞書にありません（住所に合う番号: 100-0005）"},
        {u"3300063", u"埼玉県浦和市高砂3-1",
         u"郵便番号 330-0063 "
         u"は「埼玉県さいたま市浦和区高砂」の番号で、住所は「埼玉県浦和市高砂3-1」です"},
        {u"0040000", u"東京都千代田区丸の内1-1",
         u"郵便番号 004-0000 は「北海道札幌市厚別区、北海道札幌市清田区」の番号で、住所は"
         u"「東京都千代田区丸の内1-1」です（住所に合う番号: 100-0005）"},
        {u"600001", u"札幌市中央区北1条西", u"住所に合う 7 桁の番号は 060-0001 です"},
    };
    for (const auto& c : cases) {
        const std::optional<Question> q =
            askAboutCode(fixture(), QStringView(c.code), QStringView(c.address));
        ASSERT_TRUE(q) << QString::fromUtf16(c.code).toStdString();
        EXPECT_EQ(q->text(), QString::fromUtf16(c.text));
    }
    // A long address is shown cut.
    const std::optional<Question> q = askAboutCode(
        fixture(), u"3300063", u"埼玉県浦和市高砂三丁目十五番一号浦和駅前ビルディング十二階東側");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->rowSays, u"埼玉県浦和市高砂三丁目十五番一号浦和駅前ビルディング十二階東…"_qs);
}

TEST(CodeQuestion, NoDataAsksNothing) {
    QTemporaryDir dir;
    EXPECT_FALSE(askAboutCode(load(dir.path()), u"1234567", u"東京都千代田区"));
}
