// Byte limits in Shift-JIS and the code-page filter of the sender edits.
#include "tests/support/typing.h"
#include "widgets/byte_limited_edit.h"

#include "text/cp932.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using rinova::widgets::ByteLimitedEdit;
using rinova::widgets::sjisLength;

namespace {

struct ByteLimitedEditTest : ::testing::Test {
    ByteLimitedEdit edit;
    QSignalSpy refusals{&edit, &ByteLimitedEdit::refused};

    void paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_F(ByteLimitedEditTest, TypingStopsAtTheLimitCountingFullWidthAsTwo) {
    edit.setByteLimit(14);
    rinova::testing::typeText(&edit, u"あいうえおかきくけこ"_qs);
    EXPECT_EQ(edit.text(), u"あいうえおかき"_qs);
    EXPECT_EQ(refusals.count(), 3);

    edit.clear();
    QTest::keyClicks(&edit, "1234567890123");
    rinova::testing::typeText(&edit, u"あ"_qs); // would make 15
    EXPECT_EQ(edit.text(), "1234567890123");
    rinova::testing::typeText(&edit, u"ｱ"_qs); // half-width katakana is one byte
    EXPECT_EQ(edit.text(), u"1234567890123ｱ"_qs);
    EXPECT_EQ(sjisLength(edit.text()), 14);
}

TEST_F(ByteLimitedEditTest, PasteIsCutAtACharacterBoundary) {
    edit.setByteLimit(14);
    QTest::keyClicks(&edit, "abc");
    paste(u"あいうえおか"_qs); // 12 bytes into 11 of room
    EXPECT_EQ(edit.text(), u"abcあいうえお"_qs);
    EXPECT_EQ(edit.cursorPosition(), 8);
    EXPECT_EQ(refusals.count(), 1);

    // Into the middle, over a selection: the selection's bytes make room.
    edit.setSelection(3, 2); // "あい"
    paste(u"xyzかきく"_qs);
    EXPECT_EQ(edit.text(), u"abcxyzかうえお"_qs);
    EXPECT_EQ(sjisLength(edit.text()), 14);
    EXPECT_EQ(edit.cursorPosition(), 7);
}

TEST_F(ByteLimitedEditTest, LongerTextFromCodeIsShownWholeAndTypingCannotGrowIt) {
    edit.setByteLimit(40);
    const QString stored = QString(30, QChar(u'住')); // 60 bytes
    edit.setText(stored);
    EXPECT_EQ(edit.text(), stored);
    edit.setCursorPosition(30);
    QTest::keyClicks(&edit, "a");
    EXPECT_EQ(edit.text(), stored);
    paste("b");
    EXPECT_EQ(edit.text(), stored);
    // Removing is always allowed; typing resumes once there is room.
    for (int i = 0; i < 11; ++i)
        QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(sjisLength(edit.text()), 38);
    rinova::testing::typeText(&edit, u"所a"_qs);
    EXPECT_EQ(edit.text(), QString(19, QChar(u'住')) + u"所"_qs);
}

TEST_F(ByteLimitedEditTest, CharactersTheCodePageCannotHoldAreRefused) {
    ASSERT_FALSE(rinova::text::canEncode(u"ä"));
    ASSERT_TRUE(rinova::text::canEncode(u"髙①"));
    paste(u"a\U0001F600ä髙①\r\nb"_qs); // no limit, as the sender's postal code fields
    EXPECT_EQ(edit.text(), u"a髙①b"_qs);
    EXPECT_EQ(refusals.count(), 1);
    rinova::testing::typeText(&edit, u"€"_qs);
    EXPECT_EQ(edit.text(), u"a髙①b"_qs);
    EXPECT_EQ(rinova::text::fromUnicode(edit.text()).find('?'), std::string::npos);
}

TEST_F(ByteLimitedEditTest, ComposedTextObeysBothRules) {
    edit.setByteLimit(4);
    QInputMethodEvent commit;
    commit.setCommitString(u"漢ä字です"_qs);
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.text(), u"漢字"_qs);
}

} // namespace
