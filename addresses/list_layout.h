// The columns of an address list and how the fields of a file's records fill them: six fields
// by position, as the program's own files have them, or by the titles of a header row, as
// lists kept in spreadsheets have them.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

// The grid's columns. 0 is the running number; 1 to 6 the six fields of an address line; 7 to
// 10 the per-row fields that only a list with a header row holds.
enum Column : int {
    NumberColumn = 0,
    Name1Column = 1,
    Name2Column = 2,
    PostalColumn = 3,
    Address1Column = 4,
    Address2Column = 5,
    RemarkColumn = 6,
    HonorificColumn = 7,
    Joint1Column = 8,
    Joint2Column = 9,
    PrintColumn = 10,
};
constexpr int kColumns = 7;     // the number and the six fields of an address line
constexpr int kAllColumns = 11; // and 敬称, 連名1, 連名2, 印刷

// The title of a column in the grid and in a header row the program writes.
QString columnTitle(int column);

// How the fields of a record fill the grid's columns.
struct ListLayout {
    // The file's first record is a header row, not an address.
    bool header = false;
    // Per field of a record, in order: the column it fills (several fields of one column are
    // joined), or 0 for a field kept in the file but not shown. Fields past the end are kept too.
    std::vector<int> fields;
    // With a header: each field's title as the file has it (Shift-JIS, as the field rules read it).
    std::vector<std::string> titles;

    // Six fields by position, no header: the program's own address file.
    static ListLayout positional();
    bool isPositional() const { return !header && fields == positional().fields; }
    bool hasColumn(int column) const;
    // How many fields fill the column.
    int partsOf(int column) const;
    bool operator==(const ListLayout&) const = default;
};

// What the titles of a file's first record tell.
struct HeaderReading {
    // The record is a header row: two or more titles are ones this program knows.
    bool header = false;
    // It might be one (one known title, no digit anywhere), so the user may be asked.
    bool maybe = false;
    // Every titled field is understood and a name column is among them: no need to ask.
    bool complete = false;
    // The columns as understood: unknown titles fill nothing.
    ListLayout layout;
};
HeaderReading readHeader(const std::vector<std::string>& titles);

// The column a title names by itself, for the column dialog's first choice; 0 when none.
int columnForTitle(std::string_view title);

// Several fields of one column are joined with this: a full-width space between the parts of
// a name, nothing between the parts of an address.
std::string_view partSeparator(int column);
// The cell that parts give: the parts that are not " " (an empty field) joined; " " when all
// are empty; "" when there are none.
std::string joinParts(int column, const std::vector<std::string_view>& parts);
// Parts for `count` fields that join to `value` again, keeping as many of the `original` parts
// as still begin it; whatever cannot be split goes whole into the first part.
std::vector<std::string> splitParts(int column, std::string_view value, std::size_t count,
                                    const std::vector<std::string>& original);

// The column choice kept in the settings file: the columns of the header's fields, "1,0,3,4",
// or "-" for a first record that is an address, read by position.
std::string choiceText(const ListLayout& layout);
// The layout a kept choice gives (its titles left empty); nothing for any other text.
std::optional<ListLayout> layoutFromChoice(std::string_view text);
// The header's text, the key its kept choice is found by: its titles joined with commas.
std::string headerText(const std::vector<std::string>& titles);

// Nothing but half-width or full-width spaces and control characters.
bool isBlankCell(std::string_view cell);

// A print mark that says the row is not printed: しない, ×, 0, no …; anything else, blank too,
// prints.
bool printMarkOff(std::string_view cell);
// The honorific a blank cell stands for, and the print marks the program writes.
constexpr const char16_t* kDefaultHonorific = u"様";
constexpr const char16_t* kPrintOn = u"する";
constexpr const char16_t* kPrintOff = u"しない";

} // namespace rinova::addresses
