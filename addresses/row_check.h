// The check before paper is used: the rows of a print range that look wrong, in Japanese, for
// the print command's question and for rinova-cli's standard error.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <limits>
#include <vector>

namespace rinova::addresses {

class AddressGrid;

// What looks wrong in one row, in the order found.
struct RowFindings {
    int row = 0;
    QStringList problems;
    bool operator==(const RowFindings&) const = default;
};

// True when a recipient text of the row cannot be fitted to its area even compressed. Only the
// renderer can tell; the check asks it through this.
using TextDoesNotFit = std::function<bool(int row)>;

// The rows from first to last (address rows, from 1) that look wrong: an empty row (names,
// postal code and addresses all blank), a first row that looks like a header (no digit in its
// postal code and a column title such as 名前 or 住所 in a cell), an empty name 1, a postal code
// that does not give exactly 7 digits (half- or full-width), and, when textDoesNotFit is given,
// a text that cannot be fitted; then what the file did to the row (listProblems). Rows that
// look right, and rows whose print mark says not to print them, are left out.
std::vector<RowFindings> checkRows(const AddressGrid& grid, int first, int last,
                                   const TextDoesNotFit& textDoesNotFit = {});

// What reading the file did to a row: a printed text holding 〓 (a character lost on the way
// into Shift-JIS), a record a NUL byte cut short, or the rest of the file lost after it.
QStringList listProblems(const AddressGrid& grid, int row);

// The row is printed: its print mark does not say しない (blank prints).
bool printsRow(const AddressGrid& grid, int row);
// The rows from first to last that print, in order.
std::vector<int> rowsToPrint(const AddressGrid& grid, int first, int last);
// Said when a print range has no row to print: none at all, or every one marked しない.
QString nothingToPrint(int first, int last);
// Said in the question before printing when rows of the range are marked しない; "" for none.
QString skippedRowsSentence(int skipped);
// Said where rows of a range are passed over for their print mark, naming them; "" for none.
QString skippedRowsMessage(const std::vector<int>& rows);

// Row numbers as a message lists them: "2、5、9 行目", past the first 20 "ほか N 行".
QString listedRows(const std::vector<int>& rows);

// The findings as one list: a heading, then one line per row ("3 行目: ..."); after `listed`
// rows, one line counting the rest. "" when there are none.
QString findingsReport(const std::vector<RowFindings>& findings,
                       std::size_t listed = std::numeric_limits<std::size_t>::max());

} // namespace rinova::addresses
