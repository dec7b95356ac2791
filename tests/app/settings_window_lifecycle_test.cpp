// loadFromSettings from the stored texts and saveOnClose back to the file, checked on the file's
// bytes.
#include "tests/app/settings_window_fixture.h"

#include <QFile>

namespace rinova::testing {
namespace {

using namespace settings;

const std::string kAllDefaults = iniText({{"FontName", "0"},
                                          {"SashiPrint", "0"},
                                          {"CardType", "0"},
                                          {"SashiYuban3", ""},
                                          {"SashiYuban4", ""},
                                          {"SashiAdd1", ""},
                                          {"SashiAdd2", ""},
                                          {"SashiName1", ""},
                                          {"SashiName2", ""},
                                          {"Bikou", ""}});

TEST_F(SettingsWindowTest, NoSettingsFileStartsOnDefaultsWritesNothingAndCloseCreatesTheFile) {
    start();
    EXPECT_FALSE(QFile::exists(ini));
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(choices().fontIndex, 0);
    EXPECT_FALSE(choices().printSender);
    EXPECT_EQ(choices().cardType, 0);
    for (const std::string& s : choices().senderTexts)
        EXPECT_EQ(s, "");
    EXPECT_EQ(c().xSpin->text(), "0");
    EXPECT_EQ(c().ySpin->text(), "0");
    EXPECT_EQ(c().sizeSpin->text(), "0");
    EXPECT_TRUE(c().sizeSpin->isEnabled());
    EXPECT_EQ(c().elementCombo->currentIndex(), 0);

    show();
    QTest::mouseClick(c().closeButton, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(file(), kAllDefaults);
    // Hidden, not destroyed: it opens again as it was.
    form->show();
    EXPECT_EQ(c().elementCombo->currentIndex(), 0);
}

TEST_F(SettingsWindowTest, StoredOffsetsAreWrittenBackInDecimalAtCreation) {
    start(iniText({{"Edit1Value0", "+12"}, {"Edit2Value0", "$1A"}, {"Edit3Value01", "0x0"}}));
    EXPECT_EQ(c().xSpin->text(), "12");
    EXPECT_EQ(c().ySpin->text(), "26");
    EXPECT_EQ(c().sizeSpin->text(), "0");
    // 0x0 is 0, what the spin edit already showed: not rewritten.
    EXPECT_EQ(file(),
              iniText({{"Edit1Value0", "12"}, {"Edit2Value0", "26"}, {"Edit3Value01", "0x0"}}));
    EXPECT_EQ(layout().Address1X, 942);
    EXPECT_EQ(layout().Address1Y, 26 - 230);
    EXPECT_EQ(redraws, 2);
}

TEST_F(SettingsWindowTest, ChoicesFromTheFileAndUnknownCodesStoredAsDefaults) {
    start(iniText({{"FontName", "4"},
                   {"SashiPrint", "2"},
                   {"CardType", "1"},
                   {"SashiAdd1", sjis(u"東京都千代田区")},
                   {"Bikou", "x"},
                   {"Numbers", "2"}}));
    EXPECT_EQ(c().faceCombo->currentText(), u"@HG創英角ﾎﾟｯﾌﾟ体"_qs);
    EXPECT_EQ(c().numbersCombo->currentIndex(), 2);
    EXPECT_FALSE(choices().printSender);
    EXPECT_EQ(choices().cardType, 1);
    EXPECT_EQ(c().senderAddress1->text(), u"東京都千代田区"_qs);
    EXPECT_EQ(choices().senderTexts[2], sjis(u"東京都千代田区"));

    form->close();
    EXPECT_EQ(file(), iniText({{"FontName", "4"},
                               {"SashiPrint", "0"},
                               {"CardType", "1"},
                               {"SashiAdd1", sjis(u"東京都千代田区")},
                               {"Bikou", "x"},
                               {"Numbers", "2"},
                               {"SashiYuban3", ""},
                               {"SashiYuban4", ""},
                               {"SashiAdd2", ""},
                               {"SashiName1", ""},
                               {"SashiName2", ""}}));
}

TEST_F(SettingsWindowTest, NoFaceChosenRoundTripsAsMinusOne) {
    start();
    const int before = redraws;
    c().faceCombo->lineEdit()->selectAll();
    QTest::keyClicks(c().faceCombo->lineEdit(), "zz");
    EXPECT_EQ(choices().fontIndex, -1);
    EXPECT_EQ(redraws, before + 2); // every edit redraws
    form->close();
    EXPECT_NE(file().find("FontName=-1\r\n"), std::string::npos);

    start();
    EXPECT_EQ(choices().fontIndex, -1);
    EXPECT_EQ(c().faceCombo->currentText(), "");
    const std::string stored = file();
    form->close();
    EXPECT_EQ(file(), stored);
}

TEST_F(SettingsWindowTest, OutOfRangeFaceMeansNone) {
    start(iniText({{"FontName", "5"}}));
    EXPECT_EQ(choices().fontIndex, -1);
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(SettingsWindowTest, ReadOnlyFileOnCloseKeepsTheWindowOpen) {
    const std::string stored = iniText({{"FontName", "1"}, {"SashiName1", sjis(u"山田")}});
    start(stored);
    show();
    typeText(c().senderName1, u"太郎"_qs);
    QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QTest::mouseClick(c().closeButton, Qt::LeftButton);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], unwritable());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->close()); // the close box alike
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(file(), stored);

    QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(file().find("SashiName1=" + sjis(u"山田太郎") + "\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, AfterAFailedFontNameCloseKeepsTheFileUntilTheUserChangesAControl) {
    const std::string stored = iniText({{"FontName", "abc"},
                                        {"SashiPrint", "0"},
                                        {"CardType", "1"},
                                        {"SashiAdd1", sjis(u"東京都")},
                                        {"SashiName1", sjis(u"山田")},
                                        {"Edit1Value0", "5"}});
    start(stored);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], u"'abc' は整数ではありません."_qs);
    // Steps after the font did not run.
    EXPECT_EQ(choices().cardType, 0);
    EXPECT_EQ(c().senderAddress1->text(), "");
    EXPECT_EQ(c().xSpin->text(), "0");
    EXPECT_EQ(choices().fontIndex, 0);

    form->close();
    EXPECT_EQ(file(), stored);
    EXPECT_EQ(prompts.errors.size(), 1u);

    // What the user changes is stored; the rest stays as the file has it.
    show();
    QTest::mouseClick(c().printSenderCheck, Qt::LeftButton);
    typeText(c().senderName1, u"佐藤"_qs);
    form->close();
    EXPECT_EQ(file(), iniText({{"FontName", "abc"},
                               {"SashiPrint", "1"},
                               {"CardType", "1"},
                               {"SashiAdd1", sjis(u"東京都")},
                               {"SashiName1", sjis(u"佐藤")},
                               {"Edit1Value0", "5"}}));
}

TEST_F(SettingsWindowTest, LongStoredTextIsShownWholeAndUntouchedTextsKeepTheirBytes) {
    const std::string address(60, 'a');
    const std::string broken = "\x81\x20\xff" + sjis(u"名"); // no character for 0x81 0x20, 0xFF
    start(iniText({{"SashiAdd1", address}, {"SashiName2", broken}}));
    EXPECT_EQ(c().senderAddress1->text().size(), 60);
    c().senderAddress1->end(false);
    QTest::keyClicks(c().senderAddress1, "b");
    EXPECT_EQ(c().senderAddress1->text().size(), 60);
    form->close();
    const std::string bytes = file();
    EXPECT_NE(bytes.find("SashiAdd1=" + address + "\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("SashiName2=" + broken + "\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, ChoicesRedrawAndWaitForCloseToBeStored) {
    start();
    show();
    QTest::mouseClick(c().printSenderCheck, Qt::LeftButton);
    EXPECT_EQ(redraws, 1);
    QTest::mouseClick(c().cardTypeRadios[1], Qt::LeftButton);
    EXPECT_EQ(redraws, 2);
    pick(c().faceCombo, 2);
    EXPECT_EQ(redraws, 3);
    typeText(c().senderPostal1, u"100"_qs); // sender fields do not redraw
    EXPECT_EQ(redraws, 3);
    EXPECT_FALSE(QFile::exists(ini));
    EXPECT_TRUE(choices().printSender);
    EXPECT_EQ(choices().cardType, 1);
    EXPECT_EQ(choices().fontIndex, 2);
    EXPECT_EQ(choices().senderTexts[0], "100");

    // How the digits stand is kept at once, chosen by key as by mouse.
    c().numbersCombo->setFocus();
    QTest::keyClick(c().numbersCombo, Qt::Key_Down);
    EXPECT_EQ(redraws, 4);
    EXPECT_EQ(file(), iniText({{"Numbers", "1"}}));
}

} // namespace
} // namespace rinova::testing
