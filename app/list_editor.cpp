#include "app/list_editor.h"

#include "addresses/list_save.h"
#include "app/row_dialog.h"
#include "settings/settings_model.h"
#include "widgets/address_grid_view.h"
#include "widgets/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QUndoCommand>

namespace rinova::app {

using namespace addresses;

namespace {

// One step of the undo history: `after` in place of `before` at row `at`, and back, each with
// the rows it leaves selected.
class RowsCommand : public QUndoCommand {
public:
    RowsCommand(AddressGrid& grid, widgets::AddressGridView& view, int at,
                std::vector<RowData> before, std::vector<RowData> after, const QString& what,
                ListEditor::Selection selectBefore, ListEditor::Selection selectAfter)
        : QUndoCommand(what), grid_(grid), view_(view), at_(at), before_(std::move(before)),
          after_(std::move(after)), selectBefore_(selectBefore), selectAfter_(selectAfter) {}

    void redo() override { put(before_.size(), after_, selectAfter_); }
    void undo() override { put(after_.size(), before_, selectBefore_); }

private:
    void put(std::size_t count, const std::vector<RowData>& rows, ListEditor::Selection select) {
        grid_.replaceRows(at_, static_cast<int>(count), rows);
        if (std::any_of(rows.begin(), rows.end(), [](const RowData& r) {
                for (int col = HonorificColumn; col < kAllColumns; ++col)
                    if (!isBlankCell(r.cells[std::size_t(col)])) return true;
                return false;
            }))
            grid_.setShowExtraColumns(true);
        if (grid_.rowCountWithHeader() > 1) view_.setSelectedRows(select.anchor, select.current);
    }

