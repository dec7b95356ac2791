// The dialog that edits one address row: a field for each column, Tab from one to the next,
// Enter keeps the row, Escape leaves it as it was.
#pragma once

#include "addresses/list_records.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace rinova::app {

class RowDialog : public QDialog {
    Q_OBJECT
public:
    // `cells`: the row as the grid has it (Shift-JIS, columns 0 to 10).
    RowDialog(const addresses::RowCells& cells, QWidget* parent = nullptr);

    // The row as typed. Call after accept(); a text that no address file can hold (a control
    // character, a character without a Shift-JIS form) keeps the dialog open with a message.
    const addresses::RowCells& cells() const { return cells_; }
    QLineEdit* field(int column) const;
    QComboBox* honorific() const { return honorific_; }
    QCheckBox* printMark() const { return printMark_; }

    void accept() override;

private:
    addresses::RowCells cells_;
    std::array<QLineEdit*, addresses::kAllColumns> fields_{};
    QComboBox* honorific_ = nullptr;
    QCheckBox* printMark_ = nullptr;
};

} // namespace rinova::app
