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

} // namespace

TEST(TwoWindows, SettingsWindowChangesRedrawThePreviewWithTheirValues) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    ScriptedPrompts prompts;
    app::TForm1 form1(ini);
    form1.FormCreate();
    settings::TForm2 form2(form1);
    form1.setForm2(&form2);
    form2.FormCreate();
    form1.show();
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

TEST(TwoWindows, EndingTheProgramDoesNotStoreTheSettingsWindowsChoices) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    writeBytes(ini, "[SET]\r\nSashiPrint=0\r\nCardType=0\r\n");
    ScriptedPrompts prompts;
    app::TForm1 form1(ini);
    form1.FormCreate();
    settings::TForm2 form2(form1);
    form1.setForm2(&form2);
    form2.FormCreate();
    form1.show();
    form1.N5Click();
    ASSERT_TRUE(form2.isVisible());
    form2.controls().CheckBox1->click();

    const std::string before = readBytes(ini);
    form1.close(); // ends the program; the settings window's close handler does not run
    EXPECT_EQ(readBytes(ini), before);
}
