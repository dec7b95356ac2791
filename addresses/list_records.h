// One record of an address list, read into cells and written from them by the rules of its
// file's format, so that a row the user edited reads back as the same cells.
#pragma once

#include "addresses/list_layout.h"
#include "addresses/sheet_csv.h"

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

// The cells of one row, columns 0 to 10 (the number is not part of a record).
using RowCells = std::array<std::string, kAllColumns>;

// The fields of one record as the format's rules read them: each as a cell holds it (a field
// that is there but empty is " "), and, for spreadsheet formats, its bytes as the file has
// them, so that a field no column shows is written back unchanged.
struct RecordFields {
    std::vector<std::string> values;
    std::vector<std::string> source;
    bool lost = false; // a UTF-8 character had no Shift-JIS form
};
// `record` is one line (plain) or one record of a spreadsheet file (UTF-8 for SheetUtf16, as
// fromUtf16 gives it), without its line break.
RecordFields readFields(FileFormat format, std::string_view record);

// The cells the fields give: each column the join of the fields that fill it (joinParts), a
// column no field fills "". The number column is left alone.
void fillCells(const RecordFields& fields, const ListLayout& layout, RowCells& cells);

// The record that gives these cells again. Fields no column fills, and the parts of a column
// joined from several fields, are taken from `original` (the record as the file had it) as far
// as they still fit. Missing fields at the end are left out; one before a field that is there
// is written empty.
std::string writeRecord(FileFormat format, const ListLayout& layout, const RowCells& cells,
                        const RecordFields& original = {});
// The header row of a layout: its titles.
std::string writeHeader(FileFormat format, const ListLayout& layout);

// One field of the program's own address file: empty for " ", quoted where the field rules
// would split or lose it (commas, quotes, blanks), as it is otherwise. True when it surely
// reads back as exactly `value` (written as it is, no NUL, no lead byte left without its trail).
bool appendPlainField(std::string& out, std::string_view value);

// A row's cells as views of the grid, to write many rows without copying them.
using CellViews = std::array<std::string_view, kAllColumns>;

// Whether each field of the layout fills a column of its own: no field left out, no column
// joined from several. Such a record is written from its cells alone, unless the file's record
// has fields beyond the layout, which are kept.
bool fillsOwnColumns(const ListLayout& layout);
// Whether the record holds at most `limit` fields by its format's rules, told mostly from its
// delimiters without reading it; a spreadsheet record with quoted delimiters may be said not to.
bool fieldsWithin(FileFormat format, std::string_view record, std::size_t limit);
// Appends what writeRecord gives for a layout that fillsOwnColumns and a record with no fields
// beyond it. True when the record surely reads back as exactly these cells, so that reading it
// back can be left out; false when it may not.
bool appendOwnColumnsRecord(std::string& out, FileFormat format, const ListLayout& layout,
                            const CellViews& cells);

// The cells a row holds once written and read back, and whether that is what it held.
RowCells roundTrip(FileFormat format, const ListLayout& layout, const RowCells& cells,
                   const RecordFields& original = {});

// A typed or pasted text as a cell: Shift-JIS, empty as " ". Characters no address file can
// hold (line breaks, tabs and other control characters, characters without a Shift-JIS form)
// are named in `refused` and the bytes are then not to be used.
struct TypedCell {
    std::string bytes;
    QString refused;
};
TypedCell typedCell(const QString& typed);

} // namespace rinova::addresses
