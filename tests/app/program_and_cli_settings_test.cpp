// The program's start-up and rinova-cli build their settings the same way: after start-up the
// main window's model holds exactly what a reader that never writes builds from the same file.
#include "app/main_window.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "widgets/prompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rinova;

TEST(ProgramAndCliSettings, StartUpAndTheReaderAgreeOnEveryFile) {
    rinova::testing::NoPrintService noPrinters; // whatever printers the machine has
    const char* files[] = {
        "",
        "[SET]\r\nEdit1Value0=+12\r\nEdit2Value0=$1A\r\nEdit3Value01=5\r\n",
        "[SET]\r\nEdit1Value1=-3\r\nEdit2Value2=40\r\nEdit3Value2=7\r\nFontName=3\r\n",
        "[SET]\r\nSashiPrint=1\r\nCardType=1\r\nSashiYuban3=100\r\nSashiAdd1=abc\r\n",
        "[SET]\r\nFontName=abc\r\nSashiPrint=1\r\nEdit1Value0=5\r\n",
        "[SET]\r\nEdit3Value2=abc\r\nEdit1Value0=9\r\n",
        "[SET]\r\nEdit1Value0=12mm\r\n",
        "[SET]\r\nFontName=9\r\nCardType=7\r\nSashiPrint=x\r\nEdit2Value0=-2147483648\r\n",
    };
    for (const char* bytes : files) {
        SCOPED_TRACE(bytes);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("rinova.ini"));
        const QString copy = dir.filePath(QStringLiteral("copy.ini"));
        rinova::testing::writeBytes(ini, bytes);
        rinova::testing::writeBytes(copy, bytes);
        rinova::testing::ScriptedPrompts prompts;

        app::MainWindow program(ini);
        program.startUp();
        widgets::guarded([&] { program.createSettingsWindow(); });
        settings::SettingsModel reader(copy);
        reader.loadWithoutWriting();

        const settings::SettingsModel& started = program.settings();
        EXPECT_EQ(started.layout(), reader.layout());
        EXPECT_EQ(started.choices().fontIndex, reader.choices().fontIndex);
        EXPECT_EQ(started.choices().printSender, reader.choices().printSender);
        EXPECT_EQ(started.choices().cardType, reader.choices().cardType);
        EXPECT_EQ(started.choices().senderTexts, reader.choices().senderTexts);
        EXPECT_EQ(started.printName2(), reader.printName2());
        EXPECT_EQ(rinova::testing::readBytes(copy), bytes) << "the reader never writes";
    }
}
