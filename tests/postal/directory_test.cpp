// The dictionaries read into the index, over a cut of the real data in tests/data/postal, and
// the look-ups from code to places and from address to codes.
#include "postal/directory.h"
#include "postal/euc_jis_2004.h"
#include "tests/support/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iconv.h>

using namespace rinova::postal;

namespace {

const QString kFixture = QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/postal");

const Directory& fixture() {
    static const Directory d = load(kFixture);
    return d;
}

std::u16string byIconv(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-16LE", "EUC-JISX0213");
    std::u16string out(bytes.size() + 1, u'\0');
    std::string in = bytes;
    char* inPtr = in.data();
    char* outPtr = reinterpret_cast<char*>(out.data());
    std::size_t inLeft = in.size(), outLeft = out.size() * 2;
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, std::size_t(-1));
    out.resize(out.size() - outLeft / 2);
    return out;
}

} // namespace

TEST(PostalDictionary, DecodesAsIconvAndMarksWhatIsNoCharacter) {
    for (const char* file : {"/SKK-JISYO.zipcode", "/SKK-JISYO.office.zipcode"}) {
        const std::string bytes = rinova::testing::readBytes(kFixture + QLatin1String(file));
        ASSERT_FALSE(bytes.empty()) << file;
        std::u16string mine;
        appendEucJis2004(bytes, mine);
        EXPECT_EQ(mine, byIconv(bytes)) << file;
    }
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"\x8e\xb1\x8e\xde", u"ｱﾞ"},                  // half-width kana
        {"\x8f\xa1\xa1", u"\U00020089"},              // plane 2, beyond the basic plane
        {"\xa4\xf7", u"か\u309a"},                    // a kana with its combining mark
        {"a\xa4", u"a\uFFFD"},                        // a lead byte at the end
        {"\x80\xff\x8e\x41", u"\uFFFD\uFFFD\uFFFDA"}, // no characters
    };
    for (const auto& c : cases) {
        std::u16string out;
        appendEucJis2004(c.bytes, out);
        EXPECT_EQ(out, c.text);
    }
}

TEST(PostalDictionary, TakesOnlyLinesOfItsForm) {
    Directory d;
    const Directory::Read read = d.addDictionary(
        ";; Time-stamp: <04 May 2022>\n"
        "1000001 /\xc5\xec\xb5\xfe\xc5\xd4\xc0\xe9\xc2\xe5\xc5\xc4\xb6\xe8/\r\n" // 東京都千代田区
        "1000002 /a;note/(concat \"b\")/c/\n"
        "100000 /short/\n1000003/nospace/\n1000004 noslash/\nabcdefg /x/\n1000005 //\n"
        ";1000006 /comment/\n1000007 /last",
        Directory::Kind::Area);
    d.finish();
    EXPECT_EQ(read.codes, 3);
    EXPECT_EQ(read.date, QDate(2022, 5, 4));
    EXPECT_EQ(d.codeCount(), 3u);
    const std::vector<Place> two = d.places(u"1000002");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].town, u"a"_qs); // the annotation is left out, the expression passed over
    EXPECT_EQ(two[1].town, u"c"_qs);
    EXPECT_EQ(d.places(u"1000001").at(0).address(), u"東京都千代田区"_qs);
    EXPECT_TRUE(d.holds(u"1000007"));
    for (const char16_t* no : {u"1000003", u"1000005", u"1000006", u"100000", u"10000011", u"abc"})
        EXPECT_FALSE(d.holds(QStringView(no))) << QString::fromUtf16(no).toStdString();
}

