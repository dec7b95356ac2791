// Spreadsheet CSV. The delimiters (comma, quote, CR, LF) are ASCII and never the second byte of
// a Shift-JIS or a UTF-8 character, so records and cells are found byte by byte; each cell is
// then written once into the sink's string, converted, widened and trimmed on the way.
#include "addresses/sheet_csv.h"

#include "addresses/comma_text.h"
#include "addresses/row_check.h"
#include "text/cp932.h"

#include <QStringList>
#include <cstdint>
#include <cstring>

namespace rinova::addresses {
namespace {

using Byte = unsigned char;

// One cell being written: blanks are held back until a character follows them, so trimming
// the end is cutting at `keep`.
struct Cell {
    char* w;
    char* keep;
    bool leading = true;
    bool lost = false;

    void blank() {
        if (leading) return;
        *w++ = '\x81'; // a full-width space
        *w++ = '\x40';
    }
    void put(Byte b) {
        *w++ = static_cast<char>(b);
        keep = w;
        leading = false;
    }
    void put2(Byte a, Byte b) {
        *w++ = static_cast<char>(a);
        *w++ = static_cast<char>(b);
        keep = w;
        leading = false;
    }
    void replace() {
        put2(0x81, 0xAC); // 〓, the printer's mark for a character it has not got
        lost = true;
    }
};

constexpr bool isTrailByte(Byte b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The ASCII bytes both encodings share. Returns the bytes consumed.
inline std::size_t writeAscii(const Byte* p, const Byte* end, bool quoted, Cell& c) {
    const Byte b = *p;
    if (b == ' ' || b == '\t') {
        c.blank();
    } else if (b == '\r' || b == '\n') { // only ever inside quotes
        c.blank();
        if (b == '\r' && p + 1 < end && p[1] == '\n') return 2;
    } else if (b == '"' && quoted) { // inside quotes every quote is one of a doubled pair
        c.put('"');
        return p + 1 < end ? 2 : 1;
    } else {
        c.put(b);
    }
    return 1;
}

void writeShiftJis(const Byte* p, const Byte* end, bool quoted, Cell& c) {
    while (p < end) {
        const Byte b = *p;
        if (b < 0x80) {
            p += writeAscii(p, end, quoted, c);
        } else if (text::isLeadByte(b) && p + 1 < end && isTrailByte(p[1])) {
            if (b == 0x81 && p[1] == 0x40)
                c.blank();
            else
                c.put2(b, p[1]);
            p += 2;
        } else {
            c.put(b); // not a character: the bytes stay as they are, as the plain rules keep them
            ++p;
        }
    }
}

// One UTF-8 character at p: its code point and length, or length 0 when the bytes are not one.
struct Decoded {
    char32_t cp = 0;
    std::size_t length = 0;
};

inline Decoded decodeUtf8(const Byte* p, const Byte* end) {
    const Byte b = *p;
    std::size_t n;
    char32_t cp, least;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2, cp = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, cp = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, cp = b & 0x07, least = 0x10000;
    } else {
        return {};
    }
    if (static_cast<std::size_t>(end - p) < n) return {};
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return {};
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
    return {cp, n};
}

void writeUtf8(const Byte* p, const Byte* end, bool quoted, Cell& c, const std::uint16_t* codes) {
    while (p < end) {
        if (*p < 0x80) {
            p += writeAscii(p, end, quoted, c);
            continue;
        }
        const Decoded d = decodeUtf8(p, end);
        if (d.length == 0) {
            // Not UTF-8: one mark for the byte and the continuation bytes that follow it.
            c.replace();
            ++p;
            for (int i = 0; i < 3 && p < end && (*p & 0xC0) == 0x80; ++i)
                ++p;
            continue;
        }
        p += d.length;
        if (d.cp == 0x3000 || d.cp == 0x00A0) {
            c.blank();
            continue;
        }
        const std::uint16_t code = d.cp <= 0xFFFF ? codes[d.cp] : 0;
        if (code == 0)
            c.replace();
        else if (code < 0x100)
            c.put(static_cast<Byte>(code));
        else
            c.put2(static_cast<Byte>(code >> 8), static_cast<Byte>(code & 0xFF));
    }
}

template <bool Utf8, char Delim>
void parse(std::string_view text, std::size_t base, SheetSink& sink) {
    const auto* const begin = reinterpret_cast<const Byte*>(text.data());
    const auto* p = begin;
    const Byte* const end = p + text.size();
    const std::uint16_t* const codes = Utf8 ? text::encodeTable() : nullptr;
    std::string& out = sink.out();
    const auto write = [&](const Byte* from, const Byte* to, bool quoted, Cell& c) {
        if constexpr (Utf8)
            writeUtf8(from, to, quoted, c, codes);
        else
            writeShiftJis(from, to, quoted, c);
    };
    const auto offset = [&](const Byte* at) { return base + static_cast<std::size_t>(at - begin); };

    while (p < end) {
        sink.beginRecord(offset(p));
        for (;;) {
            const Byte* const cellFrom = p;
            const Byte* quotedFrom = nullptr;
            const Byte* quotedTo = nullptr;
            const Byte* first = p;
            while (first < end && (*first == ' ' || (Delim != '\t' && *first == '\t')))
                ++first;
            if (first < end && *first == '"') {
                quotedFrom = first + 1;
                const Byte* q = quotedFrom;
                for (;;) {
                    q = static_cast<const Byte*>(
                        std::memchr(q, '"', static_cast<std::size_t>(end - q)));
                    if (!q) {
                        q = end;
                        break;
                    }
                    if (q + 1 < end && q[1] == '"') {
                        q += 2;
                        continue;
                    }
                    break;
                }
                quotedTo = q;
                p = q < end ? q + 1 : end;
            }
            const Byte* const plainFrom = p;
            while (p < end && *p != Delim && *p != '\r' && *p != '\n')
                ++p;

            // Every input byte gives at most two output bytes.
            const std::size_t cellStart = out.size();
            out.resize(cellStart +
                       2 * static_cast<std::size_t>((quotedTo - quotedFrom) + (p - plainFrom)));
            Cell cell{out.data() + cellStart, out.data() + cellStart};
            if (quotedFrom) write(quotedFrom, quotedTo, true, cell);
            write(plainFrom, p, false, cell);
            out.resize(static_cast<std::size_t>(cell.keep - out.data()));
            sink.cellSource(offset(cellFrom), offset(p));
            sink.endCell(cellStart, cell.lost);

            if (p < end && *p == Delim) {
                ++p;
                continue;
            }
            break;
        }
        const Byte* const recordEnd = p;
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n') ++p;
        if (!sink.endRecord(offset(recordEnd), offset(p))) return;
    }
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::optional<FileFormat> fileFormatNamed(QStringView name) {
    if (name == u"plain") return FileFormat::Plain;
    if (name == u"sheet") return FileFormat::Sheet;
    if (name == u"sheet-utf8") return FileFormat::SheetUtf8;
    return std::nullopt;
}

bool looksLikeUtf8(std::string_view content) {
    if (content.starts_with(kByteOrderMark)) return true;
    const auto* p = reinterpret_cast<const Byte*>(content.data());
    const Byte* const end = p + content.size();
    bool multiByte = false;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Decoded d = decodeUtf8(p, end);
        if (d.length == 0) return false;
        multiByte = true;
        p += d.length;
    }
    return multiByte;
}

void parseSheet(std::string_view content, FileFormat format, SheetSink& sink, bool fileStart) {
    content = UpToNul(content);
    switch (format) {
    case FileFormat::SheetUtf8: {
        const std::size_t mark =
            fileStart && content.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
        parse<true, ','>(content.substr(mark), mark, sink);
        break;
    }
    case FileFormat::SheetUtf16:
        parse<true, '\t'>(content, 0, sink);
        break;
    default:
        parse<false, ','>(content, 0, sink);
    }
}

char sheetDelimiter(FileFormat format) {
    return format == FileFormat::SheetUtf16 ? '\t' : ',';
}

bool appendSheetCell(std::string& out, std::string_view cell, FileFormat format) {
    if (cell == " ") return true; // an empty cell reads back as " "
    const Byte delimiter = static_cast<Byte>(sheetDelimiter(format));
    // One pass over the bytes (no delimiter is ever a trail byte): whether the cell needs quotes,
    // and whether it is kept as it is. Blanks and controls are read as full-width spaces, and
    // those at either end are trimmed.
    bool quoted = false;
    bool kept = !cell.empty() && !cell.starts_with("\x81\x40");
    const auto* p = reinterpret_cast<const Byte*>(cell.data());
    const Byte* const end = p + cell.size();
    while (p < end) {
        const Byte b = *p;
        if (b <= 0x22) {
            quoted = quoted || b == delimiter || b == '"' || b == '\r' || b == '\n';
            kept = kept && b == '!';
            ++p;
        } else if (b == delimiter) {
            quoted = true;
            ++p;
        } else if (text::isLeadByte(b)) {
            if (p + 1 == end || !isTrailByte(p[1])) { // no character; the next byte starts anew
                kept = false;
                ++p;
                continue;
            }
            kept = kept && !(p + 2 == end && b == 0x81 && p[1] == 0x40);
            p += 2;
        } else {
            ++p; // kept as it is in Shift-JIS; the UTF-8 formats check each character below
        }
    }
    // A cell that starts a file with a UTF-16 byte-order mark would make it read as UTF-16 text.
    quoted = quoted || (format == FileFormat::Sheet && cell.starts_with("\xFF\xFE"));
    const std::size_t from = out.size();
    if (format == FileFormat::Sheet)
        out += cell;
    else
        kept = text::appendUtf8Of(out, cell) && kept;
    if (!quoted) return kept;
    // Quoted: the converted bytes again, between quotes and with each quote doubled.
    const std::string converted = out.substr(from);
    out.resize(from);
    out += '"';
    for (char c : converted) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
    return false;
}

bool endsInsideQuotes(std::string_view record, FileFormat format) {
    // Cell by cell as parseSheet reads them: blanks, a quoted part when a quote comes first,
    // then the rest up to the delimiter (quotes there are plain characters).
    const char delimiter = sheetDelimiter(format);
    const std::size_t n = record.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && (record[i] == ' ' || (delimiter != '\t' && record[i] == '\t')))
            ++i;
        if (i < n && record[i] == '"') {
            for (++i;;) {
                const std::size_t q = record.find('"', i);
                if (q == std::string_view::npos) return true;
                i = q + 1;
                if (i < n && record[i] == '"') {
                    ++i; // a doubled quote
                    continue;
                }
                break;
            }
        }
        const std::size_t next = record.find(delimiter, i);
        if (next == std::string_view::npos) break;
        i = next + 1;
    }
    return false;
}

