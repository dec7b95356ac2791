// The dialog that asks how the fields under a header row the program does not fully know fill
// the grid's columns: per field its title, the first record's value and a column to fill (or
// none), and whether the first record is a header at all.
#pragma once

#include "addresses/address_grid.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;

namespace rinova::widgets {

class ColumnMapDialog : public QDialog {
    Q_OBJECT
public:
    explicit ColumnMapDialog(const addresses::HeaderQuestion& question, QWidget* parent = nullptr);

    // The layout chosen: by position when the first record is no header.
    addresses::ListLayout layout() const;
    QCheckBox* headerBox() const { return header_; }
    const std::vector<QComboBox*>& columnBoxes() const { return columns_; }

private:
    QCheckBox* header_ = nullptr;
    std::vector<QComboBox*> columns_;
};

} // namespace rinova::widgets
