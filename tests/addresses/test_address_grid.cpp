// The address grid: rows from comma texts, the import of a file's content, reading the file,
// and what the grid shows as a table model.
#include "addresses/address_grid.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using rinova::Failure;
using rinova::addresses::AddressGrid;
using rinova::addresses::ReadAddressFile;
using rinova::testing::sjis;
using namespace std::string_view_literals;

namespace {

const char16_t* kHeader = u"番号,名前1,名前2,〒,住所1,住所2,備考";

std::vector<std::string> row(const AddressGrid& g, int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < rinova::addresses::kColumns; ++c)
        cells.emplace_back(g.Cell(r, c));
    return cells;
}

} // namespace

TEST(SetRowCommaText, FieldsGoToColumnsAndEmptyFieldsBecomeOneSpace) {
    AddressGrid g;
    g.SetRowCommaText(2, "7,a,,b,");
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("7", "a", " ", "b", " ", "", ""));
    g.SetRowCommaText(2, "1,2,3,4,5,6,7,8,9");
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("1", "2", "3", "4", "5", "6", "7"));
    // The row is emptied first: nothing of the longer text remains.
    g.SetRowCommaText(2, "x");
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("x", "", "", "", "", "", ""));
    g.SetRowCommaText(2, "");
    EXPECT_EQ(g.RowBytes(2), 0u);
    // Other rows are untouched and rows outside the grid are ignored.
    EXPECT_EQ(g.RowBytes(1), 0u);
    g.SetRowCommaText(5, "a");
    g.SetRowCommaText(-1, "a");
    EXPECT_EQ(g.RowCount(), 5);
}

TEST(SetRowCommaText, HeaderRowGivesTheColumnTitles) {
    AddressGrid g;
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.columnCount(), 6);
    QSignalSpy header(&g, &AddressGrid::headerDataChanged);
    g.SetRowCommaText(0, sjis(kHeader));
    EXPECT_EQ(header.count(), 1);
    EXPECT_EQ(g.Cell(0, 0), sjis(u"番号"));
    EXPECT_EQ(g.Cell(0, 3), sjis(u"〒"));
    EXPECT_EQ(g.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名前1"));
    EXPECT_EQ(g.headerData(5, Qt::Horizontal).toString(), QStringLiteral("備考"));
}

TEST(SetRowCommaText, ManyRewritesKeepTheStorageSmall) {
    AddressGrid g;
    const std::string big(100000, 'x');
    for (int i = 0; i < 200; ++i)
        g.SetRowCommaText(1 + i % 4, std::to_string(i) + "," + big);
    EXPECT_EQ(g.Cell(4, 1), big);
    EXPECT_EQ(g.Cell(1, 0), "196");
    EXPECT_EQ(g.Cell(3, 0), "198");
}

TEST(Import, SpacesBecomeFullWidthAndKeepTheFieldsInTheirColumns) {
    AddressGrid g;
    g.ImportContent("Yamada Taro,b,\"c d\",  ,e\n");
    ASSERT_EQ(g.RowCount(), 2);
    const std::string fw = "\x81\x40";
    EXPECT_THAT(row(g, 1), ::testing::ElementsAre("1", "Yamada" + fw + "Taro", "b", "c" + fw + "d",
                                                  fw + fw, "e", ""));
}

TEST(Import, SixFieldsAtMostAndEmptyLines) {
    AddressGrid g;
    g.ImportContent("1,2,3,4,5,6,7,8\n\na,,\n\tx\ty,\t\n");
    ASSERT_EQ(g.RowCount(), 5);
    EXPECT_THAT(row(g, 1), ::testing::ElementsAre("1", "1", "2", "3", "4", "5", "6"));
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("2", " ", "", "", "", "", ""));
    EXPECT_THAT(row(g, 3), ::testing::ElementsAre("3", "a", " ", " ", "", "", ""));
    EXPECT_THAT(row(g, 4), ::testing::ElementsAre("4", "x", "y", "", "", "", ""));
}

