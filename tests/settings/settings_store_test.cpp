// The settings store: the settings path, the start-up load, re-reading one element and storing
// one offset.
#include "settings/settings_store.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace rinova::settings;
using rinova::testing::readBytes;
using rinova::testing::sjis;
using rinova::testing::writeBytes;
using rinova::text::Failure;

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const CardLayout kDefaults{130, 580, -320, 57, 930, -230, 830, -500};

class StoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("rinova.ini");
    RawSettings raw;
    CardLayout layout;

    void setFile(const std::string& setLines) { writeBytes(path, "[SET]\r\n" + setLines); }
    // The load's failure message, or "" when it succeeded.
    QString load() {
        try {
            SettingsStore(path).startupLoad(raw, layout);
        } catch (const rinova::text::Failure& f) {
            return f.message();
        }
        return {};
    }
};

TEST(SettingsPath, ExtensionOfTheFileNameIsReplaced) {
    EXPECT_EQ(settingsPathFor("/opt/tools/rinova"), "/opt/tools/rinova.ini");
    EXPECT_EQ(settingsPathFor("/opt/tools/card.exe"), "/opt/tools/card.ini");
    EXPECT_EQ(settingsPathFor("/opt/tools/card.v2.bin"), "/opt/tools/card.v2.ini");
    EXPECT_EQ(settingsPathFor("/opt/v1.2/rinova"), "/opt/v1.2/rinova.ini");
}

