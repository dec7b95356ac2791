// The main window and the settings window together: what the preview reads from the settings
// window, and what ending the program leaves in the settings file.
#include "app/main_window.h"
#include "app/settings_window.h"
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace rinova;
using rinova::testing::readBytes;
using rinova::testing::ScriptedPrompts;
using rinova::testing::writeBytes;

namespace {

int countTexts(const drawing::CardPicture& p) {
    int n = 0;
    for (const auto& op : p.ops)
        n += std::holds_alternative<drawing::TextOp>(op);
    return n;
}

// Both windows created as the program creates them, on a settings file of the test's own.
struct TwoWindows : ::testing::Test {
    rinova::testing::NoPrintService noPrinters; // whatever printers the machine has
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    ScriptedPrompts prompts;
    std::unique_ptr<app::MainWindow> mainWindowPtr;
    app::SettingsWindow* settingsWindowPtr = nullptr;

    void start() {
        mainWindowPtr = std::make_unique<app::MainWindow>(ini);
        mainWindowPtr->startUp();
        mainWindowPtr->createSettingsWindow();
        settingsWindowPtr = mainWindowPtr->settingsWindow();
        mainWindowPtr->show();
    }
    void TearDown() override { mainWindowPtr.reset(); }
};

} // namespace

TEST_F(TwoWindows, SettingsWindowChangesRedrawThePreviewWithTheirValues) {
    start();
    app::MainWindow& mainWindow = *mainWindowPtr;
    app::SettingsWindow& settingsWindow = *settingsWindowPtr;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));

    const int textsWithoutSender = countTexts(mainWindow.lastPicture());
    const int draws = mainWindow.previewDraws();
    settingsWindow.controls().printSenderCheck->click();
    EXPECT_GT(mainWindow.previewDraws(), draws);
    // The sender block adds its texts to the card drawn at once.
    EXPECT_GT(countTexts(mainWindow.lastPicture()), textsWithoutSender);

    // Moving address line 1 moves it on the preview and in the file.
    settingsWindow.controls().xSpin->setValue(15);
    EXPECT_EQ(mainWindow.settings().layout().Address1X, 945);
    EXPECT_NE(readBytes(ini).find("Edit1Value0=15"), std::string::npos);
    bool found = false;
    for (const auto& op : mainWindow.lastPicture().ops)
        if (const auto* t = std::get_if<drawing::TextOp>(&op))
            found |= t->x == 945 && t->font.isVertical();
    EXPECT_TRUE(found);
}

TEST_F(TwoWindows, EndingTheProgramDoesNotStoreTheSettingsWindowsChoices) {
    writeBytes(ini, "[SET]\r\nSashiPrint=0\r\nCardType=0\r\n");
    start();
    app::MainWindow& mainWindow = *mainWindowPtr;
    app::SettingsWindow& settingsWindow = *settingsWindowPtr;
    mainWindow.showSettingsWindow();
    ASSERT_TRUE(settingsWindow.isVisible());
    settingsWindow.controls().printSenderCheck->click();

    const std::string before = readBytes(ini);
    mainWindow.close(); // ends the program; the settings window's close handler does not run
    EXPECT_EQ(readBytes(ini), before);
}
