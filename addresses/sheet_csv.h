// Address files as spreadsheet programs save them: standard CSV, in Shift-JIS or UTF-8, one
// record per grid row even when a cell holds line breaks.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

// How an address file is read: the program's own line and field rules, a spreadsheet's CSV in
// Shift-JIS or in UTF-8, or a spreadsheet's "Unicode text" (UTF-16 with a byte-order mark, cells
// between tabs). The values are the open dialog's file types in order; the last one is told by
// its byte-order mark whatever type was chosen.
enum class FileFormat { Plain = 0, Sheet = 1, SheetUtf8 = 2, SheetUtf16 = 3 };

// A UTF-16 little-endian byte-order mark starts the content.
bool isUtf16Text(std::string_view content);
// UTF-16 little-endian text (without its mark) as UTF-8, a lone surrogate as the three bytes
// its code gives (which no UTF-8 reading takes for a character), so toUtf16 gives back every
// unit. An odd last byte is left out.
std::string fromUtf16(std::string_view units);
// The inverse: UTF-8 of fromUtf16 back to UTF-16 little-endian; bytes that are no character
// each become U+FFFD.
std::string toUtf16(std::string_view utf8);

// "plain", "sheet" and "sheet-utf8"; nothing for any other name.
std::optional<FileFormat> fileFormatNamed(QStringView name);

// A byte-order mark, or valid UTF-8 holding at least one multi-byte character: what Shift-JIS
// text almost never is.
bool looksLikeUtf8(std::string_view content);

// Receives the records of a spreadsheet file as parseSheet finds them. Offsets count bytes of
// the content given to parseSheet.
class SheetSink {
public:
    virtual ~SheetSink() = default;
    // Where the cells' bytes are written; the same string for the whole parse.
    virtual std::string& out() = 0;
    virtual void beginRecord(std::size_t offset) = 0;
    // The cell's bytes as the file has them, quotes included, before its endCell.
    virtual void cellSource(std::size_t from, std::size_t to) {
        (void)from;
        (void)to;
    }
    // The cell's bytes end out(); they start at cellStart (nothing for an empty cell). lost: a
    // character had no Shift-JIS form and was replaced.
    virtual void endCell(std::size_t cellStart, bool lost) = 0;
    // The record's bytes end at `end`, its line break at `next`; false stops the parse.
    virtual bool endRecord(std::size_t end, std::size_t next) = 0;
};

// Splits the content into records and cells:
// - records end at CR, LF or CR LF outside quotes; a final line break starts no further record,
//   an empty line is a record of one empty cell; a NUL byte ends the content;
// - cells are separated by commas; a cell whose first character other than blanks is a double
//   quote is quoted: it runs to the next quote not doubled, may hold commas, line breaks and
//   doubled quotes (one quote each), and what follows the closing quote up to the next comma
//   joins it; a quote without its closing quote takes all the rest of the content;
// - a line break inside a cell becomes one full-width space, and every half-width space or TAB
//   too, so no cell holds a half-width space;
// - leading and trailing blanks (half- and full-width spaces, TAB) are trimmed;
// - SheetUtf8 drops a leading byte-order mark and writes Shift-JIS: a character that code page
//   932 cannot hold, or bytes that are not UTF-8, become "〓" and the cell is reported lost;
// - SheetUtf16 reads the UTF-8 that fromUtf16 made of the text, tabs between cells instead of
//   commas.
// format must not be Plain. Unless the content starts a file, a leading mark is a character.
void parseSheet(std::string_view content, FileFormat format, SheetSink& sink,
                bool fileStart = true);

// One cell as parseSheet would read it back from a file of that format: quoted where it holds
// the delimiter, a quote or a line break, " " written as nothing, in UTF-8 for SheetUtf8 and
// SheetUtf16. True when it surely reads back as exactly `cell`: nothing quoted, no half-width
// blank or control character, no full-width space at either end, every character one the
// format keeps; false when it may read back otherwise.
bool appendSheetCell(std::string& out, std::string_view cell, FileFormat format);
// The delimiter between cells: a tab for SheetUtf16, else a comma.
char sheetDelimiter(FileFormat format);
// Whether a record (or one field) of a spreadsheet list ends inside a quoted field, as a record cut
// by a NUL byte or a file whose last quote was never closed does: written before another record,
// it would take that record into its field.
bool endsInsideQuotes(std::string_view record, FileFormat format);

// Said after an import that replaced characters, naming the rows; "" when there are none.
QString replacedRowsMessage(const std::vector<int>& rows);

} // namespace rinova::addresses
