// The address grid view: rows are selected, moved and notified by the grid's own rules.
#include "widgets/address_grid_view.h"

#include "addresses/address_grid.h"
#include "text/cp932.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

namespace rinova::widgets {

AddressGridView::AddressGridView(QWidget* parent) : QTableView(parent) {
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    // Selection is set from current_ and anchor_ only; the base class must not change it.
    setSelectionMode(NoSelection);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setAutoScroll(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone); // long cells are cut at the cell's edge, not shortened
    setShowGrid(true);
    setCornerButtonEnabled(false);

    QHeaderView* top = horizontalHeader();
    top->setSectionsClickable(false);
    top->setSectionsMovable(false);
    top->setHighlightSections(false);
    top->setStretchLastSection(false);
    top->setSectionResizeMode(QHeaderView::Interactive);
    top->setDefaultSectionSize(64);
    top->setFixedHeight(24);

    QHeaderView* side = verticalHeader();
    side->setSectionsClickable(false);
    side->setSectionsMovable(false);
    side->setHighlightSections(false);
    side->setMinimumSectionSize(1);
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setDefaultSectionSize(24);
    side->setFixedWidth(numberWidth_);

    // The corner holds the number column's title; QTableView makes it a button.
    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_) {
        corner_->installEventFilter(this);
        corner_->setMouseTracking(true); // the resize cursor over the number column's boundary
    }
}

void AddressGridView::setModel(QAbstractItemModel* model) {
    for (const auto& link : modelLinks_)
        disconnect(link);
    modelLinks_.clear();
    QTableView::setModel(model);
    if (model) {
        modelLinks_.push_back(connect(model, &QAbstractItemModel::modelReset, this,
                                      &AddressGridView::rowCountMayHaveChanged));
        modelLinks_.push_back(connect(model, &QAbstractItemModel::rowsInserted, this,
                                      &AddressGridView::rowCountMayHaveChanged));
        modelLinks_.push_back(connect(model, &QAbstractItemModel::rowsRemoved, this,
                                      &AddressGridView::rowCountMayHaveChanged));
        modelLinks_.push_back(connect(model, &QAbstractItemModel::headerDataChanged, this, [this] {
            if (corner_) corner_->update();
        }));
    }
    knownRows_ = addressRows();
    current_ = anchor_ = knownRows_ > 0 ? 1 : 0;
    applySelection();
}

addresses::AddressGrid* AddressGridView::grid() const {
    return qobject_cast<addresses::AddressGrid*>(model());
}

void AddressGridView::setCurrentRow(int row) {
    setSelectedRows(row, row);
}

void AddressGridView::setSelectedRows(int anchor, int current) {
    const int rows = addressRows();
    const auto clamped = [&](int row) { return rows == 0 ? 0 : std::clamp(row, 1, rows); };
    const int r = clamped(current);
    moveTo(r, clamped(anchor));
    if (r > 0) scrollTo(model()->index(r - 1, std::max(columnAt(0), 0)));
}

void AddressGridView::setNumberColumnWidth(int width) {
    numberWidth_ = std::max(width, 0);
    verticalHeader()->setFixedWidth(numberWidth_);
}

int AddressGridView::numberColumnWidth() const {
    return numberWidth_;
}

int AddressGridView::addressRows() const {
    return model() ? model()->rowCount() : 0;
}

int AddressGridView::gridRowAtY(int y) const {
    const int rows = addressRows();
    if (rows == 0) return 0;
    const int clampedY = std::clamp(y, 0, std::max(viewport()->height() - 1, 0));
    const int r = rowAt(clampedY);
    return r < 0 ? rows : r + 1; // below the last row: the last row
}

int AddressGridView::pageRows() const {
    const int h = verticalHeader()->defaultSectionSize();
    return std::max(1, viewport()->height() / std::max(h, 1));
}

void AddressGridView::moveTo(int current, int anchor) {
    current_ = current;
    anchor_ = anchor;
    applySelection();
}

void AddressGridView::applySelection() {
    QItemSelectionModel* sm = selectionModel();
    if (!sm) return;
    if (current_ <= 0 || !model() || model()->columnCount() == 0) {
        sm->clear();
        return;
    }
    const int lastCol = model()->columnCount() - 1;
    const QItemSelection range(model()->index(selectionTop() - 1, 0),
                               model()->index(selectionBottom() - 1, lastCol));
    sm->select(range, QItemSelectionModel::ClearAndSelect);
    sm->setCurrentIndex(model()->index(current_ - 1, std::max(columnAt(0), 0)),
                        QItemSelectionModel::NoUpdate);
}

