// The spin edit driven with real key and mouse events.
#include "tests/support/typing.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using rinova::widgets::SpinEdit;

namespace {

struct SpinEditTest : ::testing::Test {
    SpinEdit spin;
    QSignalSpy changes{&spin, &SpinEdit::changed};
    QSignalSpy refusals{&spin, &SpinEdit::refused};

    void SetUp() override { spin.resize(49, 21); }
    void clear() {
        spin.lineEdit()->selectAll();
        QTest::keyClick(spin.lineEdit(), Qt::Key_Delete);
    }
    void paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(spin.lineEdit(), Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_F(SpinEditTest, TypingTakesDigitsSignsAndDecimalPointAndRefusesTheRest) {
    clear();
    QTest::keyClicks(spin.lineEdit(), "-1a2 3.4+");
    EXPECT_EQ(spin.text(), "-123.4+");
    EXPECT_EQ(refusals.count(), 2); // "a" and " "
    QTest::keyClick(spin.lineEdit(), Qt::Key_Return);
    QTest::keyClick(spin.lineEdit(), Qt::Key_Enter);
    EXPECT_EQ(refusals.count(), 4);
    QTest::keyClick(spin.lineEdit(), Qt::Key_Backspace); // a control key
    EXPECT_EQ(spin.text(), "-123.4");
    EXPECT_EQ(refusals.count(), 4);
    rinova::testing::typeText(spin.lineEdit(), u"あ"_qs);
    EXPECT_EQ(spin.text(), "-123.4");
}

TEST_F(SpinEditTest, EveryChangeOfTheTextIsReported) {
    clear();
    changes.clear();
    QTest::keyClicks(spin.lineEdit(), "125");
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(spin.value(), 125);
    QTest::keyClick(spin.lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(spin.value(), 12);
}

TEST_F(SpinEditTest, ValueFollowsTheIntegerRuleAndIsZeroOtherwise) {
    const std::pair<QString, int> cases[] = {
        {"", 0},           {"-", 0},
        {"1.5", 0},        {"abc", 0},
        {"$1A", 26},       {"+12", 12},
        {" 7", 7},         {"7 ", 0},
        {"0x", 0},         {"2147483647", 2147483647},
        {"2147483648", 0}, {"-2147483648", std::numeric_limits<int>::min()}};
    for (const auto& [text, value] : cases) {
        spin.lineEdit()->setText(text);
        EXPECT_EQ(spin.value(), value) << text.toStdString();
    }
}

TEST_F(SpinEditTest, PasteAndCutLetAnyTextIn) {
    clear();
    paste("12mm");
    EXPECT_EQ(spin.text(), "12mm");
    EXPECT_EQ(spin.value(), 0);
    EXPECT_EQ(refusals.count(), 0);
    spin.lineEdit()->selectAll();
    changes.clear();
    QTest::keyClick(spin.lineEdit(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(spin.text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "12mm");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(SpinEditTest, SettingTheShownValueIsNoChange) {
    spin.setValue(0);
    EXPECT_EQ(changes.count(), 0);
    spin.setValue(-5);
    EXPECT_EQ(spin.text(), "-5");
    EXPECT_EQ(changes.count(), 1);
    spin.setValue(-5);
    EXPECT_EQ(changes.count(), 1);
    // Same value, other text: the decimal text replaces it.
    spin.lineEdit()->setText("+7");
    changes.clear();
    spin.setValue(7);
    EXPECT_EQ(spin.text(), "7");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(SpinEditTest, ArrowKeysStepByOneWithoutRangeAndWrapAtTheEnds) {
    QTest::keyClick(spin.lineEdit(), Qt::Key_Up);
    QTest::keyClick(spin.lineEdit(), Qt::Key_Up);
    EXPECT_EQ(spin.value(), 2);
    QTest::keyClick(spin.lineEdit(), Qt::Key_Down);
    EXPECT_EQ(spin.value(), 1);
    spin.setValue(std::numeric_limits<int>::max());
    QTest::keyClick(spin.lineEdit(), Qt::Key_Up);
    EXPECT_EQ(spin.value(), std::numeric_limits<int>::min());
    QTest::keyClick(spin.lineEdit(), Qt::Key_Down);
    EXPECT_EQ(spin.value(), std::numeric_limits<int>::max());
    // A text that is no integer steps from 0.
    spin.lineEdit()->setText("abc");
    QTest::keyClick(spin.lineEdit(), Qt::Key_Down);
    EXPECT_EQ(spin.text(), "-1");
    EXPECT_EQ(refusals.count(), 0);
}

TEST_F(SpinEditTest, AClickOnAButtonIsOneStep) {
    QTest::mouseClick(spin.upButton(), Qt::LeftButton);
    EXPECT_EQ(spin.value(), 1);
    QTest::mouseClick(spin.downButton(), Qt::LeftButton);
    QTest::mouseClick(spin.downButton(), Qt::LeftButton);
    EXPECT_EQ(spin.value(), -1);
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(SpinEditTest, HoldingAButtonRepeatsAfter400msThenEvery100ms) {
    spin.show();
    QElapsedTimer clock;
    std::vector<qint64> at;
    QObject::connect(&spin, &SpinEdit::changed, [&] { at.push_back(clock.elapsed()); });
    clock.start();
    QTest::mousePress(spin.upButton(), Qt::LeftButton);
    // The event loop runs the repeat timer until six steps have come.
    ASSERT_TRUE(QTest::qWaitFor([&] { return at.size() >= 6; }, 5000));
    QTest::mouseRelease(spin.upButton(), Qt::LeftButton);
    const auto steps = at.size();
    EXPECT_EQ(spin.value(), static_cast<int>(steps)); // the release adds no step
    ASSERT_GE(steps, 6u);
    EXPECT_LT(at[0], 100); // the press steps at once
    // Qt's coarse timers may fire up to 5 % early (and the clock counts whole ms); a loaded
    // machine may fire late. Qt's own default delay, 300 ms, would fail.
    EXPECT_GE(at[1] - at[0], 370);
    EXPECT_LT(at[1] - at[0], 1500);
    for (std::size_t i = 2; i < 6; ++i) {
        EXPECT_GE(at[i] - at[i - 1], 90) << i;
        EXPECT_LT(at[i] - at[i - 1], 1000) << i;
    }
    // Released: no more steps.
    QTest::qWait(300);
    EXPECT_EQ(at.size(), steps);
}

} // namespace
