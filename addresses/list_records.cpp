#include "addresses/list_records.h"

#include "addresses/comma_text.h"
#include "text/cp932.h"

#include <QStringList>
#include <algorithm>
#include <optional>

namespace rinova::addresses {
namespace {

// Collects the fields of a comma text.
struct FieldList {
    std::vector<std::string>& fields;
    void begin() { fields.emplace_back(); }
    void append(const char* p, std::size_t n) { fields.back().append(p, n); }
    bool end() {
        if (fields.back().empty()) fields.back() = " ";
        return true;
    }
};

// Collects the cells of the first record of a spreadsheet text.
class FirstRecord : public SheetSink {
public:
    explicit FirstRecord(RecordFields& fields, std::string_view text)
        : fields_(fields), text_(text) {}
    std::string& out() override { return out_; }
    void beginRecord(std::size_t) override {}
    void cellSource(std::size_t from, std::size_t to) override {
        fields_.source.emplace_back(text_.substr(from, to - from));
    }
    void endCell(std::size_t cellStart, bool lost) override {
        std::string cell = out_.substr(cellStart);
        fields_.values.push_back(cell.empty() ? std::string(" ") : std::move(cell));
        fields_.lost = fields_.lost || lost;
    }
    bool endRecord(std::size_t, std::size_t) override { return false; }

private:
    RecordFields& fields_;
    std::string_view text_;
    std::string out_;
};

// A field that starts a file with a UTF-16 byte-order mark would make it read as UTF-16 text,
// so such a field is quoted wherever it is.
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

bool appendField(std::string& out, std::string_view value, FileFormat format) {
    return format == FileFormat::Plain ? appendPlainField(out, value)
                                       : appendSheetCell(out, value, format);
}

// Fields joined by the format's delimiter, missing ones at the end left out.
std::string joinFields(const std::vector<std::optional<std::string>>& fields, FileFormat format) {
    std::size_t n = fields.size();
    while (n > 0 && !fields[n - 1])
        --n;
    const char delimiter = format == FileFormat::Plain ? ',' : sheetDelimiter(format);
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) out += delimiter;
        if (fields[i]) out += *fields[i];
    }
    return out;
}

} // namespace

RecordFields readFields(FileFormat format, std::string_view record) {
    RecordFields f;
    if (format == FileFormat::Plain) {
        // As the import reads a line: its number and a comma first, half-width spaces made
        // full-width; then the number is no field of the record.
        std::string text = "0,";
        for (char c : UpToNul(record)) {
            if (c == ' ')
                text += "\x81\x40";
            else
                text += c;
        }
        FieldList sink{f.values};
        SplitCommaTextInto(text, sink);
        if (!f.values.empty()) f.values.erase(f.values.begin());
        for (const std::string& v : f.values) {
            std::string field;
            appendPlainField(field, v);
            f.source.push_back(std::move(field));
        }
        return f;
    }
    record = UpToNul(record);
    if (record.empty()) { // an empty line is a record of one empty cell
        f.values.emplace_back(" ");
        f.source.emplace_back();
        return f;
    }
    FirstRecord sink(f, record);
    parseSheet(record, format, sink, false);
    return f;
}

void fillCells(const RecordFields& fields, const ListLayout& layout, RowCells& cells) {
    std::array<std::vector<std::string_view>, kAllColumns> parts;
    const std::size_t n = std::min(fields.values.size(), layout.fields.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int c = layout.fields[i];
        if (c > 0 && c < kAllColumns)
            parts[static_cast<std::size_t>(c)].push_back(fields.values[i]);
    }
    for (int c = 1; c < kAllColumns; ++c)
        cells[static_cast<std::size_t>(c)] = joinParts(c, parts[static_cast<std::size_t>(c)]);
}

