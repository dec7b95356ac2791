// The main window: start-up steps and their failures, the font check, the menu handlers.
#include "addresses/address_grid.h"
#include "app/main_window.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "widgets/address_grid_view.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rinova;
using rinova::testing::readBytes;
using rinova::testing::ScriptedPrompts;
using rinova::testing::sjis;
using rinova::testing::writeBytes;

namespace {

const QStringList kFaces = {u"@ＤＦ行書体"_qs, u"@ＭＳ 明朝"_qs, u"@ＭＳ ゴシック"_qs,
                            u"@HG行書体"_qs, u"@HG創英角ﾎﾟｯﾌﾟ体"_qs};

} // namespace

TEST(Centring, HalvesEachSizeOnItsOwnBeforeSubtracting) {
    EXPECT_EQ(app::centredPosition({1024, 768}, {742, 484}), QPoint(141, 142));
    EXPECT_EQ(app::centredPosition({1920, 1080}, {742, 484}), QPoint(589, 298));
    EXPECT_EQ(app::centredPosition({1366, 768}, {743, 484}).x(), 312);
}

TEST(FontCheck, NamesEveryFaceNoEntryEqualsExactlyInOrder) {
    EXPECT_EQ(app::missingFaces(kFaces, kFaces), QString());
    EXPECT_EQ(app::missingFaces({u"Foo"_qs, u"@ＭＳ 明朝"_qs, u"@ＭＳ ゴシック"_qs}, kFaces),
              u"@ＤＦ行書体@HG行書体@HG創英角ﾎﾟｯﾌﾟ体"_qs);
    // An empty list reports nothing.
    EXPECT_EQ(app::missingFaces({}, kFaces), QString());
    // A missing space, another letter width or case is another face.
    const QStringList nearly = {u"@ＭＳ明朝"_qs, u"@MS 明朝"_qs, u"@ｍｓ 明朝"_qs};
    EXPECT_TRUE(app::missingFaces(nearly, kFaces).contains(u"@ＭＳ 明朝"_qs));
}

TEST(FontCheck, TheMessageNamesThePackageOfEachMissingFaceAfterTheSentence) {
    EXPECT_EQ(app::missingFontMessage(kFaces, kFaces), QString());
    EXPECT_EQ(app::missingFontMessage({}, kFaces), QString());
    EXPECT_EQ(app::missingFontMessage({u"Foo"_qs, u"@ＭＳ 明朝"_qs, u"@ＭＳ ゴシック"_qs}, kFaces),
              u"@ＤＦ行書体@HG行書体@"
              u"HG創英角ﾎﾟｯﾌﾟ体はインストールされていませんので正しく印刷できません\n"
              u"\n代わりのフォントは次のパッケージにあります:\n"
              u"　@ＤＦ行書体: fonts-aoyagi-kouzan-t\n"
              u"　@HG行書体: fonts-kouzan-mouhitsu\n"
              u"　@HG創英角ﾎﾟｯﾌﾟ体: fonts-rocknroll\n"
              u"\nインストールするには: sudo apt install fonts-aoyagi-kouzan-t "
              u"fonts-kouzan-mouhitsu fonts-rocknroll"_qs);
    const QString gothic =
        app::missingFontMessage({u"Foo"_qs}, {u"@ＭＳ 明朝"_qs, u"ＭＳ ゴシック"_qs});
    EXPECT_TRUE(gothic.contains(u"@ＭＳ 明朝: fonts-ipaexfont-mincho\n"_qs));
    EXPECT_TRUE(gothic.endsWith(u"apt install fonts-ipaexfont-mincho fonts-ipaexfont-gothic"_qs));
    // A face without a substitute keeps the sentence alone.
    EXPECT_EQ(app::missingFontMessage({u"Foo"_qs}, {u"@Bar"_qs}),
              u"@Barはインストールされていませんので正しく印刷できません"_qs);
}

class MainWindowTest : public ::testing::Test {
protected:
    rinova::testing::NoPrintService noPrinters; // whatever printers the machine has
    QTemporaryDir dir;
    QString ini() const { return dir.filePath(QStringLiteral("rinova.ini")); }
};

TEST_F(MainWindowTest, NonIntegerSettingStopsStartUpAtTheLayoutStep) {
    writeBytes(ini(), "[SET]\r\nEdit3Value2=abc\r\n");
    ScriptedPrompts prompts;
    app::MainWindow form(ini());
    form.setScreenSizeForCentring({1024, 768});
    form.startUp();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], u"'abc' は整数ではありません."_qs);
    EXPECT_EQ(form.pos(), QPoint(141, 142)); // the centring before it was done
    EXPECT_EQ(form.settings().layout(), settings::CardLayout{});
    EXPECT_TRUE(form.addressGrid().cell(0, 1).empty()); // no header
    EXPECT_EQ(form.grid().numberColumnWidth(), 64);
    EXPECT_EQ(form.fontListBox().count(), 0);
    EXPECT_TRUE(prompts.messages.empty()); // no font check
    EXPECT_EQ(form.previewBox().geometry(), QRect(473, 48, 105, 105));
}

TEST_F(MainWindowTest, WithoutADefaultPrinterTheFontListStaysEmpty) {
    ScriptedPrompts prompts;
    app::MainWindow form(ini());
    form.startUp();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], u"デフォルト プリンタが存在しません."_qs);
    EXPECT_EQ(form.addressGrid().cell(0, 1), sjis(u"名前1"));
    EXPECT_EQ(form.addressGrid().cell(0, 6), sjis(u"備考"));
    EXPECT_EQ(form.addressGrid().rowCountWithHeader(), 5);
    EXPECT_EQ(form.settings().layout().NameSize, 130);
    EXPECT_EQ(form.fontListBox().count(), 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(QFile::exists(ini())); // start-up writes nothing
}

