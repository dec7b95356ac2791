// Editing the address list in the main window: the row dialog, rows added, inserted, deleted
// and moved, undo and redo, a new list, saving in the list's own format, the question before
// unsaved changes are lost, and the recovery copy kept after every change.
#pragma once

#include "addresses/address_grid.h"
#include "files/recovery_copy.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

class QMenu;
class QWidget;

namespace rinova::settings {
class SettingsModel;
}
namespace rinova::widgets {
class AddressGridView;
}

namespace rinova::app {

class ListEditor : public QObject {
    Q_OBJECT
public:
    // Rows of the grid selected from `anchor` to `current`.
    struct Selection {
        int anchor, current;
    };

    // `recoveryPath`: where the copy of unsaved work is kept.
    ListEditor(addresses::AddressGrid& grid, widgets::AddressGridView& view,
               settings::SettingsModel& settings, QWidget& window, const QString& recoveryPath);
    // The history's end says nothing: the rows and the recovery copy stay as they are.
    ~ListEditor() override { undo_.disconnect(this); }

    // Adds 新規作成, 上書き保存 and 名前を付けて保存 to the file menu (before `before`) and the
    // 編集 menu after it; the edit keys go to the grid.
    void addMenus(QMenu* file, QAction* before, QMenu* edit);

    // The list now comes from `path` (empty: from no file): nothing to undo, nothing unsaved.
    void listOpened(const QString& path);
    const QString& path() const { return path_; }
    bool modified() const { return !undo_.isClean() || recovered_; }
    QUndoStack& undoStack() { return undo_; }
    // The title: "Rinova Ver1.2", then the file's name and a mark while changes are unsaved.
    QString title() const;

    // Asked before the list is set aside (open, new list, quit) with unsaved changes: true when
    // they were saved, the user gave them up, or there were none.
    bool maySetAside();

    // The commands. Rows are grid rows (1 ..); edits act on the view's current row or range.
    void editCurrentRow();
    void setRow(int row, const addresses::RowCells& cells);
    void addRow();    // after the last row
    void insertRow(); // before the current row
    void deleteRows();
    void moveRows(int by); // the selected rows one up (-1) or down (1)
    void newList();
    bool save();
    bool saveAs();
    void showExtraColumns(bool show);

    // At start: the work a killed program left, offered back; true when it was taken.
    bool offerRecovery();
    // Removes the recovery copy (the work is saved or given up).
    void dropRecovery();

signals:
    // The title may have changed.
    void changed();
    // Rows changed by an edit, an undo or a redo.
    void edited();

private:
    void replace(int at, int count, std::vector<addresses::RowData> rows, const QString& what,
                 int select);
    void replace(int at, int count, std::vector<addresses::RowData> rows, const QString& what,
                 Selection select);
    bool saveTo(const QString& path, addresses::FileFormat format);
    void keepRecovery();
    void clearHistory();

    addresses::AddressGrid& grid_;
    widgets::AddressGridView& view_;
    settings::SettingsModel& settings_;
    QWidget& window_;
    files::RecoveryCopy recovery_;
    QUndoStack undo_;
    QString path_;
    bool recovered_ = false; // the rows came from the recovery copy and are not saved
    bool clearing_ = false;  // the history is cleared: no edit
};

} // namespace rinova::app