std::string writeRecord(FileFormat format, const ListLayout& layout, const RowCells& cells,
                        const RecordFields& original) {
    const std::size_t n = std::max(layout.fields.size(), original.values.size());
    // Each column's parts, split as the original record had them where they still fit.
    std::array<std::vector<std::string>, kAllColumns> parts;
    std::array<std::size_t, kAllColumns> taken{};
    for (int c = 1; c < kAllColumns; ++c) {
        const auto col = static_cast<std::size_t>(c);
        std::vector<std::string> was;
        for (std::size_t i = 0; i < layout.fields.size(); ++i)
            if (layout.fields[i] == c)
                was.push_back(i < original.values.size() ? original.values[i] : std::string(" "));
        if (!was.empty()) parts[col] = splitParts(c, cells[col], was.size(), was);
    }
    std::vector<std::optional<std::string>> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const int c = i < layout.fields.size() ? layout.fields[i] : 0;
        if (c <= 0 || c >= kAllColumns) {
            if (i < original.source.size()) {
                out[i] = original.source[i];
                // A kept field whose quote the file never closed ran to the end of the file;
                // written before other rows it would swallow them, so it is closed where it ends.
                if (format != FileFormat::Plain && endsInsideQuotes(*out[i], format))
                    *out[i] += '"';
            }
            continue;
        }
        const auto col = static_cast<std::size_t>(c);
        const std::string& part = parts[col][taken[col]++];
        if (cells[col].empty()) continue; // a cell the record did not have
        std::string field;
        appendField(field, part, format);
        out[i] = std::move(field);
    }
    return joinFields(out, format);
}

std::string writeHeader(FileFormat format, const ListLayout& layout) {
    std::vector<std::optional<std::string>> out;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        std::string title = i < layout.titles.size()
                                ? layout.titles[i]
                                : text::fromUnicode(columnTitle(layout.fields[i]));
        std::string field;
        appendField(field, title.empty() ? std::string(" ") : title, format);
        out.emplace_back(std::move(field));
    }
    return joinFields(out, format);
}

bool appendPlainField(std::string& out, std::string_view value) {
    if (value == " ") return true; // an empty field reads as " "
    // One pass by characters as reading takes them (a lead byte and whatever byte follows):
    // whether the field needs quotes (a comma, quote or blank would split or lose it), whether
    // every byte reads back as it is (reading stops at a NUL and widens half-width spaces), and
    // where its last character starts.
    bool quoted = value.starts_with('"') || value.starts_with(kUtf16Mark);
    bool asIs = !value.empty();
    std::size_t last = 0;
    for (std::size_t i = 0; i < value.size();) {
        const auto b = static_cast<unsigned char>(value[i]);
        last = i;
        if (text::isLeadByte(b) && i + 1 < value.size()) {
            const auto trail = static_cast<unsigned char>(value[i + 1]);
            asIs = asIs && trail != 0 && trail != ' ';
            i += 2;
            continue;
        }
        quoted = quoted || b == ',' || b == '"' || (b >= 0x01 && b <= 0x20);
        asIs = asIs && b != 0 && b != ' ';
        ++i;
    }
    // A lead byte at the end would take the comma or closing quote after it, and the rows after
    // it with that: it becomes "?", as a character no file can hold does (the cell then reads
    // back otherwise and is named before saving; a header's title stays one not known).
    std::string marked;
    if (!value.empty() && last + 1 == value.size() &&
        text::isLeadByte(static_cast<unsigned char>(value[last]))) {
        marked = std::string(value.substr(0, last)) + '?';
        value = marked;
        asIs = false;
    }
    if (!quoted) {
        out += value;
        return asIs;
    }
    out += '"';
    // Only a quote that starts a character is one; a trail byte is written as it is.
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t n = text::charLength(value, i);
        out += value.substr(i, n);
        if (n == 1 && value[i] == '"') out += '"';
        i += n;
    }
    out += '"';
    return false;
}

bool fillsOwnColumns(const ListLayout& layout) {
    std::array<bool, kAllColumns> used{};
    for (int c : layout.fields) {
        if (c <= 0 || c >= kAllColumns || used[static_cast<std::size_t>(c)]) return false;
        used[static_cast<std::size_t>(c)] = true;
    }
    return true;
}

