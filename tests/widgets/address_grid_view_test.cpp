// The address grid view driven with real mouse and key events: current row, anchor, selection,
// the click notification, and what an import does to them.
#include "addresses/address_grid.h"
#include "tests/support/test_support.h"
#include "widgets/address_grid_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using rinova::addresses::AddressGrid;
using rinova::widgets::AddressGridView;

namespace {

std::string linesOf(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i)
        s += "name" + std::to_string(i) + ",x\r\n";
    return s;
}

class GridViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.setRowFields(0, rinova::testing::sjis(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
        view.setModel(&grid);
        view.resize(449, 24 * 12);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QPoint cellCenter(int row, int col = 1) const {
        return view.visualRect(grid.index(row - 1, col - 1)).center();
    }
    void click(int row, Qt::KeyboardModifiers mods = {}, int col = 1) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, mods, cellCenter(row, col));
    }
    void press(int row) { QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cellCenter(row)); }
    void release(int row) {
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cellCenter(row));
    }
    void dragTo(int row) {
        const QPoint p = cellCenter(row);
        QMouseEvent move(QEvent::MouseMove, p, view.viewport()->mapToGlobal(p), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(&view, k, mods); }
    void expectRows(int current, int anchor) {
        EXPECT_EQ(view.currentRow(), current);
        EXPECT_EQ(view.anchorRow(), anchor);
        EXPECT_EQ(view.selectionTop(), std::min(current, anchor));
        EXPECT_EQ(view.selectionBottom(), std::max(current, anchor));
        // What is painted as selected is exactly that range.
        for (int r = 1; r <= grid.rowCount(); ++r)
            EXPECT_EQ(view.selectionModel()->isRowSelected(r - 1, {}),
                      r >= view.selectionTop() && r <= view.selectionBottom())
                << "row " << r;
    }

    AddressGrid grid;
    AddressGridView view;
};

} // namespace

