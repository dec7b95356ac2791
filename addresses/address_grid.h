// The address grid's contents: row 0 is the header, rows 1.. hold one address each, columns 0
// (number) to 6 (remark) and 7 to 10 (honorific, joint names, print mark). Cells are Shift-JIS
// byte strings, stored compactly so a file of a million lines fits. Each row keeps the bytes
// its record had in the file, so that saving writes the rows the user did not touch as they
// were. Also the table model the grid view shows.
#pragma once

#include "addresses/list_layout.h"
#include "addresses/list_records.h"
#include "addresses/sheet_csv.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rinova::addresses {

// What an import has to tell the user: the rows (numbered from 1) where characters of a UTF-8
// file had no Shift-JIS form and were replaced, and the format read (a UTF-16 byte-order mark
// is read as such whatever was chosen).
struct ImportReport {
    std::vector<int> replacedRows;
    FileFormat format = FileFormat::Plain;
};

// What the list's file is beyond its rows, kept so that saving writes it back as it was. Bytes
// are in the form the rows' records are kept in: the file's own, or UTF-8 for SheetUtf16.
struct ListFile {
    FileFormat format = FileFormat::Plain;
    ListLayout layout = ListLayout::positional();
    std::string mark;   // the byte-order mark, as the file has it
    std::string header; // the header row, and its line break
    std::string headerEnd;
    std::string suffix;           // after the last row: from a NUL byte on
    std::string tail;             // an odd last byte of a UTF-16 file
    std::string lineEnd = "\r\n"; // for rows that have none of their own
};

// How a row relates to the record it came from.
enum class RowOrigin : std::uint8_t {
    AsRead, // as the file has it: written back byte for byte
    Edited, // changed: written from its cells, keeping the fields no column shows
    New,    // not from the file
};

// A row as edits take it and give it back: its cells and the record it came from.
struct RowData {
    RowCells cells;
    RowOrigin origin = RowOrigin::New;
    std::string record;  // the record's bytes without its line break
    std::string lineEnd; // its line break: "\r\n", "\n", "\r", or none
    std::uint8_t nulCut = 0;
    bool operator==(const RowData&) const = default;
};

// Where a NUL byte ended the file's content: within this row's record, or right after it.
enum NulCut : std::uint8_t { NotCut = 0, CutInside = 1, CutAfter = 2 };

// Asked when a file's first record may be a header row whose titles are not all known: the
// layout to read by, or nothing to read by what the titles tell.
struct HeaderQuestion {
    FileFormat format = FileFormat::Plain;
    std::vector<std::string> titles; // the first record's fields
    std::vector<std::string> sample; // the second record's fields
    HeaderReading reading;
};
using HeaderChooser = std::function<std::optional<ListLayout>(const HeaderQuestion&)>;

// A whole list as its file: the bytes, and where each row's record now is in them.
struct SavedList {
    std::string source; // the form records are kept in: the file's bytes, but for UTF-16
    std::string utf16;  // the file's bytes of a UTF-16 list
    FileFormat format = FileFormat::Plain;
    // As written to the file.
    const std::string& bytes() const { return format == FileFormat::SheetUtf16 ? utf16 : source; }
    ListLayout layout;
    std::string mark, header, headerEnd, suffix, tail;
    struct Place {
        std::uint64_t offset;
        std::uint32_t length;
        std::uint8_t lineEnd;
        bool written; // written from the cells, not copied
    };
    std::vector<Place> rows;
    // Rows written from their cells that read back otherwise, with the cells they read back as.
    std::vector<std::pair<int, RowCells>> changed;
};

// A cell that will not read back as it is in another format.
struct CellLoss {
    int row = 0;
    int column = 0;
    std::string cell, readBack;
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

    // Replaces every address row by the records of an address file's content (the header row
    // stays). Plain: line k goes to row k, its half-width spaces made full-width, then "k," +
    // line set as the row's comma text. A spreadsheet's record k goes to row k, its cells to
    // columns 1 to 6 (the rest dropped), an empty cell stored as " " (see parseSheet). A first
    // record whose titles readHeader() takes for a header row is no row: the fields then fill
    // the columns their titles name. `choose` is asked where the titles are not all known. The
    // content is kept for saving. The model is reset once. Content no grid row can hold (a
    // line of gigabytes, 2^31 lines) leaves the header alone and throws text::Failure.
    ImportReport importContent(std::string content, FileFormat format = FileFormat::Plain,
                               const HeaderChooser& choose = {});
    // An empty list of `rows` rows, in the program's own format, from no file.
    void newList(int rows);

    const ListFile& file() const;
    // The cells of a row, columns 0 to 10; empty outside the grid.
    RowCells cells(int row) const;
    RowData rowData(int row) const;
    RowOrigin origin(int row) const;
    NulCut nulCut(int row) const;
    // The fields of the row's record as the file has them; none for a row not from the file.
    RecordFields recordFields(int row) const;

    // Puts `rows` in place of the `count` rows from `at` (1 ..), renumbering those below. The
    // rows' records are kept with them, so undoing an edit gives back the file's bytes.
    void replaceRows(int at, int count, std::vector<RowData> rows);
    // The row with one cell set as typed (typedCell), made what the row reads back as once
    // written in the list's format: blanks as the format keeps them, an empty field " ". A row
    // outside the address rows is a new, empty one.
    RowData withCell(int row, int column, std::string_view bytes) const;
    // The row with every cell of `cells` (columns 1 to 10) made what it reads back as.
    RowData withCells(int row, const RowCells& cells) const;

    // Columns 7 to 10 are shown when the list's file has any of them or the user asked.
    bool showsExtraColumns() const;
    void setShowExtraColumns(bool show);

    // The layout the list is saved with: the file's, plus a field for each column that a row
    // holds a value in and the file has none for (a list without a header row gains one).
    ListLayout layoutForSave() const;
    // The list as a file of `format`, in `layout`: rows as read copied, the others written from
    // their cells. Another format than the file's writes every row from its cells.
    SavedList saved(FileFormat format, const ListLayout& layout) const;
    // Takes a list just written as the file the rows now come from: every row as read again,
    // the cells of rows written from them as the file now gives them.
    void adoptSaved(SavedList list);
    // The cells that would read back otherwise once written in `format` (at most `limit`).
    std::vector<CellLoss> lossesIn(FileFormat format, const ListLayout& layout,
                                   std::size_t limit) const;
    // The same for a list just made by saved(), without writing it again.
    std::vector<CellLoss> lossesOf(const SavedList& list, std::size_t limit) const;

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
    void putRow(int row, const RowData& data);
    void renumberFrom(int row);
    ListLayout layoutHolding(const RowCells& cells, std::size_t widest) const;
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
