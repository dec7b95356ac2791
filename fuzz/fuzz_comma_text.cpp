// The line and field rules and the import into the grid on arbitrary bytes. The import keeps
// its own fast path, so each imported row is checked against the field rules applied to the
// same comma text through the plain list, and against what must hold of any row.
#include "addresses/address_grid.h"
#include "addresses/comma_text.h"
#include "text/cp932.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace rinova::addresses;

namespace {

[[noreturn]] void fail(const char* what, std::size_t row = 0) {
    std::fprintf(stderr, "comma text: %s (row %zu)\n", what, row);
    std::abort();
}

std::string withFullWidthSpaces(std::string_view line) {
    std::string out;
    for (char c : line) {
        if (c == ' ')
            out += "\x81\x40";
        else
            out += c;
    }
    return out;
}

void checkLines(std::string_view content, const std::vector<std::string_view>& lines) {
    const std::string_view text = UpToNul(content);
    // The lines are the text without its line breaks, in order, and none holds a break or NUL.
    std::string joined, stripped;
    for (std::string_view line : lines) {
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
            fail("a line holds a line break or NUL");
        joined += line;
    }
    for (char c : text)
        if (c != '\r' && c != '\n') stripped += c;
    if (joined != stripped) fail("the lines are not the content without its line breaks");
    // One line per line break (CR LF counts once), plus an unterminated last line.
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            ++breaks;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    const bool tail = !text.empty() && text.back() != '\n' && text.back() != '\r';
    if (lines.size() != breaks + (tail ? 1 : 0)) fail("wrong number of lines");
}

void checkFields(std::string_view text, const std::vector<std::string>& fields) {
    std::size_t total = 0;
    for (const std::string& f : fields) {
        if (f.find('\0') != std::string::npos) fail("a field holds a NUL");
        total += f.size();
    }
    // Every field byte comes from the text; only a trailing empty field adds none.
    if (total > UpToNul(text).size()) fail("the fields hold more bytes than the text");
}

void checkRow(const AddressGrid& grid, std::size_t k, std::string_view line) {
    const int row = static_cast<int>(k);
    if (grid.cell(row, 0) != std::to_string(k)) fail("column 0 is not the line number", k);
    const std::string comma = std::to_string(k) + "," + withFullWidthSpaces(line);
    const std::vector<std::string> fields = splitFields(comma);
    checkFields(comma, fields);
    bool ended = false;
    for (int col = 0; col < kColumns; ++col) {
        const std::string_view cell = grid.cell(row, col);
        const std::size_t j = static_cast<std::size_t>(col);
        const std::string want = j < fields.size() ? (fields[j].empty() ? " " : fields[j]) : "";
        if (cell != want) fail("a cell differs from the field rules", k);
        if (cell.empty())
            ended = true;
        else if (ended)
            fail("a filled cell after an empty one", k);
        // A half-width space can only be an empty field: the line's spaces became full-width.
        if (cell != " ")
            for (std::size_t i = 0; i < cell.size(); i += rinova::text::charLength(cell, i))
                if (cell[i] == ' ') fail("a half-width space in a cell", k);
        if (cell.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
            fail("a cell holds a line break or NUL", k);
    }
    if (!grid.cell(row, kColumns).empty() || !grid.cell(row, -1).empty())
        fail("a cell outside the columns", k);
    std::size_t bytes = 0;
    for (int col = 0; col < kColumns; ++col)
        bytes += grid.cell(row, col).size();
    if (grid.rowBytes(row) != bytes) fail("rowBytes is not the sum of the cells", k);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> lines = SplitLines(content);
    checkLines(content, lines);
    checkFields(content, splitFields(content));

    // A UTF-16 byte-order mark (bytes no Shift-JIS text starts with) reads as UTF-16 text.
    if (isUtf16Text(content)) return 0;
    AddressGrid grid;
    grid.setRowFields(0, rinova::text::fromUnicode(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
    const std::string header[kColumns] = {
        std::string(grid.cell(0, 0)), std::string(grid.cell(0, 1)), std::string(grid.cell(0, 2)),
        std::string(grid.cell(0, 3)), std::string(grid.cell(0, 4)), std::string(grid.cell(0, 5)),
        std::string(grid.cell(0, 6))};
    grid.importContent(std::string(content));
    // A first line of column titles is a header row: the rows are the lines after it, filled
    // by its titles instead of by position.
    const bool titled = grid.file().layout.header;
    if (grid.rowCountWithHeader() != static_cast<int>(lines.size()) + (titled ? 0 : 1))
        fail("row count is not lines + 1");
    for (int col = 0; col < kColumns; ++col)
        if (grid.cell(0, col) != header[col]) fail("the import changed the header");
    if (!titled)
        for (std::size_t k = 1; k <= lines.size(); ++k)
            checkRow(grid, k, lines[k - 1]);
    if (!grid.cell(grid.rowCountWithHeader(), 0).empty()) fail("a row past the end");

    // Setting one row by hand agrees with the import, and a second import replaces all rows.
    if (!lines.empty() && !titled) {
        const std::string comma = "1," + withFullWidthSpaces(lines[0]);
        grid.setRowFields(1, comma);
        checkRow(grid, 1, lines[0]);
    }
    grid.importContent(std::string(content.substr(0, content.size() / 2)));
    const std::vector<std::string_view> half = SplitLines(content.substr(0, content.size() / 2));
    const bool halfTitled = grid.file().layout.header;
    if (grid.rowCountWithHeader() != static_cast<int>(half.size()) + (halfTitled ? 0 : 1))
        fail("re-import row count");
    if (!halfTitled)
        for (std::size_t k = 1; k <= half.size(); ++k)
            checkRow(grid, k, half[k - 1]);
    return 0;
}
