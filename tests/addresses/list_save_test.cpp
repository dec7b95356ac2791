// Saving address lists: every list the project ships saves unchanged as the very same bytes, an
// edited cell changes its own row's bytes only and reads back as it is, edits undone give the
// file's bytes back, and what a format cannot hold is named.
#include "addresses/address_grid.h"
#include "addresses/list_save.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rinova::addresses;
using rinova::testing::readBytes;
using rinova::testing::sjis;

namespace {

QString source(const QString& relative) {
    return QStringLiteral(RINOVA_SOURCE_DIR "/") + relative;
}

// Every address list of the project: the sample, the test lists and the lists of docs/.
QStringList projectLists() {
    QStringList files;
    for (const char* folder : {"samples", "tests/data", "docs"})
        for (const QString& name :
             QDir(source(QLatin1String(folder)))
                 .entryList({QStringLiteral("*.csv"), QStringLiteral("*.txt")}, QDir::Files,
                            QDir::Name))
            files << source(QLatin1String(folder) + u'/' + name);
    return files;
}

std::string savedBytes(const AddressGrid& g) {
    return g.saved(g.file().format, g.layoutForSave()).bytes();
}

// The grid's rows as the same file imported again gives them.
void expectReadsBack(const AddressGrid& g, const std::string& bytes, const std::string& what) {
    AddressGrid again;
    again.importContent(bytes, g.file().format);
    ASSERT_EQ(again.rowCountWithHeader(), g.rowCountWithHeader()) << what;
    for (int r = 1; r < g.rowCountWithHeader(); ++r)
        EXPECT_EQ(again.cells(r), g.cells(r)) << what << ", row " << r;
}

} // namespace

TEST(SaveList, EveryListSavesUnchangedAsTheSameBytesInEachFormat) {
    const QStringList files = projectLists();
    ASSERT_GE(files.size(), 8);
    // Lists made to be awkward: no last line break, LF CR, CR alone, a NUL and what follows it,
    // a quote never closed, a UTF-8 mark, UTF-16 of an odd length with a lone surrogate.
    const std::string odd[] = {
        "a,b",
        "a\n\rb\r\r\n",
        "\"x,y\",\"never closed\r\nz",
        "a,b\r\nc\0junk\r\nmore",
        "\xEF\xBB\xBFname,address\r\n\xE5\xB1\xB1,\"x\"\"y\"\r\n",
        "\x81,\x82\"\n\x85",
        std::string("\xFF\xFE\x41\x00\x09\x00\x00\xD8\x0D\x00\x0A\x00\x42", 13),
        "",
        "a, \"b\r\nc,\"d\r\ne", // a quote after a blank opens a cell that holds the line break
    };
    std::vector<std::pair<std::string, std::string>> lists;
    for (const QString& f : files)
        lists.emplace_back(QFileInfo(f).fileName().toStdString(), readAddressFile(f));
    for (const std::string& o : odd)
        lists.emplace_back(QByteArray::fromStdString(o).toHex().toStdString(), o);

    QTemporaryDir dir;
    for (const auto& [name, content] : lists)
        for (FileFormat format : {FileFormat::Plain, FileFormat::Sheet, FileFormat::SheetUtf8}) {
            const std::string what = name + " as " + std::to_string(static_cast<int>(format));
            AddressGrid g;
            g.importContent(content, format);
            EXPECT_EQ(savedBytes(g), content) << what;
            // Through the files layer, and again from what it wrote.
            const QString path = dir.filePath(QStringLiteral("list.csv"));
            saveList(g, path, g.file().format, g.layoutForSave());
            EXPECT_EQ(readBytes(path), content) << what;
            EXPECT_EQ(savedBytes(g), content) << what;
        }
}

