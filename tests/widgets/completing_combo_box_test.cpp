// Completion and change reports of the editable drop-down lists.
#include "tests/support/typing.h"
#include "widgets/completing_combo_box.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using rinova::widgets::CompletingComboBox;

namespace {

struct CompletingComboBoxTest : ::testing::Test {
    CompletingComboBox elements, faces;
    QSignalSpy elementChanges{&elements, &CompletingComboBox::changed};
    QSignalSpy faceChanges{&faces, &CompletingComboBox::changed};

    void SetUp() override {
        elements.addItems({u"住所1"_qs, u"住所2"_qs, u"名前"_qs});
        faces.addItems({u"@ＤＦ行書体"_qs, u"@ＭＳ 明朝"_qs, u"@ＭＳ ゴシック"_qs, u"@HG行書体"_qs,
                        u"@HG創英角ﾎﾟｯﾌﾟ体"_qs});
        elements.setCurrentIndex(0);
        faces.setCurrentIndex(0);
    }
    static void clear(CompletingComboBox& box) {
        box.lineEdit()->selectAll();
        QTest::keyClick(box.lineEdit(), Qt::Key_Delete);
    }
};

TEST_F(CompletingComboBoxTest, TypedBeginningCompletesToTheFirstItemAndChoosesIt) {
    clear(faces);
    faceChanges.clear();
    QTest::keyClicks(faces.lineEdit(), "@h");
    EXPECT_EQ(faces.currentIndex(), 3);
    EXPECT_EQ(faces.currentText(), u"@HG行書体"_qs);
    EXPECT_EQ(faces.lineEdit()->selectedText(), u"G行書体"_qs);
    EXPECT_EQ(faceChanges.count(), 2);
    // Typing on replaces the completed rest.
    rinova::testing::typeText(faces.lineEdit(), u"G創"_qs);
    EXPECT_EQ(faces.currentIndex(), 4);
    EXPECT_EQ(faces.currentText(), u"@HG創英角ﾎﾟｯﾌﾟ体"_qs);
    EXPECT_EQ(faces.lineEdit()->selectedText(), u"英角ﾎﾟｯﾌﾟ体"_qs);
}

TEST_F(CompletingComboBoxTest, TextBeginningNoItemChoosesNone) {
    clear(faces);
    QTest::keyClicks(faces.lineEdit(), "zz");
    EXPECT_EQ(faces.currentIndex(), -1);
    EXPECT_EQ(faces.currentText(), "zz");
    EXPECT_EQ(faceChanges.count(), 3); // the clearing and two letters
}

TEST_F(CompletingComboBoxTest, BackspaceLeavesNoItemChosenEvenOnAnItemsText) {
    clear(elements);
    rinova::testing::typeText(elements.lineEdit(), u"住"_qs);
    EXPECT_EQ(elements.currentIndex(), 0);
    EXPECT_EQ(elements.currentText(), u"住所1"_qs);
    QTest::keyClick(elements.lineEdit(), Qt::Key_Backspace); // removes the completed rest
    EXPECT_EQ(elements.currentIndex(), -1);
    EXPECT_EQ(elements.currentText(), u"住"_qs);

    rinova::testing::typeText(elements.lineEdit(), u"所1x"_qs);
    EXPECT_EQ(elements.currentIndex(), -1);
    QTest::keyClick(elements.lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(elements.currentText(), u"住所1"_qs);
    EXPECT_EQ(elements.currentIndex(), -1);
    // Finishing the edit does not choose the item either.
    QTest::keyClick(elements.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(elements.currentIndex(), -1);
}

TEST_F(CompletingComboBoxTest, PickingAnItemIsAChangeSettingFromCodeIsNot) {
    elements.setCurrentIndex(2);
    elements.setCurrentIndex(-1);
    EXPECT_EQ(elementChanges.count(), 0);
    EXPECT_EQ(elements.currentText(), "");

    elements.setCurrentIndex(0);
    QTest::keyClick(&elements, Qt::Key_Down);
    EXPECT_EQ(elements.currentIndex(), 1);
    EXPECT_EQ(elementChanges.count(), 1);

    elements.show();
    elements.showPopup();
    QAbstractItemView* list = elements.view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 2000));
    const QRect item = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return elements.currentIndex() == 2; }, 2000));
    EXPECT_EQ(elementChanges.count(), 2);
    EXPECT_EQ(elements.currentText(), u"名前"_qs);
}

TEST_F(CompletingComboBoxTest, PastedBeginningCompletesToo) {
    clear(elements);
    elements.lineEdit()->insert(u"名"_qs); // as a paste does
    EXPECT_EQ(elements.currentIndex(), 2);
    EXPECT_EQ(elements.currentText(), u"名前"_qs);
}

} // namespace
