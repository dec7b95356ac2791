// The grid's number column: wide enough for the largest row number, and sized by the user.
#include "addresses/address_grid.h"
#include "widgets/address_grid_view.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using rinova::addresses::AddressGrid;
using rinova::widgets::AddressGridView;

std::string lines(int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += "a,b\r\n";
    return out;
}

// Drags from one x to another along the header row's corner (the number column's title).
void drag(QWidget* corner, int fromX, int toX) {
    QTest::mousePress(corner, Qt::LeftButton, {}, QPoint(fromX, 10));
    QTest::mouseMove(corner, QPoint((fromX + toX) / 2, 10));
    QTest::mouseMove(corner, QPoint(toX, 10));
    QTest::mouseRelease(corner, Qt::LeftButton, {}, QPoint(toX, 10));
}

TEST(NumberColumn, ShowsTheLargestNumberWholeAndTheUserResizesIt) {
    AddressGrid grid;
    AddressGridView view;
    view.setModel(&grid);
    view.setNumberColumnWidth(30);
    view.resize(449, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QHeaderView* numbers = view.verticalHeader();
    const int margins = 2 * view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, numbers);
    auto needed = [&](const char* text) {
        return numbers->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + margins;
    };

    // More rows widen the column as their numbers need; fewer rows leave it as it is.
    for (auto [rows, largest] :
         {std::pair{999, "999"}, std::pair{1000, "1000"}, std::pair{12345, "12345"}}) {
        SCOPED_TRACE(largest);
        grid.importContent(lines(rows));
        EXPECT_GE(view.numberColumnWidth(), needed(largest));
        EXPECT_EQ(numbers->width(), view.numberColumnWidth());
    }
    const int wide = view.numberColumnWidth();
    grid.importContent(lines(3));
    EXPECT_EQ(view.numberColumnWidth(), wide);

    // The boundary in the header row drags both ways, like the other columns' boundaries.
    auto* corner = view.findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(corner, nullptr);
    drag(corner, corner->width() - 1, corner->width() + 39);
    EXPECT_EQ(view.numberColumnWidth(), wide + 40);
    EXPECT_EQ(numbers->width(), wide + 40);
    drag(corner, corner->width() - 2, corner->width() - 32);
    EXPECT_EQ(view.numberColumnWidth(), wide + 10);
    // Away from the boundary the corner does nothing.
    drag(corner, 5, 60);
    EXPECT_EQ(view.numberColumnWidth(), wide + 10);
}

} // namespace