TEST(SaveList, AnEditedCellChangesOnlyItsRowAndReadsBackAsItIs) {
    const struct {
        const char* file;
        FileFormat format;
        int row, column;
        const char16_t* typed;
        const char16_t* cell; // what the grid then holds
    } cases[] = {
        {"samples/addresses.csv", FileFormat::Plain, 2, Name1Column, u"佐藤 一郎", u"佐藤　一郎"},
        {"samples/addresses.csv", FileFormat::Plain, 1, Address2Column, u"コーポ,\"見本\" 101",
         u"コーポ,\"見本\"　101"},
        {"samples/addresses.csv", FileFormat::Plain, 3, RemarkColumn, u"", u" "},
        {"samples/addresses.csv", FileFormat::Plain, 2, RemarkColumn, u"\"会社\"", u"\"会社\""},
        {"tests/data/grid_mixed.csv", FileFormat::Plain, 1, PostalColumn, u" 100-0002 ",
         u"　100-0002　"},
        {"tests/data/sheet_sjis.csv", FileFormat::Sheet, 2, Address2Column, u" 札幌, 2階 ",
         u"札幌,　2階"},
        {"tests/data/sheet_sjis.csv", FileFormat::Sheet, 3, HonorificColumn, u"御中", u"御中"},
        {"tests/data/sheet_utf8_bom.csv", FileFormat::SheetUtf8, 5, Name1Column, u"鈴木　美咲様",
         u"鈴木　美咲様"},
        {"tests/data/sheet_utf16.txt", FileFormat::Plain, 2, Address2Column, u"ハイツ\"B\"",
         u"ハイツ\"B\""},
        {"tests/data/sheet_utf16.txt", FileFormat::Plain, 1, Name2Column, u"花子　一郎",
         u"花子　一郎"},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.file) + " row " + std::to_string(c.row);
        const std::string content = readAddressFile(source(QLatin1String(c.file)));
        AddressGrid g;
        g.importContent(content, c.format);
        const std::string before = g.saved(g.file().format, g.layoutForSave()).source;
        const TypedCell typed = typedCell(QString::fromUtf16(c.typed));
        ASSERT_TRUE(typed.refused.isEmpty()) << what;
        g.replaceRows(c.row, 1, {g.withCell(c.row, c.column, typed.bytes)});
        EXPECT_EQ(g.cell(c.row, c.column), sjis(c.cell)) << what;
        EXPECT_EQ(g.origin(c.row), RowOrigin::Edited) << what;

        // Only the row's own bytes differ: everything before and after it is as it was.
        const SavedList after = g.saved(g.file().format, g.layoutForSave());
        const auto& place = after.rows[static_cast<std::size_t>(c.row - 1)];
        const std::size_t from = place.offset,
                          tail = after.source.size() - place.offset - place.length - place.lineEnd;
        EXPECT_EQ(after.source.substr(0, from), before.substr(0, from)) << what;
        EXPECT_EQ(after.source.substr(after.source.size() - tail),
                  before.substr(before.size() - tail))
            << what;
        expectReadsBack(g, after.bytes(), what);

        // Undone, the row is the file's again, byte for byte.
        AddressGrid fresh;
        fresh.importContent(content, c.format);
        g.replaceRows(c.row, 1, {fresh.rowData(c.row)});
        EXPECT_EQ(savedBytes(g), content) << what;
    }
}

TEST(SaveList, RowsAddedMovedAndDeletedReadBackAndUndoGivesTheFileBack) {
    const std::string content =
        readAddressFile(source(QStringLiteral("tests/data/sheet_sjis.csv")));
    AddressGrid g;
    g.importContent(content, FileFormat::Sheet);
    const int rows = g.rowCountWithHeader() - 1;
    std::vector<RowData> all;
    for (int r = 1; r <= rows; ++r)
        all.push_back(g.rowData(r));

    // A new row at the top, the last two swapped, the third deleted.
    g.replaceRows(1, 0, {g.withCell(0, Name1Column, sjis(u"新井 一"))});
    g.replaceRows(
        rows, 2,
        {all[static_cast<std::size_t>(rows - 1)], all[static_cast<std::size_t>(rows - 2)]});
    g.replaceRows(3, 1, {});
    EXPECT_EQ(g.rowCountWithHeader() - 1, rows);
    EXPECT_EQ(g.cell(rows, 0), std::to_string(rows)); // numbered again
    EXPECT_EQ(g.cell(1, Name1Column), sjis(u"新井　一"));
    expectReadsBack(g, savedBytes(g), "edited");

    g.replaceRows(1, g.rowCountWithHeader() - 1, all);
    EXPECT_EQ(savedBytes(g), content);
}