TEST_F(MainWindowTest, NameTwoToggleFlipsTheMarkAndRedraws) {
    ScriptedPrompts prompts;
    app::MainWindow form(ini());
    form.startUp();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.printName2Action().isChecked());
    const int before = form.previewDraws();
    form.togglePrintName2();
    EXPECT_FALSE(form.printName2Action().isChecked());
    form.printName2Action().trigger(); // as the menu does
    EXPECT_TRUE(form.printName2Action().isChecked());
    EXPECT_EQ(form.previewDraws(), before + 2);
}

TEST_F(MainWindowTest, OpenImportsCancelsAndReportsUnreadableFiles) {
    ScriptedPrompts prompts;
    app::MainWindow form(ini());
    form.startUp();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    prompts.errors.clear();

    // Cancel: nothing changes and nothing is redrawn.
    int draws = form.previewDraws();
    form.openAddressFile();
    EXPECT_EQ(form.addressGrid().rowCountWithHeader(), 5);
    EXPECT_EQ(form.previewDraws(), draws);
    EXPECT_EQ(prompts.lastOpenFolder, QCoreApplication::applicationDirPath());

    const QString csv = dir.filePath(QStringLiteral("a.csv"));
    writeBytes(csv, sjis(u"山田 太郎,花子,1234567,東京都,一-二,備考\r\n鈴木,,100-0001,,,\r\n"));
    prompts.openAnswers.push_back(csv);
    form.openAddressFile();
    EXPECT_EQ(form.addressGrid().rowCountWithHeader(), 3);
    EXPECT_EQ(form.addressGrid().cell(1, 1), sjis(u"山田　太郎"));
    EXPECT_EQ(form.addressGrid().cell(2, 2), " ");
    EXPECT_EQ(form.previewDraws(), draws + 1);
    EXPECT_EQ(form.lastPicture().ops.empty(), false);
    // Kept as the last list, for the open dialog of an installed program.
    EXPECT_NE(readBytes(ini()).find("LastFile=" + csv.toStdString() + "\r\n"), std::string::npos);

    // A typed name that does not exist: the message names the full path; the grid stays.
    const QString missing = dir.filePath(QStringLiteral("none.csv"));
    prompts.openAnswers.push_back(missing);
    draws = form.previewDraws();
    EXPECT_FALSE(widgets::guarded([&] { form.openAddressFile(); }));
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], u"ファイル "_qs + QDir::cleanPath(missing) + u" は開けません."_qs);
    EXPECT_EQ(form.addressGrid().rowCountWithHeader(), 3);
    EXPECT_EQ(form.previewDraws(), draws);
}

// The preview keeps the width last set on the splitter (or what the grid leaves at the stated
// size); the grid takes the rest, down to its narrowest, and a drag is kept in the file.
TEST_F(MainWindowTest, SplitterKeepsThePreviewWidthAndTheGridTakesTheRest) {
    constexpr int kStated = -1, kNarrowestGrid = -2; // preview widths that depend on the handle
    struct Case {
        const char* stored; // PreviewWidth, or nothing
        int window, preview;
    };
    const Case cases[] = {
        {nullptr, 742, kStated}, {nullptr, 1400, kStated},       {"300", 742, 300},
        {"300", 1400, 300},      {"300", 400, kNarrowestGrid},   {"abc", 742, kStated},
        {"-5", 742, kStated},    {"99999", 742, kNarrowestGrid}, {"100001", 742, kStated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored ? c.stored : "none") + " " + std::to_string(c.window));
        const std::string written =
            c.stored ? "[SET]\r\nPreviewWidth=" + std::string(c.stored) + "\r\n" : "";
        writeBytes(ini(), written);
        ScriptedPrompts prompts;
        app::MainWindow form(ini());
        form.startUp();
        form.resize(c.window, 484);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        const int h = form.splitter().handleWidth();
        const int preview = c.preview == kStated          ? 742 - 449 - h
                            : c.preview == kNarrowestGrid ? c.window - h - 150
                                                          : c.preview;
        EXPECT_EQ(form.previewBox().width(), preview);
        EXPECT_EQ(form.grid().width(), c.window - h - preview);
        EXPECT_EQ(form.previewBox().height(), form.grid().height());
        EXPECT_EQ(rinova::testing::readBytes(ini()), written); // nothing written until a drag
    }

    // A drag with the mouse moves the handle; letting go keeps the place for the next start.
    writeBytes(ini(), "");
    int dragged = 0;
    {
        ScriptedPrompts prompts;
        app::MainWindow form(ini());
        form.startUp();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QWidget* handle = form.splitter().handle(1);
        const QPoint middle = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, middle);
        QTest::mouseMove(handle, middle - QPoint(100, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, middle - QPoint(100, 0));
        dragged = form.previewBox().width();
        EXPECT_EQ(form.grid().width(), 349);
        EXPECT_EQ(rinova::testing::readBytes(ini()),
                  "[SET]\r\nPreviewWidth=" + std::to_string(dragged) + "\r\n");
        form.resize(1000, 484);
        EXPECT_EQ(form.previewBox().width(), dragged);
    }
    ScriptedPrompts prompts;
    app::MainWindow again(ini());
    again.startUp();
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.previewBox().width(), dragged);
}