bool fieldsWithin(FileFormat format, std::string_view record, std::size_t limit) {
    record = UpToNul(record);
    // Each delimiter may start a field (fewer do where quotes hold them).
    if (format != FileFormat::Plain) {
        std::size_t n = 1;
        for (std::size_t at = record.find(sheetDelimiter(format)); at != std::string_view::npos;
             at = record.find(sheetDelimiter(format), at + 1))
            if (++n > limit) return false;
        return true;
    }
    // Half-width spaces are read as full-width ones, so no blank of the plain rules.
    std::size_t n = 1;
    for (char c : record) {
        const auto b = static_cast<unsigned char>(c);
        n += static_cast<std::size_t>((b == ',') | (b == '"') | (b < 0x20));
    }
    if (n <= limit) return true;
    // Quoted fields count each quote: split the line as reading it does, only counting.
    struct Count {
        std::size_t n = 0;
        void begin() { ++n; }
        void append(const char*, std::size_t) {}
        bool end() { return true; }
    } count;
    std::string text = "0,";
    for (char c : record)
        text += c == ' ' ? std::string_view("\x81\x40") : std::string_view(&c, 1);
    SplitCommaTextInto(text, count);
    return count.n - 1 <= limit;
}

bool appendOwnColumnsRecord(std::string& out, FileFormat format, const ListLayout& layout,
                            const CellViews& cells) {
    const char delimiter = format == FileFormat::Plain ? ',' : sheetDelimiter(format);
    std::array<bool, kAllColumns> inLayout{};
    std::size_t last = 0; // one past the last field there
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const auto col = static_cast<std::size_t>(layout.fields[i]);
        inLayout[col] = true;
        if (!cells[col].empty()) last = i + 1;
    }
    // A column the layout has no field for reads back empty, and so does a record of no field.
    bool exact = last > 0;
    for (int c = 1; c < kAllColumns; ++c)
        exact = exact && (inLayout[static_cast<std::size_t>(c)] ||
                          cells[static_cast<std::size_t>(c)].empty());
    for (std::size_t i = 0; i < last; ++i) {
        if (i) out += delimiter;
        const std::string_view cell = cells[static_cast<std::size_t>(layout.fields[i])];
        if (cell.empty()) { // missing before a field that is there: written empty, read as " "
            exact = false;
            continue;
        }
        exact = appendField(out, cell, format) && exact;
    }
    return exact;
}

RowCells roundTrip(FileFormat format, const ListLayout& layout, const RowCells& cells,
                   const RecordFields& original) {
    RowCells back;
    back[0] = cells[0];
    fillCells(readFields(format, writeRecord(format, layout, cells, original)), layout, back);
    return back;
}

TypedCell typedCell(const QString& typed) {
    QStringList refused;
    const auto refuse = [&](const QString& what) {
        if (!refused.contains(what)) refused << what;
    };
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const char32_t u = typed.at(i).unicode();
        if (u == '\r' || u == '\n' || u == 0x2028 || u == 0x2029 || u == 0x85) {
            refuse(QStringLiteral("改行"));
        } else if (u == '\t') {
            refuse(QStringLiteral("タブ"));
        } else if (u < 0x20 || u == 0x7F) {
            refuse(QStringLiteral("制御文字"));
        } else {
            const qsizetype len = typed.at(i).isHighSurrogate() && i + 1 < typed.size() ? 2 : 1;
            const QStringView ch = QStringView(typed).mid(i, len);
            if (!text::canEncode(ch)) refuse(QStringLiteral("「%1」").arg(ch));
            i += len - 1;
        }
    }
    TypedCell cell;
    cell.refused = refused.join(QStringLiteral("、"));
    if (cell.refused.isEmpty()) cell.bytes = text::fromUnicode(typed);
    if (cell.bytes.empty()) cell.bytes = " ";
    return cell;
}

} // namespace rinova::addresses
