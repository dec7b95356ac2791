// The main window and the settings window together: what the preview reads from the settings
// window, and what ending the program leaves in the settings file.
#include "app/main_window.h"
#include "app/settings_window.h"
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

int countTexts(const surface::CardPicture& p) {
    int n = 0;
    for (const auto& op : p.ops)
        n += std::holds_alternative<surface::TextOp>(op);
    return n;
}

// Both windows created as the program creates them, on a settings file of the test's own.
struct TwoWindows : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    ScriptedPrompts prompts;
    std::unique_ptr<app::MainWindow> form1p;
    app::SettingsWindow* form2p = nullptr;

    void start() {
        form1p = std::make_unique<app::MainWindow>(ini);
        form1p->startUp();
        form1p->createSettingsWindow();
        form2p = form1p->settingsWindow();
        form1p->show();
    }
    void TearDown() override { form1p.reset(); }
};

} // namespace

TEST_F(TwoWindows, SettingsWindowChangesRedrawThePreviewWithTheirValues) {
    start();
    app::MainWindow& form1 = *form1p;
    app::SettingsWindow& form2 = *form2p;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));

    const int textsWithoutSender = countTexts(form1.lastPicture());
    const int draws = form1.previewDraws();
    form2.controls().printSenderCheck->click();
    EXPECT_GT(form1.previewDraws(), draws);
    // The sender block adds its texts to the card drawn at once.
    EXPECT_GT(countTexts(form1.lastPicture()), textsWithoutSender);

    // Moving address line 1 moves it on the preview and in the file.
    form2.controls().xSpin->setValue(15);
    EXPECT_EQ(form1.settings().layout().Address1X, 945);
    EXPECT_NE(readBytes(ini).find("Edit1Value0=15"), std::string::npos);
    bool found = false;
    for (const auto& op : form1.lastPicture().ops)
        if (const auto* t = std::get_if<surface::TextOp>(&op))
            found |= t->x == 945 && t->font.isVertical();
    EXPECT_TRUE(found);
}

TEST_F(TwoWindows, EndingTheProgramDoesNotStoreTheSettingsWindowsChoices) {
    writeBytes(ini, "[SET]\r\nSashiPrint=0\r\nCardType=0\r\n");
    start();
    app::MainWindow& form1 = *form1p;
    app::SettingsWindow& form2 = *form2p;
    form1.showSettingsWindow();
    ASSERT_TRUE(form2.isVisible());
    form2.controls().printSenderCheck->click();

    const std::string before = readBytes(ini);
    form1.close(); // ends the program; the settings window's close handler does not run
    EXPECT_EQ(readBytes(ini), before);
}
