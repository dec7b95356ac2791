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

// How an address file is read: the program's own line and field rules, or a spreadsheet's CSV
// in Shift-JIS or in UTF-8. The values are the open dialog's file types in order.
enum class FileFormat { Plain = 0, Sheet = 1, SheetUtf8 = 2 };

// "plain", "sheet" and "sheet-utf8"; nothing for any other name.
std::optional<FileFormat> fileFormatNamed(QStringView name);

// A byte-order mark, or valid UTF-8 holding at least one multi-byte character: what Shift-JIS
// text almost never is.
bool looksLikeUtf8(std::string_view content);

// Receives the records of a spreadsheet file as parseSheet finds them.
class SheetSink {
public:
    virtual ~SheetSink() = default;
    // Where the cells' bytes are written; the same string for the whole parse.
    virtual std::string& out() = 0;
    virtual void beginRecord() = 0;
    // The cell's bytes end out(); they start at cellStart (nothing for an empty cell). lost: a
    // character had no Shift-JIS form and was replaced.
    virtual void endCell(std::size_t cellStart, bool lost) = 0;
    virtual void endRecord() = 0;
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
//   932 cannot hold, or bytes that are not UTF-8, become "〓" and the cell is reported lost.
// format must not be Plain.
void parseSheet(std::string_view content, FileFormat format, SheetSink& sink);

// Said after an import that replaced characters, naming the rows; "" when there are none.
QString replacedRowsMessage(const std::vector<int>& rows);

} // namespace rinova::addresses
