// The check before paper is used: rows in, the problems each row shows out.
#include "addresses/address_grid.h"
#include "addresses/row_check.h"
#include "postal/directory.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using rinova::addresses::AddressGrid;
using rinova::addresses::checkRows;
using rinova::addresses::Finding;
using rinova::addresses::RowFindings;
using rinova::addresses::Suggestion;
using rinova::testing::sjis;

namespace {

// A grid holding the given address lines (Shift-JIS, by the program's own rules).
void fill(AddressGrid& g, const std::vector<const char16_t*>& lines) {
    std::string content;
    for (const char16_t* line : lines)
        content += sjis(line) + "\n";
    g.importContent(content);
}

} // namespace

TEST(RowCheck, EachRowGivesItsProblems) {
    const struct {
        const char16_t* line;
        QStringList problems; // in the first row, a header is looked for as well
    } cases[] = {
        {u"山田太郎,様,100-0001,東京都", {}},
        {u"山田太郎,様,〒１００－０００１,東京都", {}}, // full-width digits, 〒
        {u"山田太郎,様,1000001", {}},                   // no address: still prints
        {u"山田太郎,様,600001,北海道", {u"郵便番号が 6 桁です（先頭の 0 が落ちていませんか）"_qs}},
        {u"山田太郎,様,123-456,東京都", {u"郵便番号が 6 桁です（先頭の 0 が落ちていませんか）"_qs}},
        {u"山田太郎,様,12345678,東京都", {u"郵便番号が 8 桁です（7 桁ではありません）"_qs}},
        {u"山田太郎,様,,東京都", {u"郵便番号がありません"_qs}},
        {u"山田太郎,様,〒,東京都", {u"郵便番号がありません"_qs}},
        {u",様,1000001,東京都", {u"名前1が空です"_qs}},
        {u"　,,12,東京都", {u"名前1が空です"_qs, u"郵便番号が 2 桁です（7 桁ではありません）"_qs}},
        {u",,,,,備考だけ", {u"空の行です"_qs}}, // the remark never prints
        {u"", {u"空の行です"_qs}},
        {u"　,\" \",,　", {u"空の行です"_qs}},
    };
    for (const auto& c : cases) {
        // Second row, so nothing is taken for a header.
        AddressGrid g;
        fill(g, {u"山田太郎,様,1000001,東京都", c.line});
        const std::vector<RowFindings> found = checkRows(g, 1, 2);
        EXPECT_EQ(found.size(), c.problems.isEmpty() ? 0u : 1u);
        EXPECT_EQ(found.empty() ? QStringList() : found[0].texts(), c.problems)
            << QString::fromUtf16(c.line).toStdString();
        EXPECT_TRUE(found.empty() || found[0].row == 2);
    }
}

TEST(RowCheck, OnlyTheFirstRowIsTakenForAHeader) {
    // A header row the import knows is no row at all; one it does not know is row 1, and the
    // check says so.
    const struct {
        const char16_t* first;
        bool known, header;
    } cases[] = {
        {u"名前,敬称,郵便番号,住所1,住所2,備考", true, false},
        {u"氏名,,〒,住所", true, false},
        {u"Name,Title,Zip,Address", true, false},
        {u"Name,Kana,Phone", false, true},
        {u"宛名,様,１００－０００１,住所", false, false}, // a postal code with digits: an address
        {u"山田太郎,様,なし,東京都", false, false},       // no digits, but no column title either
    };
    for (const auto& c : cases) {
        AddressGrid g;
        fill(g, {c.first, u"山田太郎,様,1000001,東京都", c.first});
        EXPECT_EQ(g.file().layout.header, c.known) << QString::fromUtf16(c.first).toStdString();
        EXPECT_EQ(g.rowCountWithHeader(), c.known ? 3 : 4);
        const std::vector<RowFindings> found = checkRows(g, 1, 3);
        const bool header = !found.empty() && found[0].row == 1 &&
                            found[0].texts() == QStringList{u"見出しの行のようです"_qs};
        EXPECT_EQ(header, c.header) << QString::fromUtf16(c.first).toStdString();
        // The same line further down is an address row with its own problems, never a header.
        for (const RowFindings& f : found)
            EXPECT_TRUE(f.row == 1 || !f.texts().contains(u"見出しの行のようです"_qs));
    }
}

TEST(RowCheck, RangeFitHookAndReport) {
    AddressGrid g;
    fill(g, {u"a,様,1000001", u"b,様,2000002", u",,,", u"d,様,4000004", u"e,様,600001"});
    // Only the rows asked about, clamped to the address rows.
    std::vector<RowFindings> found = checkRows(g, 2, 99);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].row, 3);
    EXPECT_EQ(found[1].row, 5);
    EXPECT_TRUE(checkRows(g, 1, 2).empty());

    // The renderer's verdict is asked only for rows that are not empty, and added to theirs.
    std::vector<int> asked;
    found = checkRows(g, 1, 5, [&](int row) {
        asked.push_back(row);
        return row == 1 || row == 5;
    });
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 4, 5}));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].row, 1);
    EXPECT_EQ(found[0].texts(), QStringList{u"縮めても枠に収まらない文字があります"_qs});
    EXPECT_EQ(found[2].problems.size(), 2);

    EXPECT_EQ(rinova::addresses::findingsReport({}), QString());
    EXPECT_EQ(rinova::addresses::findingsReport(found),
              u"次の行を確かめてください:\n"
              "1 行目: 縮めても枠に収まらない文字があります\n"
              "3 行目: 空の行です\n"
              "5 行目: 郵便番号が 6 桁です（先頭の 0 が落ちていませんか）、"
              "縮めても枠に収まらない文字があります"_qs);
    EXPECT_EQ(rinova::addresses::findingsReport(found, 1),
              u"次の行を確かめてください:\n"
              "1 行目: 縮めても枠に収まらない文字があります\n"
              "ほか 2 行"_qs);
}