bool isUtf16Text(std::string_view content) {
    return content.starts_with("\xFF\xFE");
}

std::string fromUtf16(std::string_view units) {
    std::string out;
    out.reserve(units.size() * 3 / 2);
    const auto* p = reinterpret_cast<const Byte*>(units.data());
    const std::size_t n = units.size() / 2;
    const auto unit = [&](std::size_t i) -> char32_t { return p[2 * i] | (p[2 * i + 1] << 8); };
    const auto put = [&](char32_t c) { text::appendUtf8(out, c); };
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            put(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else {
            put(u);
        }
    }
    return out;
}

std::string toUtf16(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto put = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    const auto* p = reinterpret_cast<const Byte*>(utf8.data());
    const Byte* const end = p + utf8.size();
    while (p < end) {
        const Byte b = *p;
        std::size_t n = 0;
        char32_t c = 0, least = 0;
        if (b < 0x80)
            n = 1, c = b;
        else if (b >= 0xC2 && b <= 0xDF)
            n = 2, c = b & 0x1F, least = 0x80;
        else if (b >= 0xE0 && b <= 0xEF)
            n = 3, c = b & 0x0F, least = 0x800;
        else if (b >= 0xF0 && b <= 0xF4)
            n = 4, c = b & 0x07, least = 0x10000;
        bool ok = n > 0 && static_cast<std::size_t>(end - p) >= n;
        for (std::size_t i = 1; ok && i < n; ++i) {
            ok = (p[i] & 0xC0) == 0x80;
            c = (c << 6) | (p[i] & 0x3F);
        }
        ok = ok && c >= least && c <= 0x10FFFF; // surrogates pass: fromUtf16 writes lone ones so
        if (!ok) {
            put(0xFFFD);
            ++p;
            continue;
        }
        p += n;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

QString replacedRowsMessage(const std::vector<int>& rows) {
    if (rows.empty()) return {};
    return QStringLiteral("Shift-JIS で表せない文字を「〓」に置き換えました: ") + listedRows(rows);
}

} // namespace rinova::addresses