TEST(PostalDictionary, PlacesTellPrefectureCityAndTown) {
    const struct {
        const char16_t* code;
        std::vector<std::vector<const char16_t*>> places; // prefecture, city, town, office
    } cases[] = {
        {u"0010010", {{u"北海道", u"札幌市北区", u"北十条西", u""}}},
        {u"0040000",
         {{u"北海道", u"札幌市厚別区", u"", u""}, {u"北海道", u"札幌市清田区", u"", u""}}},
        {u"0610201", {{u"北海道", u"石狩郡当別町", u"青山", u""}}},
        {u"1000301", {{u"東京都", u"利島村", u"", u""}}}, // a village with one code
        {u"4430003", {{u"愛知県", u"蒲郡市", u"五井町", u""}}},
        {u"6391003", {{u"奈良県", u"大和郡山市", u"代官町", u""}}},
        {u"5100003", {{u"三重県", u"四日市市", u"大宮町", u""}}},
        {u"1008050",
         {{u"東京都", u"千代田区", u"丸の内１丁目２−１", u"東京海上日動火災保険　株式会社"}}},
        {u"1000000", {{u"東京都", u"千代田区", u"", u""}}},
        {u"9999999", {}},
    };
    for (const auto& c : cases) {
        std::vector<Place> want;
        for (const auto& p : c.places)
            want.push_back({QString::fromUtf16(p[0]), QString::fromUtf16(p[1]),
                            QString::fromUtf16(p[2]), QString::fromUtf16(p[3])});
        EXPECT_EQ(fixture().places(QStringView(c.code)), want)
            << QString::fromUtf16(c.code).toStdString();
    }
    const std::vector<Source>& sources = fixture().sources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_TRUE(sources[0].read && sources[1].read);
    EXPECT_EQ(sources[0].date, QDate(2022, 5, 4));
    EXPECT_EQ(sources[1].codes, 32);
    EXPECT_EQ(fixture().codeCount(), std::size_t(sources[0].codes + sources[1].codes));
    EXPECT_EQ(
        dataDescription(fixture()),
        u"郵便番号の辞書: " RINOVA_SOURCE_DIR "/tests/data/postal の SKK-JISYO.zipcode"
        "（2022年5月4日の版、464 件）、SKK-JISYO.office.zipcode（2022年5月4日の版、32 件）"_qs);
}

TEST(PostalDictionary, CodesForAnAddress) {
    const struct {
        const char16_t* address;
        std::vector<const char16_t*> codes; // best first
    } cases[] = {
        {u"北海道札幌市北区北十条西3丁目", {u"0010010"}},
        {u"札幌市北区北10条西３－１", {u"0010010"}},           // no prefecture, Arabic 条
        {u"当別町青山奥三番川１２", {u"0610252", u"0610201"}}, // no 郡; the longer town first
        {u"東京都千代田区霞ヶ関1-1", {u"1000013"}},
        {u"東京都千代田区", {u"1000000"}}, // only the city: the city's code
        {u"東京都千代田区どこか1-1", {u"1000000"}},
        {u"府中市本町1-1", {u"1830027"}},              // only Tokyo's 府中市 has a 本町
        {u"京都市中京区下丸屋町４０１", {u"6048006"}}, // a street-written town by its name
        {u"京都府京都市中京区河原町通御池下る下丸屋町", {u"6048006"}},
        {u"大阪府大阪市北区", {}},
        {u"", {}},
    };
    for (const auto& c : cases) {
        QStringList got, want;
        for (const CodePlace& p : fixture().codesFor(QStringView(c.address)))
            got << p.code;
        for (const char16_t* code : c.codes)
            want << QString::fromUtf16(code);
        EXPECT_EQ(got.mid(0, want.size()), want) << QString::fromUtf16(c.address).toStdString();
        EXPECT_EQ(got.isEmpty(), want.isEmpty());
    }
}

TEST(PostalDictionary, MissingFilesLeaveItEmptyAndSaySo) {
    QTemporaryDir dir;
    const Directory d = load(dir.path());
    EXPECT_TRUE(d.empty());
    EXPECT_TRUE(d.places(u"1000001").empty());
    EXPECT_TRUE(d.codesFor(u"東京都千代田区").empty());
    ASSERT_EQ(d.sources().size(), 2u);
    EXPECT_FALSE(d.sources()[0].read);
    EXPECT_EQ(dataDescription(d),
              QStringLiteral("郵便番号の辞書が %1 にありません。パッケージ "
                             "skkdic-extra を入れると、郵便番号と住所を照らし合わせます")
                  .arg(dir.path()));
}