TEST(RowCheck, WhatTheFileDidToARowIsNamedAndRowsNotPrintedAreLeftOut) {
    const QString lost = u"変換できなかった文字（〓）があります"_qs;
    const QString cutInside = u"NUL 文字で途切れています（その後ろは読み込まれていません）"_qs;
    const QString cutAfter = u"この行の後ろは NUL 文字のため読み込まれていません"_qs;
    const std::string good = sjis(u"山田太郎,様,1000001,東京都\n");
    const struct {
        std::string content;
        rinova::addresses::FileFormat format;
        std::vector<std::pair<int, QStringList>> want;
    } cases[] = {
        {good + sjis(u"山〓太郎,様,1000001,東京都\n"), {}, {{2, {lost}}}},
        {good + sjis(u"山田,様,1000001,東京都〓\n"), {}, {{2, {lost}}}},
        {good + sjis(u"山田,様,1000001,東京都,,〓\n"), {}, {}}, // the remark never prints
        {good + sjis(u"山田,様,1000001,東京") + std::string("\0都\n", 5), {}, {{2, {cutInside}}}},
        {good + std::string("\0", 1) + good, {}, {{1, {cutAfter}}}},
        // A row marked not to print is not checked: it uses no paper.
        {sjis(u"名前,郵便番号,印刷\n山〓,1,しない\n山田,1000001,\n"),
         rinova::addresses::FileFormat::Sheet,
         {}},
    };
    for (const auto& c : cases) {
        AddressGrid g;
        g.importContent(c.content, c.format);
        std::vector<std::pair<int, QStringList>> found;
        for (const RowFindings& f : checkRows(g, 1, g.rowCountWithHeader() - 1))
            found.emplace_back(f.row, f.texts());
        EXPECT_EQ(found, c.want) << rinova::text::toUnicode(c.content).toStdString();
    }
    AddressGrid g;
    g.importContent(sjis(u"名前,印刷\n山田,しない\n鈴木,\n"), rinova::addresses::FileFormat::Sheet);
    EXPECT_EQ(rinova::addresses::rowsToPrint(g, 1, 2), std::vector<int>{2});
    EXPECT_TRUE(rinova::addresses::rowsToPrint(g, 1, 1).empty());
}

TEST(RowCheck, PostalQuestionsJoinTheRowsOwn) {
    AddressGrid g;
    fill(g, {u"a,様,1234567,東京都千代田区,丸の内1-1", u",,,,,",
             u"c,様,600001,札幌市中央区,北1条西", u"d,様,1000013,東京都千代田区霞が関"});
    // The hook hears the code and address 1 then 2 of each row that is not empty; its finding
    // follows the digit rule's and comes before the renderer's.
    std::vector<QString> heard;
    const auto hook = [&](const QString& code, const QString& address) -> std::optional<Finding> {
        heard.push_back(code + u'|' + address);
        return Finding(QStringLiteral("postal-test"), QStringLiteral("問い"));
    };
    std::vector<RowFindings> found = checkRows(
        g, 1, 4, [](int row) { return row == 3; }, hook);
    EXPECT_EQ(heard, (std::vector<QString>{u"1234567|東京都千代田区丸の内1-1"_qs,
                                           u"600001|札幌市中央区北1条西"_qs,
                                           u"1000013|東京都千代田区霞が関"_qs}));
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[2].texts(),
              (QStringList{u"郵便番号が 6 桁です（先頭の 0 が落ちていませんか）"_qs, u"問い"_qs,
                           u"縮めても枠に収まらない文字があります"_qs}));

    // The questions of the real data, with what programs read of them.
    const rinova::postal::Directory data =
        rinova::postal::load(QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/postal"));
    found = checkRows(g, 1, 4, {}, rinova::addresses::postalQuestions(data));
    ASSERT_EQ(found.size(), 3u);
    ASSERT_EQ(found[0].problems.size(), 1u);
    const Finding& notHeld = found[0].problems[0];
    EXPECT_EQ(notHeld.kind, u"postal-not-held"_qs);
    EXPECT_EQ(notHeld.code, u"1234567"_qs);
    EXPECT_EQ(notHeld.rowSays, u"東京都千代田区丸の内1-1"_qs);
    EXPECT_EQ(notHeld.suggestions,
              (std::vector<Suggestion>{{u"1000005"_qs, u"東京都千代田区丸の内"_qs}}));
    EXPECT_EQ(found[2].row, 3);
    ASSERT_EQ(found[2].problems.size(), 2u);
    EXPECT_EQ(found[2].problems[0].kind, u"postal-digits"_qs);
    EXPECT_EQ(found[2].problems[1].kind, u"postal-six-digits"_qs);
    EXPECT_EQ(found[2].problems[1].suggestions.at(0).code, u"0600001"_qs);

    QTemporaryDir none;
    EXPECT_FALSE(rinova::addresses::postalQuestions(rinova::postal::load(none.path())));
}
