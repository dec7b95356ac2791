// The address grid: rows from comma texts, the import of a file's content, reading the file,
// and what the grid shows as a table model.
#include "addresses/address_grid.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using rinova::addresses::AddressGrid;
using rinova::addresses::readAddressFile;
using rinova::testing::sjis;
using rinova::text::Failure;
using namespace std::string_view_literals;

namespace {

const char16_t* kHeader = u"番号,名前1,名前2,〒,住所1,住所2,備考";

std::vector<std::string> row(const AddressGrid& g, int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < rinova::addresses::kColumns; ++c)
        cells.emplace_back(g.cell(r, c));
    return cells;
}

} // namespace

TEST(SetRowFields, FieldsGoToColumnsAndEmptyFieldsBecomeOneSpace) {
    AddressGrid g;
    g.setRowFields(2, "7,a,,b,");
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("7", "a", " ", "b", " ", "", ""));
    g.setRowFields(2, "1,2,3,4,5,6,7,8,9");
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("1", "2", "3", "4", "5", "6", "7"));
    // The row is emptied first: nothing of the longer text remains.
    g.setRowFields(2, "x");
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("x", "", "", "", "", "", ""));
    g.setRowFields(2, "");
    EXPECT_EQ(g.rowBytes(2), 0u);
    // Other rows are untouched and rows outside the grid are ignored.
    EXPECT_EQ(g.rowBytes(1), 0u);
    g.setRowFields(5, "a");
    g.setRowFields(-1, "a");
    EXPECT_EQ(g.rowCountWithHeader(), 5);
}

TEST(SetRowFields, HeaderRowGivesTheColumnTitles) {
    AddressGrid g;
    EXPECT_EQ(g.rowCountWithHeader(), 5);
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.columnCount(), 6);
    QSignalSpy header(&g, &AddressGrid::headerDataChanged);
    g.setRowFields(0, sjis(kHeader));
    EXPECT_EQ(header.count(), 1);
    EXPECT_EQ(g.cell(0, 0), sjis(u"番号"));
    EXPECT_EQ(g.cell(0, 3), sjis(u"〒"));
    EXPECT_EQ(g.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名前1"));
    EXPECT_EQ(g.headerData(5, Qt::Horizontal).toString(), QStringLiteral("備考"));
}

TEST(SetRowFields, ManyRewritesKeepTheStorageSmall) {
    // 200 rewrites of four rows of 100 kB write 20 MB; the grid holds 400 kB of them.
    AddressGrid g;
    const std::string big(100000, 'x');
    std::size_t most = 0, live = 0;
    for (int i = 0; i < 200; ++i) {
        g.setRowFields(1 + i % 4, std::to_string(i) + "," + big);
        live = 0;
        for (int r = 0; r < g.rowCountWithHeader(); ++r)
            live += g.rowBytes(r);
        most = std::max(most, g.storedBytes() * 1000 / std::max<std::size_t>(live, 1));
    }
    EXPECT_GE(g.storedBytes(), live);
    EXPECT_LE(most, 3000) << "stored bytes reached " << most / 1000.0 << " times the live ones";
    EXPECT_EQ(g.cell(4, 1), big);
    EXPECT_EQ(g.cell(1, 0), "196");
    EXPECT_EQ(g.cell(3, 0), "198");
}

TEST(Import, SpacesBecomeFullWidthAndKeepTheFieldsInTheirColumns) {
    AddressGrid g;
    g.importContent("Yamada Taro,b,\"c d\",  ,e\n");
    ASSERT_EQ(g.rowCountWithHeader(), 2);
    const std::string fw = "\x81\x40";
    EXPECT_THAT(row(g, 1), ::testing::ElementsAre("1", "Yamada" + fw + "Taro", "b", "c" + fw + "d",
                                                  fw + fw, "e", ""));
}