TEST(SaveList, ColumnsAPlainListCannotHoldNeedAHeaderRowAndLossesAreNamed) {
    // Honorific and print mark in a list without a header: saving gains one, after every field
    // any record has, so a seventh field stays where it was.
    AddressGrid g;
    g.importContent(sjis(u"山田,花子,1000001,東京都,,友人,七番目\r\n佐藤,,5400008,大阪府\r\n"));
    g.replaceRows(2, 1, {g.withCell(2, HonorificColumn, sjis(u"御中"))});
    g.replaceRows(1, 1, {g.withCell(1, PrintColumn, sjis(u"しない"))});
    const ListLayout layout = g.layoutForSave();
    ASSERT_TRUE(layout.header);
    EXPECT_EQ(layout.fields, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, HonorificColumn, PrintColumn}));
    const SavedList sheet = g.saved(FileFormat::Sheet, layout);
    EXPECT_EQ(sheet.bytes(), sjis(u"名前1,名前2,〒,住所1,住所2,備考,,敬称,印刷\r\n"
                                  u"山田,花子,1000001,東京都,,友人,七番目,,しない\r\n"
                                  u"佐藤,,5400008,大阪府,,,,御中\r\n"));
    AddressGrid back;
    back.importContent(sheet.bytes(), FileFormat::Sheet);
    EXPECT_EQ(back.cell(1, PrintColumn), sjis(u"しない"));
    EXPECT_EQ(back.cell(2, HonorificColumn), sjis(u"御中"));
    EXPECT_TRUE(back.showsExtraColumns());

    // Into UTF-8, bytes that are no Shift-JIS character cannot go; a spreadsheet's cell keeps
    // no blanks at its ends. Both are named with their rows and columns.
    AddressGrid plain;
    plain.importContent("\x81\r\n" + sjis(u"　山田,様\r\n"));
    EXPECT_EQ(lossesMessage(plain.lossesIn(FileFormat::SheetUtf8, plain.layoutForSave(), 10)),
              QStringLiteral("1 行目 名前1: 「\uFFFD」→「〓」\n2 行目 名前1: 「　山田」→「山田」"));
    EXPECT_TRUE(plain.lossesIn(FileFormat::Plain, plain.layoutForSave(), 10).empty());
}

TEST(SaveList, TypedTextThatNoFileCanHoldIsRefusedByName) {
    const struct {
        const char16_t* typed;
        const char* bytes;
        const char16_t* refused;
    } cases[] = {
        {u"山田", "\x8e\x52\x93\x63", u""}, {u"", " ", u""},
        {u"a\nb\tc", "", u"改行、タブ"},    {u"𠮷田😀", "", u"「𠮷」、「😀」"},
        {u"x\u0001", "", u"制御文字"},
    };
    for (const auto& c : cases) {
        const TypedCell cell = typedCell(QString::fromUtf16(c.typed));
        EXPECT_EQ(cell.refused, QString::fromUtf16(c.refused));
        if (cell.refused.isEmpty()) {
            EXPECT_EQ(cell.bytes, c.bytes);
        }
    }
}

