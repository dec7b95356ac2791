// Saving address lists on arbitrary bytes, in each format: a list saved unchanged is the same
// bytes, and once every row has an edited cell, the saved file reads back as the same rows and
// cells, except cells named before saving as ones the format cannot hold.
#include "addresses/address_grid.h"
#include "addresses/list_records.h"
#include "text/cp932.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace rinova::addresses;

namespace {

[[noreturn]] void fail(const char* what, int row = 0) {
    std::fprintf(stderr, "list save: %s (row %d)\n", what, row);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first byte picks the format and the column edited; the next ones, up to a NUL, are
    // the text typed into it; the rest is the file.
    const auto format = static_cast<FileFormat>(data[0] % 3);
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string_view typed = rest.substr(0, std::min<std::size_t>(nul, 24));
    const std::string content(nul == std::string_view::npos ? rest : rest.substr(nul + 1));

    AddressGrid g;
    g.importContent(content, format);
    if (g.saved(g.file().format, g.layoutForSave()).bytes() != content) fail("saved unchanged");

    const TypedCell cell = typedCell(rinova::text::toUnicode(typed));
    const std::string bytes = cell.refused.isEmpty() ? cell.bytes : std::string(" ");
    const int rows = std::min(g.rowCountWithHeader() - 1, 64);
    for (int r = 1; r <= rows; ++r) {
        const int column = 1 + (data[0] / 3 + r) % (kAllColumns - 1);
        g.replaceRows(r, 1, {g.withCell(r, column, bytes)});
    }
    // A new row at the end, too.
    g.replaceRows(g.rowCountWithHeader(), 0, {g.withCell(0, Address1Column, bytes)});

    // A cell the format cannot hold is named before saving (the user decides); any other cell,
    // and every row, must read back as it is.
    std::vector<bool> named(static_cast<std::size_t>(g.rowCountWithHeader()), false);
    for (const CellLoss& loss : g.lossesIn(g.file().format, g.layoutForSave(), SIZE_MAX))
        named[static_cast<std::size_t>(loss.row)] = true;
    SavedList saved = g.saved(g.file().format, g.layoutForSave());
    AddressGrid back;
    back.importContent(saved.bytes(), g.file().format);
    if (back.rowCountWithHeader() != g.rowCountWithHeader()) fail("rows read back");
    const auto sameCells = [&](int r) {
        const RowCells was = g.cells(r), now = back.cells(r);
        for (int c = 0; c < kAllColumns; ++c) {
            const std::string& a = was[static_cast<std::size_t>(c)];
            const std::string& b = now[static_cast<std::size_t>(c)];
            if (a != b && !((a.empty() || a == " ") && (b.empty() || b == " "))) return false;
        }
        return true;
    };
    for (int r = 1; r < g.rowCountWithHeader(); ++r)
        if (!named[static_cast<std::size_t>(r)] && !sameCells(r))
            fail("a cell read back otherwise", r);
    // Once saved, the grid shows what the file now holds, named cells included.
    g.adoptSaved(std::move(saved));
    for (int r = 1; r < g.rowCountWithHeader(); ++r)
        if (!sameCells(r)) fail("the grid differs from its saved file", r);
    return 0;
}
