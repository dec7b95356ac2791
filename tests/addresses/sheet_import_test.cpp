// Spreadsheet CSV imported into the grid cell for cell: files as spreadsheet programs save them,
// then one table of the rules, then the test for UTF-8 that the open command asks about.
#include "addresses/address_grid.h"
#include "addresses/sheet_csv.h"
#include "tests/support/test_support.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using rinova::addresses::AddressGrid;
using rinova::addresses::FileFormat;
using rinova::addresses::kColumns;
using rinova::testing::sjis;
using namespace std::string_view_literals;

namespace {

// A row as expected: its cells in UTF-16, columns 0 to 10 (missing ones are empty).
using Cells = std::vector<std::u16string_view>;

// Compares the whole grid below the header with the expected rows, naming the first difference.
void expectRows(const AddressGrid& g, const std::vector<Cells>& rows, const std::string& what) {
    ASSERT_EQ(g.rowCountWithHeader(), static_cast<int>(rows.size()) + 1) << what;
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rinova::addresses::kAllColumns; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const std::u16string want(i < rows[r].size() ? rows[r][i] : u"");
            EXPECT_EQ(g.cell(static_cast<int>(r) + 1, c), sjis(want.c_str()))
                << what << ": row " << r + 1 << ", column " << c;
        }
}

std::string utf8(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())).toStdString();
}

} // namespace

