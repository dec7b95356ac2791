// The address grid on screen: a table view over an AddressGrid whose header row and number
// column stay in place, with the grid's own rules for the current row, the selected range and
// the click notification (QTableView's own selection handling is not used).
#pragma once

#include <QBasicTimer>
#include <QTableView>
#include <algorithm>
#include <vector>

class QAbstractButton;

namespace rinova::addresses {
class AddressGrid;
}

namespace rinova::widgets {

class AddressGridView : public QTableView {
    Q_OBJECT
public:
    explicit AddressGridView(QWidget* parent = nullptr);

    // Shows the grid (or any model; only an AddressGrid gives the corner its title).
    void setModel(QAbstractItemModel* model) override;
    addresses::AddressGrid* grid() const;

    // Rows are grid rows: 1 is the first address row, the header row 0 is never current or
    // selected. When the grid has no address rows, all four are 0, meaning "no row"; the first
    // rows to appear after that make row 1 current.
    int currentRow() const { return current_; }
    int anchorRow() const { return anchor_; }
    int selectionTop() const { return std::min(current_, anchor_); }
    int selectionBottom() const { return std::max(current_, anchor_); }
    // Makes the row current and the only selected one (clamped to the address rows); does not
    // notify.
    void setCurrentRow(int row);
    // Selects the rows from `anchor` to `current`, `current` current (both clamped); does not
    // notify.
    void setSelectedRows(int anchor, int current);

    // Width of the number column (the fixed first column). It widens by itself when rows arrive
    // whose numbers it cannot show whole; the user drags its boundary in the header row.
    void setNumberColumnWidth(int width);
    int numberColumnWidth() const;

signals:
    // A mouse press on a data cell was released, or a key moved the current row.
    void gridClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int addressRows() const;
    int gridRowAtY(int y) const; // grid row under a viewport y, clamped to the rows; 0 if none
    int pageRows() const;
    void moveTo(int current, int anchor);
    void dragTo(int y);
    void applySelection();
    void rowCountMayHaveChanged();
    void fitNumberColumn();
    bool onNumberBoundary(int x) const;

    std::vector<QMetaObject::Connection> modelLinks_;
    int numberWidth_ = 64;
    int current_ = 0;
    int anchor_ = 0;
    int knownRows_ = 0;
    bool selecting_ = false; // a left press on a data cell is held
    int dragY_ = 0;
    QBasicTimer autoScroll_;
    QAbstractButton* corner_ = nullptr;
    // A drag of the number column's boundary: where it began and the width then; -1 when none.
    int resizeFromX_ = -1;
    int resizeFromWidth_ = 0;
};

} // namespace rinova::widgets
