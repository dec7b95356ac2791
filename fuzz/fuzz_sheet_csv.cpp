// Spreadsheet CSV import on arbitrary bytes, in both encodings: what must hold of every row, and
// that the encodings agree where the bytes are plain ASCII.
#include "addresses/address_grid.h"
#include "addresses/sheet_csv.h"
#include "text/cp932.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace rinova::addresses;

namespace {

[[noreturn]] void fail(const char* what, int row = 0) {
    std::fprintf(stderr, "sheet csv: %s (row %d)\n", what, row);
    std::abort();
}

void checkGrid(const AddressGrid& grid, const ImportReport& report, FileFormat format) {
    for (int row = 1; row < grid.rowCountWithHeader(); ++row) {
        if (grid.cell(row, 0) != std::to_string(row))
            fail("column 0 is not the record number", row);
        bool ended = false;
        std::size_t bytes = 0;
        // By position, the cells of a record fill the columns in order; a header row's titles
        // may leave any column out.
        const bool positional = grid.file().layout.isPositional();
        for (int col = 0; col < kAllColumns; ++col) {
            const std::string_view cell = grid.cell(row, col);
            bytes += cell.size();
            if (cell.empty())
                ended = true;
            else if (ended && positional)
                fail("a filled cell after an empty one", row);
            if (cell.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
                fail("a cell holds a line break or NUL", row);
            // Blanks are trimmed and widened: a half-width space only as a whole empty cell.
            if (col > 0 && cell != " ")
                for (std::size_t i = 0; i < cell.size(); i += rinova::text::charLength(cell, i))
                    if (cell[i] == ' ' || cell[i] == '\t')
                        fail("a half-width blank in a cell", row);
            // What UTF-8 gives is always a Shift-JIS character.
            if (format != FileFormat::Sheet && col > 0 &&
                rinova::text::toUnicode(cell).contains(QChar(0xFFFD)))
                fail("a UTF-8 cell that is no Shift-JIS", row);
        }
        if (grid.rowBytes(row) != bytes) fail("rowBytes is not the sum of the cells", row);
    }
    const std::vector<int>& replaced = report.replacedRows;
    if (format == FileFormat::Sheet && !replaced.empty()) fail("Shift-JIS reported a row");
    for (std::size_t i = 0; i < replaced.size(); ++i)
        if (replaced[i] < 1 || replaced[i] >= grid.rowCountWithHeader() ||
            (i > 0 && replaced[i] <= replaced[i - 1]))
            fail("replaced rows out of order or outside the grid", replaced[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    AddressGrid sjis, utf8;
    sjis.setRowFields(0, "n,a,b,c,d,e,f");
    // A UTF-16 byte-order mark reads as UTF-16 text whatever the type chosen.
    const ImportReport inSjis = sjis.importContent(std::string(content), FileFormat::Sheet);
    checkGrid(sjis, inSjis, inSjis.format);
    const ImportReport inUtf8 = utf8.importContent(std::string(content), FileFormat::SheetUtf8);
    checkGrid(utf8, inUtf8, inUtf8.format);
    if (sjis.cell(0, 6) != "f") fail("the import changed the header");

    const bool ascii =
        std::all_of(content.begin(), content.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        if (sjis.rowCountWithHeader() != utf8.rowCountWithHeader()) fail("encodings disagree");
        for (int row = 1; row < sjis.rowCountWithHeader(); ++row)
            for (int col = 0; col < kAllColumns; ++col)
                if (sjis.cell(row, col) != utf8.cell(row, col)) fail("encodings disagree", row);
    }
    return 0;
}