TEST(Import, RowCountFollowsTheLinesAndEarlierRowsAreGone) {
    AddressGrid g;
    g.SetRowCommaText(0, sjis(kHeader));
    g.ImportContent("a,b,c,d,e,f\r\ng\r\nh\r\ni\r\nj\r\nk\r\n");
    EXPECT_EQ(g.RowCount(), 7);
    EXPECT_EQ(g.Cell(6, 0), "6");
    g.ImportContent("z\r\n");
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_THAT(row(g, 1), ::testing::ElementsAre("1", "z", "", "", "", "", ""));
    EXPECT_EQ(g.Cell(2, 0), "");
    EXPECT_EQ(g.Cell(0, 1), sjis(u"名前1")); // the header stays
    g.ImportContent("a\nb\0c\nd"sv);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(2, 1), "b");
}

TEST(Import, FileWithNoLinesLeavesOnlyTheHeader) {
    AddressGrid g;
    g.SetRowCommaText(0, sjis(kHeader));
    QSignalSpy reset(&g, &AddressGrid::modelReset);
    g.ImportContent("");
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_EQ(g.rowCount(), 0);
    EXPECT_EQ(g.Cell(0, 0), sjis(u"番号"));
    g.ImportContent("x");
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cell(1, 0), "1");
}

TEST(Import, InvalidBytesAreKeptAndShownAsReplacementCharacters) {
    AddressGrid g;
    const std::string bad = "\x80\xFF\x81\x20"; // the 0x20 trail becomes a full-width space
    g.ImportContent("a" + bad + ",\x85\x40," + sjis(u"髙橋"));
    EXPECT_EQ(g.Cell(1, 1), "a\x80\xFF\x81\x81\x40");
    EXPECT_EQ(g.Cell(1, 2), "\x85\x40");
    const QString shown = g.data(g.index(0, 0)).toString();
    EXPECT_EQ(shown.left(1), QStringLiteral("a"));
    EXPECT_TRUE(shown.contains(QChar(0xFFFD)));
    EXPECT_EQ(g.data(g.index(0, 1)).toString(), QString(QChar(0xFFFD)) + u'@');
    EXPECT_EQ(g.data(g.index(0, 2)).toString(), QStringLiteral("髙橋"));
    EXPECT_EQ(g.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
}

TEST(GridModel, SetRowCountInsertsAndRemovesRows) {
    AddressGrid g;
    g.SetRowCommaText(4, "4,d");
    QSignalSpy removed(&g, &AddressGrid::rowsRemoved), inserted(&g, &AddressGrid::rowsInserted);
    g.SetRowCount(3);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(g.Cell(4, 1), "");
    g.SetRowCount(6);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_EQ(g.RowBytes(4), 0u); // a row that comes back is empty
    g.SetRowCount(0);
    EXPECT_EQ(g.RowCount(), 1);
    EXPECT_FALSE(g.flags(g.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(ReadAddressFile, ReadsEveryByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("住所.csv"));
    std::string bytes;
    for (int i = 0; i < 300000; ++i)
        bytes.push_back(static_cast<char>(i * 7));
    rinova::testing::writeBytes(path, bytes);
    EXPECT_EQ(ReadAddressFile(path), bytes);
    rinova::testing::writeBytes(path, "");
    EXPECT_EQ(ReadAddressFile(path), "");
}

TEST(ReadAddressFile, FailureNamesTheFullPath) {
    QTemporaryDir dir;
    const auto message = [](const QString& path) {
        try {
            ReadAddressFile(path);
        } catch (const Failure& f) {
            return f.message();
        }
        return QStringLiteral("no failure");
    };
    const QString missing = dir.filePath(QStringLiteral("無い.csv"));
    EXPECT_EQ(message(missing), QStringLiteral("ファイル %1 は開けません").arg(missing));
    EXPECT_EQ(message(dir.path()), QStringLiteral("ファイル %1 は開けません").arg(dir.path()));

    // A relative name is reported with its full, cleaned path.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString relative = message(QStringLiteral("sub/../x.csv"));
    QDir::setCurrent(cwd);
    EXPECT_EQ(relative, QStringLiteral("ファイル %1/x.csv は開けません").arg(dir.path()));
    // Devices are not address files (reading one might never end).
    EXPECT_EQ(message(QStringLiteral("/dev/zero")),
              QStringLiteral("ファイル /dev/zero は開けません"));
}
