// The address grid's contents: row 0 is the header, rows 1.. hold one address line each,
// columns 0 (number) to 6 (remark). Cells are Shift-JIS byte strings, stored compactly so a
// file of a million lines fits. Also the table model the grid view shows.
#pragma once

#include "addresses/sheet_csv.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

constexpr int kColumns = 7;

// What an import has to tell the user: the rows (numbered from 1) where characters of a UTF-8
// file had no Shift-JIS form and were replaced.
struct ImportReport {
    std::vector<int> replacedRows;
};

class AddressGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AddressGrid(QObject* parent = nullptr);
    ~AddressGrid() override;

    // Rows including the header row (5 at start-up).
    int rowCountWithHeader() const;
    // Rows beyond the new count are gone; new rows are empty. The header row always stays, so
    // a count below 1 counts as 1.
    void setRowCountWithHeader(int rows);
    std::string_view cell(int row, int col) const; // "" outside the grid
    // Empties the row, then fills it from a comma text by the field rules: field j goes to
    // column j, an empty field is stored as " ", fields past column 6 are dropped. A row outside
    // the grid is left alone.
    void setRowFields(int row, std::string_view text);

    // Replaces every address row by the lines of an address file's content (the header stays).
    // Line k goes to row k: its half-width spaces become full-width, then "k," + line is set
    // as the row's comma text. The model is reset once. Throws text::Failure, leaving the grid as
    // it was, only for content no grid row can hold (a line of gigabytes, 2^31 lines).
    void importContent(std::string_view content);
    // The same for any file type: Plain as above; a spreadsheet's record k goes to row k, its
    // cells to columns 1 to 6 (the rest dropped), an empty cell stored as " " (see parseSheet).
    // Content no grid row can hold leaves the header alone and throws text::Failure.
    ImportReport importContent(std::string_view content, FileFormat format);

    // Total bytes of the row's cells; 0 outside the grid.
    std::size_t rowBytes(int row) const;
    // Bytes of cell text the grid keeps, including text of rewritten rows not yet given back.
    std::size_t storedBytes() const;

    // Qt model: the 6 data columns of rows 1..; row 0 is the horizontal header and column 0
    // the vertical header.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void compactIfWasteful();
    // Replaces the address rows by what fill() appends to the storage, in an arena reserved
    // for `room` bytes; on failure the header alone remains. The model is reset once.
    template <class Fill> void refill(std::size_t room, std::size_t rows, Fill&& fill);

    struct Storage;
    std::unique_ptr<Storage> s_;
};

// The largest address file read; a smaller bound holds where memory would not take the grid.
constexpr std::uint64_t kMaxAddressFileBytes = std::uint64_t(2) << 30;

// Reads a whole address file; throws text::Failure "ファイル %s は開けません" with the full path.
// Only regular files are read: a folder, device or pipe gives the same failure instead of a hang.
// A file past the bound is named in its own message and not read; one that grows meanwhile is
// read as large as it was when opened.
std::string readAddressFile(const QString& path);

} // namespace rinova::addresses
