// The check before paper is used: the rows of a print range that look wrong, in Japanese, for
// the print command's question, for rinova-cli's standard error and for rinova-cli check.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace rinova::postal {
class Directory;
}

namespace rinova::addresses {

class AddressGrid;

// A postal code that would fit the row's address.
struct Suggestion {
    QString code; // 7 digits
    QString address;
    bool operator==(const Suggestion&) const = default;
};

// One thing that looks wrong in a row.
struct Finding {
    Finding() = default;
    Finding(QString kind, QString text) : kind(std::move(kind)), text(std::move(text)) {}

    QString kind; // a short fixed name for programs: "empty-row", "postal-not-held" …
    QString text; // the line shown to people
    // What a postal-code question adds: the code as found, what the data and the row say, and
    // the codes that would fit.
    QString code, dataSays, rowSays;
    std::vector<Suggestion> suggestions;
    bool operator==(const Finding&) const = default;
};

// What looks wrong in one row, in the order found.
struct RowFindings {
    int row = 0;
    std::vector<Finding> problems;
    QStringList texts() const;
    bool operator==(const RowFindings&) const = default;
};

// True when a recipient text of the row cannot be fitted to its area even compressed. Only the
// renderer can tell; the check asks it through this.
using TextDoesNotFit = std::function<bool(int row)>;

// The question the postal data raises about a row's postal code (as written) and address
// (address 1, then address 2), or none. The data lives in the postal layer; the check asks it
// through this.
using PostalQuestion =
    std::function<std::optional<Finding>(const QString& code, const QString& address)>;

// The questions of `directory`, or none at all when it holds no codes.
PostalQuestion postalQuestions(const postal::Directory& directory);

// The rows from first to last (address rows, from 1) that look wrong: an empty row (names,
// postal code and addresses all blank), a first row that looks like a header (no digit in its
// postal code and a column title such as 名前 or 住所 in a cell), an empty name 1, a postal code
// that does not give exactly 7 digits (half- or full-width), when textDoesNotFit is given a text
// that cannot be fitted, when postalQuestion is given a code the postal data questions; then
// what the file did to the row (listProblems). Rows that look right, and rows whose print mark
// says not to print them, are left out.
std::vector<RowFindings> checkRows(const AddressGrid& grid, int first, int last,
                                   const TextDoesNotFit& textDoesNotFit = {},
                                   const PostalQuestion& postalQuestion = {});

// What reading the file did to a row: a printed text holding 〓 (a character lost on the way
// into Shift-JIS), a record a NUL byte cut short, or the rest of the file lost after it.
std::vector<Finding> listProblems(const AddressGrid& grid, int row);

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
