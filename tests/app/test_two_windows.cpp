// The main window and the settings window together: what the preview reads from the settings
// window, and what ending the program leaves in the settings file.
#include "app/unit1.h"
#include "settings/unit2.h"
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
    std::unique_ptr<app::TForm1> form1p;
    std::unique_ptr<settings::TForm2> form2p;

    void start() {
        form1p = std::make_unique<app::TForm1>(ini);
        form1p->FormCreate();
        form2p = app::createForm2(*form1p);
        form1p->show();
    }
    void TearDown() override {
        app::Form2 = nullptr;
        form2p.reset();
        form1p.reset();
    }
};

} // namespace

TEST_F(TwoWindows, SettingsWindowChangesRedrawThePreviewWithTheirValues) {
    start();
    app::TForm1& form1 = *form1p;
    settings::TForm2& form2 = *form2p;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));

    const int textsWithoutSender = countTexts(form1.lastPicture());
    const int draws = form1.previewDraws();
    form2.controls().CheckBox1->click();
    EXPECT_GT(form1.previewDraws(), draws);
    // The sender block adds its texts to the card drawn at once.
    EXPECT_GT(countTexts(form1.lastPicture()), textsWithoutSender);

    // Moving address line 1 moves it on the preview and in the file.
    form2.controls().SpinEdit1->setValue(15);
    EXPECT_EQ(form1.cardLayout().Address1X, 945);
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
    app::TForm1& form1 = *form1p;
    settings::TForm2& form2 = *form2p;
    form1.N5Click();
    ASSERT_TRUE(form2.isVisible());
    form2.controls().CheckBox1->click();

    const std::string before = readBytes(ini);
    form1.close(); // ends the program; the settings window's close handler does not run
    EXPECT_EQ(readBytes(ini), before);
}