TEST_F(GridViewTest, StartsWithFourEmptyRowsAndRowOneCurrent) {
    EXPECT_EQ(grid.rowCount(), 4);
    expectRows(1, 1);
    EXPECT_EQ(view.verticalHeader()->sectionSize(0), 24);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(0), 64);
    EXPECT_EQ(view.horizontalHeader()->height(), 24);
    EXPECT_EQ(view.verticalHeader()->width(), 64);
    view.setNumberColumnWidth(30);
    EXPECT_EQ(view.verticalHeader()->width(), 30);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(view.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(grid.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名前1"));
}

TEST_F(GridViewTest, PlainClickMovesBothAndNotifiesOnRelease) {
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    press(3);
    EXPECT_EQ(clicks.count(), 0);
    expectRows(3, 3);
    release(3);
    EXPECT_EQ(clicks.count(), 1);
    click(2, {}, 6);
    expectRows(2, 2);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(GridViewTest, ShiftClickAndDragMoveOnlyTheAnchor) {
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    click(2);
    click(4, Qt::ShiftModifier);
    expectRows(2, 4);
    click(1, Qt::ShiftModifier);
    expectRows(2, 1);
    EXPECT_EQ(clicks.count(), 3);

    press(3);
    dragTo(4);
    dragTo(1);
    expectRows(3, 1);
    EXPECT_EQ(clicks.count(), 3); // nothing until the button is released
    release(1);
    expectRows(3, 1);
    EXPECT_EQ(clicks.count(), 4);
}

TEST_F(GridViewTest, HeaderRowNumberColumnAndEmptyAreaMoveNothing) {
    click(3);
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    const QHeaderView* top = view.horizontalHeader();
    QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                      QPoint(top->sectionPosition(1) + 10, top->height() / 2));
    const QHeaderView* side = view.verticalHeader();
    QTest::mouseClick(side->viewport(), Qt::LeftButton, {},
                      QPoint(side->width() / 2, side->sectionPosition(1) + 10));
    QTest::mouseClick(side->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(side->width() / 2, side->sectionPosition(0) + 10));
    if (auto* corner = view.findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
        QTest::mouseClick(corner, Qt::LeftButton);
    // Below the last row there is no cell.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, 24 * 4 + 30));
    expectRows(3, 3);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(GridViewTest, ArrowKeysMoveTheCurrentRowShiftKeepsTheAnchor) {
    grid.importContent(linesOf(100));
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    view.setCurrentRow(5);
    expectRows(5, 5);
    key(Qt::Key_Down);
    expectRows(6, 6);
    key(Qt::Key_Right);
    expectRows(7, 7);
    key(Qt::Key_Left);
    expectRows(6, 6);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    expectRows(8, 6);
    key(Qt::Key_Up, Qt::ShiftModifier);
    expectRows(7, 6);
    EXPECT_EQ(clicks.count(), 6);
    key(Qt::Key_Up);
    expectRows(6, 6);
    EXPECT_EQ(clicks.count(), 7);
}

TEST_F(GridViewTest, PageHomeAndEndKeys) {
    grid.importContent(linesOf(100));
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    view.setCurrentRow(10);
    key(Qt::Key_End);
    expectRows(100, 100);
    EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(grid.index(99, 0))));
    key(Qt::Key_Home, Qt::ShiftModifier);
    expectRows(1, 100);
    key(Qt::Key_PageDown);
    const int page = view.currentRow() - 1;
    EXPECT_GE(page, 5);
    EXPECT_LE(page, 12);
    expectRows(1 + page, 1 + page);
    key(Qt::Key_PageDown, Qt::ShiftModifier);
    expectRows(1 + 2 * page, 1 + page);
    key(Qt::Key_PageUp);
    expectRows(1 + page, 1 + page);
    EXPECT_EQ(clicks.count(), 5);
    key(Qt::Key_PageUp);
    key(Qt::Key_PageUp); // already at the top: no move, no notification
    expectRows(1, 1);
    EXPECT_EQ(clicks.count(), 6);
}

TEST_F(GridViewTest, KeyThatDoesNotMoveTheRowChangesNothing) {
    click(3);
    click(1, Qt::ShiftModifier);
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    key(Qt::Key_End, Qt::ShiftModifier);
    expectRows(4, 1);
    key(Qt::Key_Down);
    key(Qt::Key_Right, Qt::ShiftModifier);
    expectRows(4, 1);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(GridViewTest, ImportKeepsOrMovesTheCurrentRow) {
    grid.importContent(linesOf(10));
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    view.setCurrentRow(8);
    click(5, Qt::ShiftModifier);
    expectRows(8, 5);

    // Fewer rows: the current row is gone, the new last row takes its place alone.
    grid.importContent(linesOf(6));
    expectRows(6, 6);
    // The same number of rows: current row and selected range stay.
    click(2);
    click(4, Qt::ShiftModifier);
    grid.importContent(linesOf(6));
    expectRows(2, 4);
    // More rows: the current row exists and stays, the selection shrinks to it.
    grid.importContent(linesOf(50));
    expectRows(2, 2);
    // Fewer rows with the current row still there.
    grid.importContent(linesOf(3));
    expectRows(2, 2);
    EXPECT_EQ(clicks.count(), 3); // the mouse clicks only: an import notifies nothing
}

TEST_F(GridViewTest, FileWithNoLinesLeavesNoCurrentRow) {
    QSignalSpy clicks(&view, &AddressGridView::gridClick);
    grid.importContent("");
    EXPECT_EQ(view.currentRow(), 0);
    EXPECT_EQ(view.selectionTop(), 0);
    EXPECT_EQ(view.selectionBottom(), 0);
    EXPECT_FALSE(view.selectionModel()->hasSelection());
    key(Qt::Key_Down);
    key(Qt::Key_End);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(view.currentRow(), 0);
    EXPECT_EQ(clicks.count(), 0);
    grid.importContent(linesOf(3));
    expectRows(1, 1);
}

TEST_F(GridViewTest, SetRowCountFollowsTheSameRule) {
    view.setCurrentRow(4);
    grid.setRowCountWithHeader(3);
    expectRows(2, 2);
    grid.setRowCountWithHeader(8);
    expectRows(2, 2);
}