TEST(Import, SixFieldsAtMostAndEmptyLines) {
    AddressGrid g;
    g.importContent("1,2,3,4,5,6,7,8\n\na,,\n\tx\ty,\t\n");
    ASSERT_EQ(g.rowCountWithHeader(), 5);
    EXPECT_THAT(row(g, 1), ::testing::ElementsAre("1", "1", "2", "3", "4", "5", "6"));
    EXPECT_THAT(row(g, 2), ::testing::ElementsAre("2", " ", "", "", "", "", ""));
    EXPECT_THAT(row(g, 3), ::testing::ElementsAre("3", "a", " ", " ", "", "", ""));
    EXPECT_THAT(row(g, 4), ::testing::ElementsAre("4", "x", "y", "", "", "", ""));
}

TEST(Import, RowCountFollowsTheLinesAndEarlierRowsAreGone) {
    AddressGrid g;
    g.setRowFields(0, sjis(kHeader));
    g.importContent("a,b,c,d,e,f\r\ng\r\nh\r\ni\r\nj\r\nk\r\n");
    EXPECT_EQ(g.rowCountWithHeader(), 7);
    EXPECT_EQ(g.cell(6, 0), "6");
    g.importContent("z\r\n");
    EXPECT_EQ(g.rowCountWithHeader(), 2);
    EXPECT_THAT(row(g, 1), ::testing::ElementsAre("1", "z", "", "", "", "", ""));
    EXPECT_EQ(g.cell(2, 0), "");
    EXPECT_EQ(g.cell(0, 1), sjis(u"名前1")); // the header stays
    g.importContent(std::string("a\nb\0c\nd"sv));
    EXPECT_EQ(g.rowCountWithHeader(), 3);
    EXPECT_EQ(g.cell(2, 1), "b");
}

TEST(Import, FileWithNoLinesLeavesOnlyTheHeader) {
    AddressGrid g;
    g.setRowFields(0, sjis(kHeader));
    QSignalSpy reset(&g, &AddressGrid::modelReset);
    g.importContent("");
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(g.rowCountWithHeader(), 1);
    EXPECT_EQ(g.rowCount(), 0);
    EXPECT_EQ(g.cell(0, 0), sjis(u"番号"));
    g.importContent("x");
    EXPECT_EQ(g.rowCountWithHeader(), 2);
    EXPECT_EQ(g.cell(1, 0), "1");
}

