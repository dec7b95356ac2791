// rinova-cli grid: imports an address file the way the program's open command does and dumps
// the grid as JSON lines, or with --stats only its size.
#include "addresses/address_grid.h"
#include "cli/args.h"
#include "cli/card_source.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "text/cp932.h"

#include <string>

namespace rinova::cli {
namespace {

constexpr const char* kGridUsage =
    "使い方: rinova-cli grid FILE [--stats] [--format plain|sheet|sheet-utf8]\n";

// Buffers output and writes it in large blocks: a million rows must not cost a flush each.
// False once a write failed: the rest would not arrive either.
class Output {
public:
    std::string& buffer() { return buf_; }
    bool maybeFlush() { return buf_.size() < (1u << 20) || flush(); }
    bool flush() {
        const bool written = writeOut(QByteArrayView(buf_.data(), qsizetype(buf_.size())));
        buf_.clear();
        return written;
    }

private:
    std::string buf_;
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// A JSON string of the cell as decoded for display.
void appendJsonText(std::string& out, std::string_view cell) {
    static const char* const kHex = "0123456789abcdef";
    out.push_back('"');
    const QString text = rinova::text::toUnicode(cell);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == '"' || u == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(u));
        } else if (u < 0x20) {
            out.append("\\u00");
            out.push_back(kHex[u >> 4]);
            out.push_back(kHex[u & 0xF]);
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(u, text.at(i + 1).unicode()));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    out.push_back('"');
}

void appendHex(std::string& out, std::string_view cell) {
    static const char* const kHex = "0123456789abcdef";
    out.push_back('"');
    for (unsigned char b : cell) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
    }
    out.push_back('"');
}

} // namespace

int cmdGrid(const QStringList& args) {
    const std::optional<Args> parsed =
        parseArgs(args, {QStringLiteral("--format")}, {QStringLiteral("--stats")});
    if (!parsed) return usageError(kGridUsage);
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usageError(kGridUsage);
    const QString& file = parsed->file;
    const bool stats = parsed->has(QStringLiteral("--stats"));

    addresses::AddressGrid grid;
    grid.setRowFields(0, text::fromUnicode(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
    importAddressFile(grid, file, *format);

    Output out;
    std::string& buf = out.buffer();
    if (stats) {
        unsigned long long bytes = 0;
        for (int row = 1; row < grid.rowCountWithHeader(); ++row)
            bytes += grid.rowBytes(row);
        buf += "{\"rows\":" + std::to_string(grid.rowCountWithHeader() - 1) +
               ",\"bytes\":" + std::to_string(bytes) + "}\n";
        out.flush();
        return finishOut();
    }
    // The honorific, joint names and print mark follow when the list has them, as in the window.
    const int columns = grid.showsExtraColumns() ? addresses::kAllColumns : addresses::kColumns;
    std::string titles[addresses::kAllColumns];
    for (int col = addresses::kColumns; col < addresses::kAllColumns; ++col)
        titles[col] = text::fromUnicode(addresses::columnTitle(col));
    const auto cellAt = [&](int row, int col) -> std::string_view {
        return row == 0 && col >= addresses::kColumns ? titles[col] : grid.cell(row, col);
    };
    for (int row = 0; row < grid.rowCountWithHeader(); ++row) {
        buf += "{\"row\":";
        buf += std::to_string(row);
        buf += ",\"cells\":[";
        for (int col = 0; col < columns; ++col) {
            if (col) buf.push_back(',');
            appendJsonText(buf, cellAt(row, col));
        }
        buf += "],\"hex\":[";
        for (int col = 0; col < columns; ++col) {
            if (col) buf.push_back(',');
            appendHex(buf, cellAt(row, col));
        }
        buf += "]}\n";
        if (!out.maybeFlush()) break;
    }
    out.flush();
    return finishOut();
}

} // namespace rinova::cli