// The same address list saved three ways: Shift-JIS and UTF-8 with a byte-order mark, both with
// CR LF between records, and UTF-8 without a mark with LF alone; a header row whose titles put
// 敬称 second, cells holding line breaks (Alt+Enter: LF inside quotes), doubled quotes, a
// comma, 﨑 and 髙, a postal code stored as a number, a blank row, blanks around names and a
// seventh column that has no title.
TEST(SheetImport, SpreadsheetExportsImportCellForCell) {
    const std::vector<Cells> expected = {
        {u"1", u"山田　太郎", u"", u"1000001", u"東京都千代田区千代田1-1", u" ", u" ", u"様"},
        {u"2", u"髙橋　一郎", u"", u"600001", u"北海道札幌市中央区北1条西2-3",
         u"サンプルハイツ　B棟205", u"旧姓　\"田中\"", u"様"},
        {u"3", u"﨑山　花子", u"", u"0600001", u"北海道札幌市中央区", u"コーポ見本,　101号", u" ",
         u"様"},
        {u"4", u" ", u"", u" ", u" ", u" ", u" ", u" "},
        {u"5", u"鈴木　美咲", u"", u"810-0001", u"福岡県福岡市中央区天神4-5-6",
         u"グランドパレス見本　1203号", u"親戚　（母方）", u"様"},
        {u"6", u"佐藤", u"", u"5400008", u"大阪府大阪市中央区", u" ", u" ", u"様"},
    };
    const struct {
        const char* file;
        FileFormat format;
    } files[] = {
        {"sheet_sjis.csv", FileFormat::Sheet},
        {"sheet_utf8_bom.csv", FileFormat::SheetUtf8},
        {"sheet_utf8.csv", FileFormat::SheetUtf8},
    };
    for (const auto& f : files) {
        const std::string content = rinova::addresses::readAddressFile(
            QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/") + QLatin1String(f.file));
        ASSERT_FALSE(content.empty()) << f.file;
        AddressGrid g;
        g.setRowFields(0, sjis(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
        QSignalSpy reset(&g, &AddressGrid::modelReset);
        const rinova::addresses::ImportReport report = g.importContent(content, f.format);
        expectRows(g, expected, f.file);
        EXPECT_TRUE(report.replacedRows.empty()) << f.file;
        EXPECT_EQ(reset.count(), 1) << f.file;
        EXPECT_EQ(g.cell(0, 1), sjis(u"名前1")) << f.file;
        // The same bytes by the program's own rules: the line breaks split records apart.
        g.importContent(content, FileFormat::Plain);
        EXPECT_GT(g.rowCountWithHeader(), static_cast<int>(expected.size()) + 1) << f.file;
    }
}

TEST(SheetImport, RecordAndCellRules) {
    const struct Case {
        const char* what;
        std::string_view content; // UTF-16 text written in the format's encoding, or raw bytes
        FileFormat format;
        std::vector<Cells> rows;
        std::vector<int> replaced;
    } cases[] = {
        {"a line break of any kind inside quotes is one full-width space; rows follow records",
         "a,\"x\r\ny\"\nb,\"p\rq\"\r\nc,\"m\nn\",\"\n\"",
         FileFormat::Sheet,
         {{u"1", u"a", u"x　y"}, {u"2", u"b", u"p　q"}, {u"3", u"c", u"m　n", u" "}},
         {}},
        {"doubled quotes, commas in quotes, text after the closing quote, an empty quoted cell",
         "\"a\"\"b\",\",\",\"\"\"\",\"ab\"cd,\"\",e\"f",
         FileFormat::Sheet,
         {{u"1", u"a\"b", u",", u"\"", u"abcd", u" ", u"e\"f"}},
         {}},
        {"blanks trimmed at both ends, inner ones full-width, blank cells as one space",
         " a b ,\t\"x\" ,\"\x81\x40y\x81\x40\",   ,\"  \",\x81\x40",
         FileFormat::Sheet,
         {{u"1", u"a　b", u"x", u"y", u" ", u" ", u" "}},
         {}},
        {"an empty line, a cut-short record, a final line break, extra cells dropped",
         "a\n\nb,c,d,e,f,g,h,i\n",
         FileFormat::Sheet,
         {{u"1", u"a"}, {u"2", u" "}, {u"3", u"b", u"c", u"d", u"e", u"f", u"g"}},
         {}},
        {"CR alone ends a record; LF CR leaves an empty one; a trailing comma adds a cell",
         "a\rb\n\rc,",
         FileFormat::Sheet,
         {{u"1", u"a"}, {u"2", u"b"}, {u"3", u" "}, {u"4", u"c", u" "}},
         {}},
        {"a quote never closed takes all the rest",
         "a,\"b\nc,d\ne",
         FileFormat::Sheet,
         {{u"1", u"a", u"b　c,d　e"}},
         {}},
        {"a NUL ends the content",
         "a\nb\0c\nd"sv,
         FileFormat::Sheet,
         {{u"1", u"a"}, {u"2", u"b"}},
         {}},
        {"UTF-8: a byte-order mark only at the start, katakana, wave dash, NBSP and U+3000 trimmed",
         "\xEF\xBB\xBF\xEF\xBD\xB6\xEF\xBE\x85,\xE3\x80\x9C,\xC2\xA0\xE3\x80\x80x\xC2\xA0\n"
         "\xEF\xBB\xBFy",
         FileFormat::SheetUtf8,
         {{u"1", u"ｶﾅ", u"～", u"x"}, {u"2", u"〓y"}},
         {2}},
        {"UTF-8: what Shift-JIS cannot hold becomes 〓, its rows reported, not in dropped cells",
         "\xF0\xA0\xAE\xB7\xE9\x87\x8E,\xF0\x9F\x98\x80\n\xFF\xE3\x81,ok\nx\n"
         "1,2,3,4,5,6,\xF0\x9F\x98\x80",
         FileFormat::SheetUtf8,
         {{u"1", u"〓野", u"〓"},
          {u"2", u"〓〓", u"ok"},
          {u"3", u"x"},
          {u"4", u"1", u"2", u"3", u"4", u"5", u"6"}},
         {1, 2}},
    };
    for (const Case& c : cases) {
        AddressGrid g;
        const rinova::addresses::ImportReport report =
            g.importContent(std::string(c.content), c.format);
        expectRows(g, c.rows, c.what);
        EXPECT_EQ(report.replacedRows, c.replaced) << c.what;
    }

    // Bytes that are no Shift-JIS character stay as they are, and a lead byte never hides the
    // delimiter after it.
    AddressGrid g;
    g.importContent("\x81,\x82\"\n\x85\x40", FileFormat::Sheet);
    ASSERT_EQ(g.rowCountWithHeader(), 3);
    EXPECT_EQ(g.cell(1, 1), "\x81");
    EXPECT_EQ(g.cell(1, 2), "\x82\"");
    EXPECT_EQ(g.cell(2, 1), "\x85\x40");
}

TEST(SheetImport, LooksLikeUtf8) {
    const struct {
        std::string content;
        bool utf8;
    } cases[] = {
        {"\xEF\xBB\xBF", true},                   // a byte-order mark alone
        {utf8(u"山田,様,1000001"), true},         // valid, with multi-byte characters
        {"Yamada,1000001\r\n", false},            // ASCII alone reads the same either way
        {sjis(u"山田,様,東京都千代田区"), false}, // Shift-JIS
        {sjis(u"ｶﾀｶﾅ"), false},                   // half-width katakana bytes
        {utf8(u"山田") + "\x82\xa0", false},      // UTF-8, then a Shift-JIS character
        {utf8(u"山田").substr(0, 5), false},      // cut inside a character
        {"\xED\xA0\x80", false},                  // a surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(rinova::addresses::looksLikeUtf8(c.content), c.utf8)
            << QByteArray::fromStdString(c.content).toHex().constData();
}