    AddressGrid& grid_;
    widgets::AddressGridView& view_;
    int at_;
    std::vector<RowData> before_, after_;
    ListEditor::Selection selectBefore_, selectAfter_;
};

const QString kCaption = QStringLiteral("Rinova Ver1.2");

} // namespace

ListEditor::ListEditor(AddressGrid& grid, widgets::AddressGridView& view,
                       settings::SettingsModel& settings, QWidget& window,
                       const QString& recoveryPath)
    : QObject(&window), grid_(grid), view_(view), settings_(settings), window_(window),
      recovery_(recoveryPath) {
    connect(&undo_, &QUndoStack::indexChanged, this, [this] {
        if (clearing_) return;
        keepRecovery();
        emit changed();
        emit edited();
    });
    connect(&undo_, &QUndoStack::cleanChanged, this, &ListEditor::changed);
}

void ListEditor::addMenus(QMenu* file, QAction* before, QMenu* edit) {
    const auto action = [this](QMenu* menu, QAction* at, const QString& text,
                               const QList<QKeySequence>& keys, auto handler) {
        auto* a = new QAction(text, menu);
        a->setShortcuts(keys);
        menu->insertAction(at, a);
        connect(a, &QAction::triggered, this, [handler] { widgets::guarded(handler); });
        return a;
    };
    action(file, before, QStringLiteral("新規作成(&N)"), {QKeySequence::New},
           [this] { newList(); });
    action(file, before, QStringLiteral("上書き保存(&S)"), {QKeySequence::Save},
           [this] { save(); });
    action(file, before, QStringLiteral("名前を付けて保存(&A)..."), {QKeySequence::SaveAs},
           [this] { saveAs(); });
    file->insertSeparator(before);

    QAction* undo = undo_.createUndoAction(edit, QStringLiteral("元に戻す"));
    undo->setShortcuts({QKeySequence::Undo});
    edit->addAction(undo);
    QAction* redo = undo_.createRedoAction(edit, QStringLiteral("やり直し"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
    edit->addAction(redo);
    edit->addSeparator();
    action(edit, nullptr, QStringLiteral("行を編集(&E)..."),
           {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_F2)},
           [this] { editCurrentRow(); });
    action(edit, nullptr, QStringLiteral("行を追加(&A)..."),
           {QKeySequence(Qt::CTRL | Qt::Key_Return)}, [this] { addRow(); });
    action(edit, nullptr, QStringLiteral("行を挿入(&I)..."), {QKeySequence(Qt::Key_Insert)},
           [this] { insertRow(); });
    action(edit, nullptr, QStringLiteral("行を削除(&D)"), {QKeySequence(Qt::Key_Delete)},
           [this] { deleteRows(); });
    action(edit, nullptr, QStringLiteral("上へ移動(&U)"), {QKeySequence(Qt::ALT | Qt::Key_Up)},
           [this] { moveRows(-1); });
    action(edit, nullptr, QStringLiteral("下へ移動(&W)"), {QKeySequence(Qt::ALT | Qt::Key_Down)},
           [this] { moveRows(1); });
    edit->addSeparator();
    QAction* extra = action(edit, nullptr, QStringLiteral("敬称・連名・印刷の列を表示"), {},
                            [this] { showExtraColumns(!grid_.showsExtraColumns()); });
    extra->setCheckable(true);
    connect(edit, &QMenu::aboutToShow, extra,
            [this, extra] { extra->setChecked(grid_.showsExtraColumns()); });
}

void ListEditor::listOpened(const QString& path) {
    path_ = path;
    recovered_ = false;
    clearHistory();
    dropRecovery();
    emit changed();
}

QString ListEditor::title() const {
    if (path_.isEmpty() && !modified()) return kCaption;
    const QString name = path_.isEmpty() ? QStringLiteral("無題") : QFileInfo(path_).fileName();
    return kCaption + QStringLiteral(" - ") + name +
           (modified() ? QStringLiteral(" *") : QString());
}

bool ListEditor::maySetAside() {
    if (!modified()) return true;
    const QString name =
        path_.isEmpty() ? QStringLiteral("新しい住所録") : QFileInfo(path_).fileName();
    switch (widgets::Prompts::current().askToSaveChanges(
        QStringLiteral("%1 への変更を保存しますか？").arg(name))) {
    case widgets::SaveChoice::Save:
        return save();
    case widgets::SaveChoice::Discard:
        dropRecovery();
        return true;
    case widgets::SaveChoice::Cancel:
        break;
    }
    return false;
}

void ListEditor::replace(int at, int count, std::vector<RowData> rows, const QString& what,
                         int select) {
    replace(at, count, std::move(rows), what, {select, select});
}

void ListEditor::replace(int at, int count, std::vector<RowData> rows, const QString& what,
                         Selection select) {
    std::vector<RowData> before;
    for (int r = at; r < at + count; ++r)
        before.push_back(grid_.rowData(r));
    undo_.push(new RowsCommand(grid_, view_, at, std::move(before), std::move(rows), what,
                               {view_.anchorRow(), view_.currentRow()}, select));
}

void ListEditor::editCurrentRow() {
    const int row = view_.currentRow();
    if (row < 1) return;
    RowDialog dialog(grid_.cells(row), &window_);
    if (dialog.exec() == QDialog::Accepted) setRow(row, dialog.cells());
}

void ListEditor::setRow(int row, const RowCells& cells) {
    if (row < 1 || row >= grid_.rowCountWithHeader()) return;
    RowData edited = grid_.withCells(row, cells);
    if (edited == grid_.rowData(row)) return;
    replace(row, 1, {std::move(edited)}, QStringLiteral("行の編集"), row);
}

void ListEditor::addRow() {
    RowCells blank;
    blank.fill(" ");
    RowDialog dialog(blank, &window_);
    if (dialog.exec() != QDialog::Accepted) return;
    const int at = grid_.rowCountWithHeader();
    replace(at, 0, {grid_.withCells(-1, dialog.cells())}, QStringLiteral("行の追加"), at);
}

void ListEditor::insertRow() {
    const int at = std::max(view_.currentRow(), 1);
    RowCells blank;
    blank.fill(" ");
    RowDialog dialog(blank, &window_);
    if (dialog.exec() != QDialog::Accepted) return;
    replace(at, 0, {grid_.withCells(-1, dialog.cells())}, QStringLiteral("行の挿入"), at);
}

void ListEditor::deleteRows() {
    const int top = view_.selectionTop();
    if (top < 1) return;
    const int count = view_.selectionBottom() - top + 1;
    replace(top, count, {}, QStringLiteral("行の削除"), top);
}

void ListEditor::moveRows(int by) {
    const int top = view_.selectionTop(), bottom = view_.selectionBottom();
    if (top < 1 || top + by < 1 || bottom + by >= grid_.rowCountWithHeader()) return;
    // The moved rows and the one they pass, in their new order.
    const int at = by < 0 ? top - 1 : top;
    std::vector<RowData> rows;
    for (int r = top; r <= bottom; ++r)
        rows.push_back(grid_.rowData(r));
    const RowData passed = grid_.rowData(by < 0 ? top - 1 : bottom + 1);
    if (by < 0)
        rows.push_back(passed);
    else
        rows.insert(rows.begin(), passed);
    // The moved rows stay selected, so that a range moves on with each press.
    replace(at, bottom - top + 2, std::move(rows), QStringLiteral("行の移動"),
            Selection{view_.anchorRow() + by, view_.currentRow() + by});
}

void ListEditor::newList() {
    if (!maySetAside()) return;
    grid_.newList(0);
    listOpened(QString());
}

bool ListEditor::save() {
    if (path_.isEmpty()) return saveAs();
    return saveTo(path_, grid_.file().format);
}

bool ListEditor::saveAs() {
    const QString suggested =
        path_.isEmpty() ? QDir::home().filePath(QStringLiteral("住所録.csv")) : path_;
    const auto chosen = widgets::Prompts::current().saveAddressFile(suggested, grid_.file().format);
    return chosen && saveTo(chosen->path, chosen->format);
}

bool ListEditor::saveTo(const QString& path, FileFormat format) {
    widgets::Prompts& prompts = widgets::Prompts::current();
    ListLayout layout = grid_.layoutForSave();
    if (format == FileFormat::Plain && layout.header && !grid_.file().layout.header) {
        // A plain list is six fields a line: the new columns need a header row.
        if (!prompts.confirm(QStringLiteral(
                "敬称・連名・印刷の列は CSVﾌｧｲﾙ（6 項目の形式）には保存できません。\n"
                "表計算ソフトの CSV（Shift-JIS）として別の名前で保存しますか？")))
            return false;
        const auto chosen = prompts.saveAddressFile(path, FileFormat::Sheet);
        if (!chosen || chosen->format == FileFormat::Plain) return false;
        return saveTo(chosen->path, chosen->format);
    }
    constexpr std::size_t kListed = 20;
    SavedList list = grid_.saved(format, layout);
    const std::vector<CellLoss> losses = grid_.lossesOf(list, kListed);
    if (!losses.empty() &&
        !prompts.confirm(QStringLiteral("次のセルはこの形式では保存すると変わります:\n") +
                         lossesMessage(losses) + QStringLiteral("\n\nこのまま保存しますか？")))
        return false;
    saveList(grid_, path, std::move(list), {settings_.path()});
    path_ = path;
    recovered_ = false;
    undo_.setClean();
    dropRecovery();
    try {
        settings_.setLastAddressFile(QFileInfo(path).absoluteFilePath());
    } catch (const text::Failure&) {
    }
    emit changed();
    return true;
}

void ListEditor::showExtraColumns(bool show) {
    grid_.setShowExtraColumns(show);
}

void ListEditor::keepRecovery() {
    if (!modified()) {
        dropRecovery();
        return;
    }
    const FileFormat format = grid_.file().format;
    const SavedList list = grid_.saved(format, grid_.layoutForSave());
    // The copy is a safeguard: a copy that cannot be written must not stop the edit.
    try {
        recovery_.keep(path_, static_cast<int>(format),
                       QByteArrayView(list.bytes().data(), qsizetype(list.bytes().size())));
    } catch (const text::Failure&) {
    }
}

void ListEditor::clearHistory() {
    clearing_ = true;
    undo_.clear();
    clearing_ = false;
}

void ListEditor::dropRecovery() {
    recovery_.remove();
}

bool ListEditor::offerRecovery() {
    const std::optional<files::RecoveredWork> work = recovery_.read();
    if (!work) return false;
    const QString name = work->source.isEmpty() ? QStringLiteral("新しい住所録")
                                                : QFileInfo(work->source).fileName();
    if (work->kind < 0 || work->kind > static_cast<int>(FileFormat::SheetUtf16) ||
        !widgets::Prompts::current().confirm(
            QStringLiteral("前回、保存されていない %1 の変更が残っています。\n"
                           "復元しますか？（「いいえ」なら変更は捨てます）")
                .arg(name))) {
        dropRecovery();
        return false;
    }
    grid_.importContent(work->content.toStdString(), static_cast<FileFormat>(work->kind));
    path_ = work->source;
    clearHistory();
    recovered_ = true;
    emit changed();
    emit edited();
    return true;
}

} // namespace rinova::app
