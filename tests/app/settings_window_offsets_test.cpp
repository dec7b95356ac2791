// Element switching and the spin edits: what each change writes, sets and redraws.
#include "tests/app/settings_window_fixture.h"

#include <QFile>
#include <QToolButton>

namespace rinova::testing {
namespace {

using namespace settings;

TEST_F(SettingsWindowTest, SwitchingBetweenElementsWhoseOffsetsAreZeroWritesNothing) {
    const std::string stored =
        iniText({{"Edit1Value1", "0"}, {"Edit2Value2", "00"}}) + "; note\r\n";
    start(stored);
    show();
    pick(c().elementCombo, 1);
    EXPECT_EQ(c().elementCombo->currentIndex(), 1);
    EXPECT_FALSE(c().sizeSpin->isEnabled());
    pick(c().elementCombo, 2);
    EXPECT_TRUE(c().sizeSpin->isEnabled());
    pick(c().elementCombo, 0);
    EXPECT_TRUE(c().sizeSpin->isEnabled());
    EXPECT_EQ(file(), stored);
    EXPECT_EQ(redraws, 3); // one per switch, no nested one
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(SettingsWindowTest, SwitchingShowsTheElementAndWritesEachDifferingValueBack) {
    start(iniText({{"Edit1Value0", "5"},
                   {"Edit3Value01", "3"},
                   {"Edit1Value2", "+7"},
                   {"Edit2Value2", "-2"},
                   {"Edit3Value2", "0x10"}}));
    EXPECT_EQ(redraws, 2); // 5 and 3 at creation
    show();
    redraws = 0;
    pick(c().elementCombo, 2);
    EXPECT_EQ(c().xSpin->text(), "7");
    EXPECT_EQ(c().ySpin->text(), "-2");
    EXPECT_EQ(c().sizeSpin->text(), "16");
    EXPECT_EQ(redraws, 4); // three nested, then its own
    EXPECT_EQ(layout().NameX, 587);
    EXPECT_EQ(layout().NameY, -322);
    EXPECT_EQ(layout().NameSize, 146);
    EXPECT_EQ(file(), iniText({{"Edit1Value0", "5"},
                               {"Edit3Value01", "3"},
                               {"Edit1Value2", "7"},
                               {"Edit2Value2", "-2"},
                               {"Edit3Value2", "16"}}));

    // 住所2 has no keys yet: its offsets are 0 and are written as such; its size is the shared
    // one, shown in a disabled spin edit.
    pick(c().elementCombo, 1);
    EXPECT_EQ(c().xSpin->text(), "0");
    EXPECT_EQ(c().sizeSpin->text(), "3");
    EXPECT_FALSE(c().sizeSpin->isEnabled());
    EXPECT_EQ(layout().Address2X, 830);
    EXPECT_EQ(layout().Address2Y, -500);
    EXPECT_EQ(layout().AddressSize, 60);
    EXPECT_EQ(file(), iniText({{"Edit1Value0", "5"},
                               {"Edit3Value01", "3"},
                               {"Edit1Value2", "7"},
                               {"Edit2Value2", "-2"},
                               {"Edit3Value2", "16"},
                               {"Edit1Value1", "0"},
                               {"Edit2Value1", "0"}}));
}

TEST_F(SettingsWindowTest, SpinEditsStoreOneOffsetForTheChosenElement) {
    start();
    show();
    QTest::mouseClick(c().xSpin->upButton(), Qt::LeftButton);
    EXPECT_EQ(file(), iniText({{"Edit1Value0", "1"}}));
    EXPECT_EQ(layout().Address1X, 931);
    EXPECT_EQ(redraws, 1);

    // Emptied, then a lone "-": 0 both times, and the element sits at its base.
    QLineEdit* h = c().xSpin->lineEdit();
    h->selectAll();
    QTest::keyClick(h, Qt::Key_Delete);
    EXPECT_EQ(file(), iniText({{"Edit1Value0", "0"}}));
    QTest::keyClicks(h, "-");
    EXPECT_EQ(file(), iniText({{"Edit1Value0", "0"}}));
    EXPECT_EQ(layout().Address1X, 930);
    QTest::keyClicks(h, "3");
    EXPECT_EQ(file(), iniText({{"Edit1Value0", "-3"}}));
    EXPECT_EQ(layout().Address1X, 927);

    clearAndType(c().sizeSpin->lineEdit(), "-57");
    EXPECT_EQ(layout().AddressSize, 0);
    EXPECT_NE(file().find("Edit3Value01=-57\r\n"), std::string::npos);

    QTest::keyClick(c().ySpin->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(layout().Address1Y, -231);
    EXPECT_NE(file().find("Edit2Value0=-1\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, SizeOfAddressLine2IsTheSharedAddressSize) {
    start();
    show();
    pick(c().elementCombo, 1);
    EXPECT_FALSE(c().sizeSpin->isEnabled());
    c().sizeSpin->setValue(4); // as switching from 名前 would set it
    EXPECT_EQ(layout().AddressSize, 61);
    EXPECT_EQ(layout().NameSize, 130);
    EXPECT_NE(file().find("Edit3Value01=4\r\n"), std::string::npos);
    EXPECT_EQ(file().find("Edit3Value2"), std::string::npos);
}

TEST_F(SettingsWindowTest, WithNoElementChosenSpinEditsOnlyRedraw) {
    start();
    show();
    c().elementCombo->lineEdit()->selectAll();
    QTest::keyClicks(c().elementCombo->lineEdit(), "x");
    EXPECT_EQ(c().elementCombo->currentIndex(), -1);
    const CardLayout before = layout();
    const int drawsBefore = redraws;
    QTest::mouseClick(c().xSpin->upButton(), Qt::LeftButton);
    QTest::mouseClick(c().sizeSpin->downButton(), Qt::LeftButton);
    EXPECT_EQ(redraws, drawsBefore + 2);
    EXPECT_EQ(layout(), before);
    EXPECT_FALSE(QFile::exists(ini));
}

TEST_F(SettingsWindowTest, NonIntegerKeyEndsTheSwitchPartWay) {
    start(iniText({{"Edit1Value2", "4"}, {"Edit2Value2", "abc"}, {"Edit3Value2", "9"}}));
    ASSERT_EQ(prompts.errors.size(), 1u); // the start-up load stopped at "abc" too
    show();
    redraws = 0;
    pick(c().elementCombo, 2);
    ASSERT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(prompts.errors[1], u"'abc' は整数ではありません."_qs);
    EXPECT_EQ(c().xSpin->text(), "4");
    EXPECT_EQ(c().ySpin->text(), "0");
    EXPECT_EQ(c().sizeSpin->text(), "0");
    EXPECT_EQ(redraws, 1); // the nested one only
    EXPECT_EQ(file(),
              iniText({{"Edit1Value2", "4"}, {"Edit2Value2", "abc"}, {"Edit3Value2", "9"}}));
}

TEST_F(SettingsWindowTest, WriteFailureAtCreationLeavesTheLaterSpinEditsAtZero) {
    const std::string stored = iniText({{"Edit1Value0", "+12"}, {"Edit2Value0", "5"}});
    writeBytes(ini, stored);
    QFile::setPermissions(ini, QFile::ReadOwner);
    start();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], unwritable());
    EXPECT_EQ(c().xSpin->text(), "12");
    EXPECT_EQ(c().ySpin->text(), "0");
    EXPECT_EQ(layout().Address1X, 942);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(file(), stored);

    // A spin edit's own failure: the layout value is set, nothing stored, no redraw.
    QTest::keyClick(c().xSpin->lineEdit(), Qt::Key_Up);
    EXPECT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(layout().Address1X, 943);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(file(), stored);
}

} // namespace
} // namespace rinova::testing
