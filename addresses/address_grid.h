// The address grid's contents: row 0 is the header, rows 1.. hold one address line each,
// columns 0 (number) to 6 (remark). Cells are Shift-JIS byte strings, stored compactly so a
// file of a million lines fits. Also the table model the grid view shows.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

constexpr int kColumns = 7;

class AddressGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AddressGrid(QObject* parent = nullptr);
    ~AddressGrid() override;

    // Rows including the header row (5 at start-up).
    int RowCount() const;
    // Rows beyond the new count are gone; new rows are empty.
    void SetRowCount(int rows);
    std::string_view Cell(int row, int col) const; // "" outside the grid
    // Empties the row, then fills it from a comma text by the field rules.
    void SetRowCommaText(int row, std::string_view text);

    // Replaces every address row by the lines of an address file's content (the header stays).
    void ImportContent(std::string_view content);

    // Qt model: the 6 data columns of rows 1..; row 0 is the horizontal header and column 0
    // the vertical header.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Storage;
    Storage* s_;
};

// Reads a whole address file; throws Failure "ファイル %s は開けません" with the full path.
std::string ReadAddressFile(const QString& path);

} // namespace rinova::addresses