void AddressGridView::fitNumberColumn() {
    const int rows = addressRows();
    if (rows == 0) return;
    QHeaderView* numbers = verticalHeader();
    QStyleOptionHeader opt;
    opt.initFrom(numbers);
    opt.orientation = Qt::Vertical;
    opt.text = model()->headerData(rows - 1, Qt::Vertical).toString();
    const QSize text = numbers->fontMetrics().size(0, opt.text);
    const int needed =
        numbers->style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, text, numbers).width();
    if (needed > numberWidth_) setNumberColumnWidth(needed);
}

bool AddressGridView::onNumberBoundary(int x) const {
    const int grip = std::max(style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this), 2);
    return x >= corner_->width() - grip;
}

void AddressGridView::rowCountMayHaveChanged() {
    fitNumberColumn();
    const int rows = addressRows();
    if (rows != knownRows_) {
        knownRows_ = rows;
        int r = current_;
        if (rows == 0)
            r = 0;
        else if (r == 0)
            r = 1;
        else if (r > rows)
            r = rows;
        current_ = anchor_ = r;
        applySelection();
        if (r > 0) scrollTo(model()->index(r - 1, std::max(columnAt(0), 0)));
    } else {
        // A reset drops the selection model's ranges; the grid's own stay.
        applySelection();
    }
}

void AddressGridView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    const int row = index.row() + 1;
    if (event->modifiers() & Qt::ShiftModifier)
        moveTo(current_, row);
    else
        moveTo(row, row);
    selecting_ = true;
    dragY_ = event->position().toPoint().y();
}

void AddressGridView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
    dragTo(event->position().toPoint().y());
}

void AddressGridView::dragTo(int y) {
    dragY_ = y;
    const bool outside = y < 0 || y >= viewport()->height();
    if (outside && !autoScroll_.isActive())
        autoScroll_.start(50, this);
    else if (!outside)
        autoScroll_.stop();
    const int row = gridRowAtY(y);
    if (row > 0 && row != anchor_) moveTo(current_, row);
}

void AddressGridView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != autoScroll_.timerId()) {
        QTableView::timerEvent(event);
        return;
    }
    if (!selecting_) {
        autoScroll_.stop();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + (dragY_ < 0 ? -1 : 1));
    dragTo(dragY_);
}

void AddressGridView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !selecting_) return;
    selecting_ = false;
    autoScroll_.stop();
    emit gridClick();
}

void AddressGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair already moved the row; no editing.
    event->accept();
}

void AddressGridView::keyPressEvent(QKeyEvent* event) {
    const int rows = addressRows();
    int target = current_;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        target = current_ - 1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        target = current_ + 1;
        break;
    case Qt::Key_PageUp:
        target = current_ - pageRows();
        break;
    case Qt::Key_PageDown:
        target = current_ + pageRows();
        break;
    case Qt::Key_Home:
        target = 1;
        break;
    case Qt::Key_End:
        target = rows;
        break;
    default:
        // Not the grid's key: leave it to the window (menus, shortcuts).
        event->ignore();
        return;
    }
    event->accept();
    // A release lost to a grab elsewhere (a dialog during the press) must not block the keys.
    if (selecting_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        selecting_ = false;
        autoScroll_.stop();
    }
    if (rows == 0 || selecting_) return;
    target = std::clamp(target, 1, rows);
    if (target == current_) return;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    moveTo(target, extend ? anchor_ : target);
    scrollTo(model()->index(target - 1, std::max(columnAt(0), 0)));
    emit gridClick();
}

bool AddressGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QPainter painter(corner_);
        QStyleOptionHeader opt;
        // Drawn like the header beside it: the button itself is disabled so it selects nothing.
        opt.initFrom(horizontalHeader());
        opt.rect = corner_->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.orientation = Qt::Horizontal;
        opt.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        if (const addresses::AddressGrid* g = grid()) opt.text = text::toUnicode(g->cell(0, 0));
        style()->drawControl(QStyle::CE_Header, &opt, &painter, corner_);
        return true;
    }
    if (watched == corner_) {
        // The corner selects nothing; its right edge is the number column's boundary, which
        // drags as the other columns' boundaries do.
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int x = qRound(mouse->position().x());
            if (mouse->button() == Qt::LeftButton && onNumberBoundary(x)) {
                resizeFromX_ = x;
                resizeFromWidth_ = numberWidth_;
            }
            return true;
        }
        case QEvent::MouseMove: {
            const int x = qRound(static_cast<QMouseEvent*>(event)->position().x());
            if (resizeFromX_ >= 0)
                setNumberColumnWidth(std::max(horizontalHeader()->minimumSectionSize(),
                                              resizeFromWidth_ + x - resizeFromX_));
            else
                corner_->setCursor(onNumberBoundary(x) ? Qt::SplitHCursor : Qt::ArrowCursor);
            return true;
        }
        case QEvent::MouseButtonRelease:
            resizeFromX_ = -1;
            return true;
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace rinova::widgets