// A list whose last quote was never closed (a damaged file, or a record cut by a NUL byte): a row
// added after it stays a row of its own, whether the open field is in the header, in a row as
// read, or in a field the edited row keeps.
TEST(SaveList, ARowAddedAfterAnOpenQuoteStaysARow) {
    struct Case {
        const char* name;
        std::string content;
        bool editLast;
    };
    const Case cases[] = {
        {"header", "名前,住所1,\"備考", false},
        {"row as read", "名前,住所1\r\n山田,東京\r\n佐藤,\"大阪", false},
        {"row cut by a NUL", std::string("名前,住所1\r\n佐藤,\"大阪\0府\"\r\n", 31), false},
        {"kept field of an edited row", "名前,住所1,メモ\r\n佐藤,大阪,x,\"余り", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AddressGrid g;
        g.importContent(c.content, FileFormat::SheetUtf8);
        const int rows = g.rowCountWithHeader() - 1;
        if (c.editLast && rows > 0) g.replaceRows(rows, 1, {g.withCell(rows, Address1Column, "X")});
        g.replaceRows(g.rowCountWithHeader(), 0, {g.withCell(0, Name1Column, "NEW")});
        expectReadsBack(g, savedBytes(g), c.name);
    }
}

// However the bytes around it are arranged, a row written from its cells stays one row: the file
// reads back as the grid's rows and cells, but for cells named before saving, and the grid, once
// it takes the saved file, shows exactly what the file holds.
TEST(SaveList, ARowWrittenFromItsCellsStaysItsRow) {
    using F = FileFormat;
    struct Case {
        const char* name;
        F format, saveAs;
        std::string content;
        int row, column; // the cell edited; row 0 for none
        std::string typed;
        int named; // the column named before saving, 0 for none
    };
    const std::string fffe = "\xFF\xFEx";
    const Case cases[] = {
        {"row emptied after a lone CR", F::Plain, F::Plain, "a,b\rc\nd,e\r\n", 2, Name1Column, " ",
         0},
        {"last row emptied", F::Sheet, F::Sheet, "a,b\r\nc", 2, Name1Column, " ", 0},
        {"first row made to read as a header", F::Plain, F::Plain,
         sjis(u"x,住所1\r\n山田,東京\r\n"), 1, Name1Column, sjis(u"氏名"), 0},
        {"plain field starting as a UTF-16 mark", F::Plain, F::Plain, "a,b\r\n", 1, Name1Column,
         fffe, 0},
        {"sheet cell starting as a UTF-16 mark", F::Sheet, F::Sheet, "a,b\r\n", 1, Name1Column,
         fffe, 0},
        // The lone lead byte would take the comma after it, and "b" with it.
        {"lead byte ending a plain field", F::Plain, F::Plain, "x\x82\r\nd\r\n", 1, Name2Column,
         "b", 0},
        {"quote as a trail byte in a quoted plain field", F::Plain, F::Plain, "a,b,c\r\n", 1,
         Name2Column, ",\x83\"", 0},
        // Every row written from its cells; the spreadsheet trims the full-width space.
        {"another format", F::Plain, F::SheetUtf8,
         "\x81\x40"
         "b,c\r\nd\r\n",
         0, 0, "", Name1Column},
        // A second code of one character (an NEC selection of an IBM extension) comes back as
        // the character's first code.
        {"duplicate code in another format", F::Plain, F::SheetUtf8, "a,\xED\x40\r\n", 0, 0, "",
         Name2Column},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AddressGrid g;
        g.importContent(c.content, c.format);
        if (c.row) {
            g.replaceRows(c.row, 1, {g.withCell(c.row, c.column, c.typed)});
            EXPECT_EQ(g.cell(c.row, c.column), c.typed); // the neighbours' bytes leave it alone
        }
        const std::vector<CellLoss> losses = g.lossesIn(c.saveAs, g.layoutForSave(), 10);
        ASSERT_EQ(losses.size(), c.named ? 1u : 0u);
        if (c.named) {
            EXPECT_EQ(losses[0].column, c.named);
        }

        SavedList list = g.saved(c.saveAs, g.layoutForSave());
        AddressGrid back;
        back.importContent(list.bytes(), c.saveAs);
        ASSERT_EQ(back.rowCountWithHeader(), g.rowCountWithHeader());
        EXPECT_EQ(back.file().format, c.saveAs);
        for (int r = 1; r < g.rowCountWithHeader(); ++r)
            for (int col = 1; col < kAllColumns; ++col)
                if (!(losses.size() == 1 && r == losses[0].row && col == c.named)) {
                    EXPECT_EQ(back.cell(r, col), g.cell(r, col)) << "row " << r << " col " << col;
                }
        g.adoptSaved(std::move(list));
        for (int r = 1; r < g.rowCountWithHeader(); ++r)
            EXPECT_EQ(g.cells(r), back.cells(r)) << "row " << r;
    }
}