TEST(Import, InvalidBytesAreKeptAndShownAsReplacementCharacters) {
    AddressGrid g;
    const std::string bad = "\x80\xFF\x81\x20"; // the 0x20 trail becomes a full-width space
    g.importContent("a" + bad + ",\x85\x40," + sjis(u"髙橋"));
    EXPECT_EQ(g.cell(1, 1), "a\x80\xFF\x81\x81\x40");
    EXPECT_EQ(g.cell(1, 2), "\x85\x40");
    const QString shown = g.data(g.index(0, 0)).toString();
    EXPECT_EQ(shown.left(1), QStringLiteral("a"));
    EXPECT_TRUE(shown.contains(QChar(0xFFFD)));
    EXPECT_EQ(g.data(g.index(0, 1)).toString(), QString(QChar(0xFFFD)) + u'@');
    EXPECT_EQ(g.data(g.index(0, 2)).toString(), QStringLiteral("髙橋"));
    EXPECT_EQ(g.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
}

TEST(GridModel, SetRowCountInsertsAndRemovesRows) {
    AddressGrid g;
    g.setRowFields(4, "4,d");
    QSignalSpy removed(&g, &AddressGrid::rowsRemoved), inserted(&g, &AddressGrid::rowsInserted);
    g.setRowCountWithHeader(3);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(g.cell(4, 1), "");
    g.setRowCountWithHeader(6);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_EQ(g.rowBytes(4), 0u); // a row that comes back is empty
    g.setRowCountWithHeader(0);
    EXPECT_EQ(g.rowCountWithHeader(), 1);
    EXPECT_FALSE(g.flags(g.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(ReadAddressFile, ReadsEveryByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("住所.csv"));
    std::string bytes;
    for (int i = 0; i < 300000; ++i)
        bytes.push_back(static_cast<char>(i * 7));
    rinova::testing::writeBytes(path, bytes);
    EXPECT_EQ(readAddressFile(path), bytes);
    rinova::testing::writeBytes(path, "");
    EXPECT_EQ(readAddressFile(path), "");
}

TEST(ReadAddressFile, FailureNamesTheFullPath) {
    QTemporaryDir dir;
    const auto message = [](const QString& path) {
        try {
            readAddressFile(path);
        } catch (const rinova::text::Failure& f) {
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

namespace {

// Bytes of address space this process holds.
rlim_t heldAddressSpace() {
    const QByteArray status =
        QByteArray::fromStdString(rinova::testing::readBytes(QStringLiteral("/proc/self/status")));
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ')[0].toULongLong() << 10;
    return 0;
}

// What readAddressFile gives in a child process that may take `room` bytes of memory beyond
// what it holds, within 20 s: "N bytes" read, or the failure's message.
std::string readWithRoom(const QString& path, rlim_t room) {
    int answer[2];
    if (::pipe(answer) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        const rlim_t limit = heldAddressSpace() + room;
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_AS, &r);
        std::string said;
        try {
            said = std::to_string(readAddressFile(path).size()) + " bytes";
        } catch (const Failure& f) {
            said = f.message().toStdString();
        } catch (const std::exception& e) {
            said = e.what();
        }
        (void)!::write(answer[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(answer[1]);
    std::string said;
    for (int waited = 0; waited < 2000 && ::waitpid(child, nullptr, WNOHANG) == 0; ++waited)
        ::usleep(10000);
    if (::kill(child, SIGKILL) == 0) said = "still reading after 20 s";
    ::waitpid(child, nullptr, 0);
    char buffer[512];
    for (ssize_t n; (n = ::read(answer[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(answer[0]);
    return said;
}

} // namespace

// A file past 2 GiB, or past what memory takes, is named in a message of its own instead of
// ending in a failed allocation; a file that grows while it is read is read as large as it was
// when opened.
TEST(ReadAddressFile, NeverReadsPastItsBound) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("住所.csv"));
    const auto sparse = [&](off_t size) {
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool ok = fd >= 0 && ::ftruncate(fd, size) == 0;
        if (fd >= 0) ::close(fd);
        return ok;
    };
    constexpr rlim_t kRoom = rlim_t(1) << 30;
    ASSERT_TRUE(sparse(off_t(32) << 30));
    EXPECT_EQ(readWithRoom(path, kRoom),
              QStringLiteral("ファイル %1 は 2 GiB を超えているため読み込めません")
                  .arg(path)
                  .toStdString());
    ASSERT_TRUE(sparse(off_t(3) << 29)); // 1.5 GiB
    EXPECT_EQ(
        readWithRoom(path, kRoom),
        QStringLiteral("ファイル %1 を読み込むにはメモリが足りません").arg(path).toStdString());

    // Grown by 16 MiB a millisecond (without taking room on disk), faster than anyone reads:
    // read as large as it was when opened, or refused for its size, but never without end.
    ASSERT_TRUE(sparse(0));
    std::atomic<bool> growing{true};
    std::thread grower([&] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
        for (off_t size = 0; growing && fd >= 0 && size < (off_t(1) << 40); ::usleep(1000))
            (void)!::ftruncate(fd, size += off_t(16) << 20);
        ::close(fd);
    });
    while (QFileInfo(path).size() < (16 << 20))
        ::usleep(1000);
    const std::string read = readWithRoom(path, kRoom);
    growing = false;
    grower.join();
    EXPECT_THAT(read, ::testing::AnyOf(::testing::EndsWith(" bytes"),
                                       ::testing::HasSubstr("を読み込むにはメモリが足りません"),
                                       ::testing::HasSubstr("は 2 GiB を超えている")));
}