TEST_F(StoreTest, NoFileGivesTheDefaultsAndCreatesNothing) {
    EXPECT_EQ(load(), "");
    EXPECT_EQ(layout, kDefaults);
    for (Key k :
         {Key::Edit1Value0, Key::Edit3Value2, Key::FontName, Key::SashiPrint, Key::CardType})
        EXPECT_EQ(raw[k], "0") << keyName(k);
    for (Key k : {Key::SashiYuban3, Key::SashiAdd1, Key::SashiName2, Key::Bikou})
        EXPECT_EQ(raw[k], "") << keyName(k);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(StoreTest, EmptyKeyBehavesAsMissingButSenderTextsStayEmpty) {
    setFile("Edit2Value0=\r\nFontName=  \r\nSashiAdd1=\r\nBikou=\"\"\r\n");
    EXPECT_EQ(load(), "");
    EXPECT_EQ(layout.Address1Y, -230);
    EXPECT_EQ(raw[Key::FontName], "0");
    EXPECT_EQ(raw[Key::SashiAdd1], "");
    EXPECT_EQ(raw[Key::Bikou], "");
}

TEST_F(StoreTest, OffsetsAreAddedToTheirBases) {
    setFile("Edit1Value0=+12\r\nEdit3Value01=5\r\nEdit1Value1=$1A\r\nEdit2Value1=-930\r\n"
            "edit1value2=10\r\nEDIT2VALUE2=-1\r\nEdit3Value2=0x10\r\nEdit2Value0=  7\r\n"
            "CardType=1\r\n");
    EXPECT_EQ(load(), "");
    EXPECT_EQ(layout, (CardLayout{146, 590, -321, 62, 942, -223, 856, -1430}));
    EXPECT_EQ(raw[Key::Edit1Value0], "+12") << "raw texts are kept as read";
    EXPECT_EQ(raw[Key::CardType], "1");
}

TEST_F(StoreTest, HexAndNegativeInAddressLine1) {
    setFile("Edit1Value0=$1A\r\n");
    load();
    EXPECT_EQ(layout.Address1X, 956);
    setFile("Edit1Value0=-930\r\n");
    load();
    EXPECT_EQ(layout.Address1X, 0);
}

TEST_F(StoreTest, NonIntegerNameSizeLeavesAllEightZero) {
    setFile("Edit3Value2=abc\r\nEdit1Value0=5\r\nSashiAdd1=x\r\n");
    EXPECT_EQ(load(), QStringLiteral("'abc' は整数ではありません"));
    EXPECT_EQ(layout, CardLayout{});
    EXPECT_EQ(raw[Key::SashiAdd1], "x") << "every key is read before the layout";
    EXPECT_EQ(raw[Key::CardType], "0");
}

TEST_F(StoreTest, NonIntegerStopsAtItsKeyKeepingEarlierValues) {
    setFile("Edit2Value1=1.5\r\n");
    EXPECT_EQ(load(), QStringLiteral("'1.5' は整数ではありません"));
    CardLayout expected = kDefaults;
    expected.Address2Y = 0;
    EXPECT_EQ(layout, expected);

    setFile("Edit3Value01=12 \r\n");
    EXPECT_EQ(load(), "") << "blanks around a value are dropped on read";
    EXPECT_EQ(layout.AddressSize, 69);

    // A blank kept inside quotes fails; the values after the failing one are left untouched.
    layout = CardLayout{1, 2, 3, 4, 5, 6, 7, 8};
    setFile("Edit3Value01=\"12 \"\r\n");
    EXPECT_EQ(load(), QStringLiteral("'12 ' は整数ではありません"));
    EXPECT_EQ(layout, (CardLayout{130, 580, -320, 4, 5, 6, 7, 8}));
}

TEST_F(StoreTest, LongSenderValueIsCutTo2047Bytes) {
    const std::string kana = sjis(u"あ");
    std::string value;
    while (value.size() < 3000)
        value += kana;
    setFile("SashiAdd1=a" + value + "\r\n"); // odd start: the limit falls inside a character
    EXPECT_EQ(load(), "");
    EXPECT_EQ(raw[Key::SashiAdd1].size(), 2047u);
    setFile("SashiAdd1=" + value + "\r\n");
    load();
    EXPECT_EQ(raw[Key::SashiAdd1], value.substr(0, 2046));
}

TEST_F(StoreTest, LayoutArithmeticWrapsAt32Bits) {
    setFile("Edit1Value0=2147483647\r\nEdit2Value0=-2147483648\r\nEdit3Value2=$7FFFFFFF\r\n");
    EXPECT_EQ(load(), "");
    EXPECT_EQ(layout.Address1X, kMin + 929);
    EXPECT_EQ(layout.Address1Y, kMax - 229);
    EXPECT_EQ(layout.NameSize, kMin + 129);
    EXPECT_EQ(wrapAdd(kMax, 1), kMin);
    EXPECT_EQ(wrapAdd(kMin, -1), kMax);
}

TEST_F(StoreTest, StoreOffsetSetsTheLayoutThenWritesDecimal) {
    SettingsStore store(path);
    layout = kDefaults;
    store.storeOffset(1, Size, 5, layout);
    store.storeOffset(2, Vertical, -40, layout);
    store.storeOffset(0, Horizontal, kMax, layout);
    EXPECT_EQ(layout.AddressSize, 62);
    EXPECT_EQ(layout.NameY, -360);
    EXPECT_EQ(layout.Address1X, kMin + 929);
    EXPECT_EQ(readBytes(path),
              "[SET]\r\nEdit3Value01=5\r\nEdit2Value2=-40\r\nEdit1Value0=2147483647\r\n");

    // Stored key and layout agree: a fresh load computes the same layout.
    CardLayout reloaded;
    SettingsStore(path).startupLoad(raw, reloaded);
    EXPECT_EQ(reloaded, layout);
}

TEST_F(StoreTest, StoreOffsetRewritesAStoredTextInPlainDecimal) {
    setFile("Edit1Value0=+12\r\nEdit2Value0=$1A\r\n");
    SettingsStore store(path);
    store.storeOffset(0, Horizontal, 12, layout);
    store.storeOffset(0, Vertical, 26, layout);
    EXPECT_EQ(readBytes(path), "[SET]\r\nEdit1Value0=12\r\nEdit2Value0=26\r\n");
}

TEST_F(StoreTest, StoreOffsetForNoElementChangesNothing) {
    layout = kDefaults;
    SettingsStore(path).storeOffset(-1, Horizontal, 5, layout);
    EXPECT_EQ(layout, kDefaults);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_THROW(offsetSlot(3, Size), std::out_of_range);
}

TEST_F(StoreTest, FailedStoreKeepsTheNewLayoutValue) {
    setFile("Edit1Value2=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    layout = kDefaults;
    try {
        SettingsStore(path).storeOffset(2, Horizontal, 40, layout);
        FAIL() << "no failure";
    } catch (const rinova::text::Failure& f) {
        EXPECT_EQ(f.message(), path + QStringLiteral(" に書き込めません"));
    }
    EXPECT_EQ(layout.NameX, 620);
    EXPECT_EQ(readBytes(path), "[SET]\r\nEdit1Value2=1\r\n");
}

TEST_F(StoreTest, RereadElementReadsItsThreeKeys) {
    setFile("Edit1Value1=-3\r\nEdit2Value1=\r\nEdit3Value01=9\r\nEdit1Value0=44\r\n");
    SettingsStore store(path);
    raw[Key::Edit1Value0] = "1";
    raw[Key::Edit3Value2] = "abc";
    store.rereadElement(1, raw);
    EXPECT_EQ(raw[Key::Edit1Value1], "-3");
    EXPECT_EQ(raw[Key::Edit2Value1], "0");
    EXPECT_EQ(raw[Key::Edit3Value01], "9");
    EXPECT_EQ(raw[Key::Edit1Value0], "1") << "another element is not read";

    store.rereadElement(2, raw);
    EXPECT_EQ(raw[Key::Edit1Value2], "0");
    EXPECT_EQ(raw[Key::Edit3Value2], "0");

    store.rereadElement(0, raw);
    EXPECT_EQ(raw[Key::Edit1Value0], "44");
    EXPECT_EQ(raw[Key::Edit2Value0], "0");
}

TEST_F(StoreTest, SenderTextsRoundTrip) {
    SettingsStore store(path);
    const std::string address = sjis(u"東京都千代田区表ソ町１－２");
    store.write(Key::SashiAdd1, address);
    store.write(Key::SashiYuban3, "");
    EXPECT_EQ(store.read(Key::SashiAdd1), address);
    EXPECT_EQ(store.read("sashiadd1"), address);
    EXPECT_EQ(store.read(Key::SashiYuban3), "");
}

} // namespace
