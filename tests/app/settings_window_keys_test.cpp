// The settings window under keys as the window system delivers them, to the widget that has the
// focus: the tab order cycle after cycle, Backspace in the completing lists, and a held spin
// button when the file cannot be written.
#include "app/main_window.h"
#include "app/settings_window.h"
#include "tests/support/test_support.h"
#include "widgets/byte_limited_edit.h"
#include "widgets/completing_combo_box.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace rinova::testing {
namespace {

struct SettingsKeys : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    QByteArray savedCups = qgetenv("CUPS_SERVER");
    ScriptedPrompts prompts;
    std::unique_ptr<app::MainWindow> form;
    app::SettingsWindow* settings = nullptr;

    void SetUp() override { qputenv("CUPS_SERVER", "/nonexistent/rinova-test.sock"); }
    void TearDown() override {
        form.reset();
        if (savedCups.isEmpty())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", savedCups);
    }
    // Both windows as the program makes them, the settings window shown and active.
    void open() {
        form = std::make_unique<app::MainWindow>(ini);
        form->startUp();
        form->createSettingsWindow();
        form->show();
        settings = form->settingsWindow();
        form->showSettingsWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(settings));
        prompts.errors.clear();
    }
    app::SettingsWindow::Controls& c() { return settings->controls(); }

    // The control that has the focus, an editable list standing for its edit.
    static QWidget* focused() {
        QWidget* w = QApplication::focusWidget();
        if (w && qobject_cast<QComboBox*>(w->parentWidget())) return w->parentWidget();
        return w;
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    static void type(const QString& text) {
        for (const QChar ch : text) {
            QTest::sendKeyEvent(QTest::Press, QApplication::focusWidget(), Qt::Key_unknown,
                                QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), Qt::Key_unknown,
                                QString(ch), Qt::NoModifier);
        }
    }
};

TEST_F(SettingsKeys, TabVisitsEveryControlInOrderCycleAfterCycle) {
    open();
    auto stops = [&] {
        std::vector<QWidget*> s = {c().elementCombo,      c().xSpin->lineEdit(),
                                   c().ySpin->lineEdit(), c().sizeSpin->lineEdit(),
                                   c().faceCombo,         c().numbersCombo,
                                   c().closeButton,       c().printSenderCheck};
        for (QWidget* e : c().senderEdits())
            s.push_back(e);
        // The card type is one stop: the button that is checked.
        s.push_back(c().cardTypeRadios[0]->isChecked() ? c().cardTypeRadios[0]
                                                       : c().cardTypeRadios[1]);
        return s;
    };
    EXPECT_EQ(focused(), c().elementCombo) << "the window opens on the element selector";
    for (int round = 0; round < 2; ++round) {
        // The second cycle runs with the other card type checked.
        if (round == 1) c().cardTypeRadios[1]->setChecked(true);
        const std::vector<QWidget*> expected = stops();
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(focused(), expected[i]) << "cycle " << round << ", stop " << i;
            press(Qt::Key_Tab);
        }
        EXPECT_EQ(focused(), c().elementCombo) << "after cycle " << round;
    }
    // Backwards too, into the checked card type and on.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), c().cardTypeRadios[1]);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), c().senderRemark);
}

TEST_F(SettingsKeys, BackspaceAtTheListLeavesNoItemChosen) {
    open();
    // 名 completes to 名前; Backspace takes the completed rest away and chooses nothing, so 左右
    // then stores nothing.
    c().elementCombo->setFocus();
    press(Qt::Key_A, Qt::ControlModifier);
    type(u"名"_qs);
    EXPECT_EQ(c().elementCombo->currentIndex(), 2);
    press(Qt::Key_Backspace);
    EXPECT_EQ(c().elementCombo->currentIndex(), -1);
    EXPECT_EQ(c().elementCombo->currentText(), u"名"_qs);
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), c().xSpin->lineEdit());
    press(Qt::Key_Up);
    EXPECT_EQ(c().xSpin->value(), 1);
    EXPECT_EQ(readBytes(ini), "") << "nothing stored";

    // @hg completes to @HG行書体; after Backspace closing stores no face.
    c().faceCombo->setFocus();
    press(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("@hg"));
    EXPECT_EQ(c().faceCombo->currentIndex(), 3);
    press(Qt::Key_Backspace);
    EXPECT_EQ(c().faceCombo->currentIndex(), -1);
    settings->close();
    EXPECT_NE(readBytes(ini).find("FontName=-1\r\n"), std::string::npos) << readBytes(ini);
}

TEST_F(SettingsKeys, AHeldSpinButtonStopsAtAFailedWriteWithOneMessage) {
    writeBytes(ini, "[SET]\r\n");
    ASSERT_TRUE(QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup));
    open();
    QToolButton* up = c().xSpin->upButton();
    QTest::mousePress(up, Qt::LeftButton);
    // Held well past the repeat delay: every repeat would try the write again.
    QTest::qWait(1000);
    EXPECT_FALSE(up->isDown());
    QTest::mouseRelease(up, Qt::LeftButton);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(prompts.errors[0].endsWith(u" に書き込めません."_qs));
    EXPECT_EQ(c().xSpin->value(), 1);
    // The next press is a new action: it steps and reports once more.
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(c().xSpin->value(), 2);
}

} // namespace
} // namespace rinova::testing
