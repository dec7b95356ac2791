// The address grid: every cell's bytes live in one arena; a row is its start in the arena and
// the end of each of its eleven cells relative to that start. A million rows thus cost 68 bytes
// each plus their text, instead of eleven heap strings. The records the rows came from stay in
// the file's content, which the grid keeps: a row refers to its record by offset and length.
#include "addresses/address_grid.h"

#include "addresses/comma_text.h"
#include "files/file_name.h"
#include "files/file_read.h"
#include "text/cp932.h"
#include "text/failure.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace rinova::addresses {

using CellEnds = std::array<std::uint32_t, kAllColumns>;

// Where a row's record is in the kept bytes, and what became of it.
struct Origin {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    std::uint8_t lineEnd = 0; // bytes of its line break after the record
    RowOrigin state = RowOrigin::New;
    std::uint8_t nulCut = NotCut;
};

struct AddressGrid::Storage {
    std::string arena;
    std::vector<std::uint64_t> start; // per row, into the arena
    std::vector<CellEnds> ends;       // per row, relative to its start
    std::uint64_t live = 0;           // arena bytes that rows still refer to
    std::string records;              // the file's content, then records given back by edits
    std::vector<Origin> origin;       // per row
    ListFile file;
    bool extras = false; // columns 7 to 10 shown

    int rows() const { return static_cast<int>(start.size()); }
    std::size_t rowBytes(int row) const { return ends[static_cast<std::size_t>(row)].back(); }
    void addEmptyRow() {
        start.push_back(0);
        ends.push_back(CellEnds{});
        origin.emplace_back();
    }
    const Origin& originOf(int row) const { return origin[static_cast<std::size_t>(row)]; }
    std::string_view record(int row) const {
        const Origin& o = originOf(row);
        return std::string_view(records).substr(o.offset, o.length);
    }
    std::string_view lineEnd(int row) const {
        const Origin& o = originOf(row);
        return std::string_view(records).substr(o.offset + o.length, o.lineEnd);
    }
    std::string_view rowText(int row) const {
        return std::string_view(arena).substr(start[static_cast<std::size_t>(row)], rowBytes(row));
    }
};

namespace {

// Writes the fields of one comma text as the cells of one row at the arena's end.
class RowWriter {
public:
    RowWriter(std::string& arena, CellEnds& ends)
        : arena_(arena), ends_(ends), base_(arena.size()) {
        ends_.fill(0);
    }
    std::uint64_t base() const { return base_; }

    void begin() { fieldStart_ = arena_.size(); }
    void append(const char* p, std::size_t n) { arena_.append(p, n); }
    bool end() {
        if (arena_.size() == fieldStart_) arena_.push_back(' '); // a field that was there but empty
        close();
        return field_ < kColumns; // the eighth field onward is dropped
    }
    // A cell as it is, "" too.
    void put(std::string_view cell) {
        arena_.append(cell);
        close();
    }
    // Columns the text did not reach stay empty.
    void finish() {
        for (int c = field_; c < kAllColumns; ++c)
            ends_[static_cast<std::size_t>(c)] = field_ == 0 ? 0 : ends_[field_ - 1];
    }

private:
    void close() {
        const std::uint64_t used = arena_.size() - base_;
        if (used > UINT32_MAX) throw text::Failure(QStringLiteral("行が長すぎて読み込めません"));
        ends_[static_cast<std::size_t>(field_)] = static_cast<std::uint32_t>(used);
        ++field_;
    }

    std::string& arena_;
    CellEnds& ends_;
    std::uint64_t base_;
    std::size_t fieldStart_ = 0;
    int field_ = 0;
};

std::size_t decimalDigits(std::size_t k) {
    std::size_t d = 1;
    while (k >= 10) {
        k /= 10;
        ++d;
    }
    return d;
}

void appendDecimal(std::string& out, std::size_t k) {
    char buf[24];
    char* p = buf + sizeof buf;
    do {
        *--p = static_cast<char>('0' + k % 10);
        k /= 10;
    } while (k != 0);
    out.append(p, static_cast<std::size_t>(buf + sizeof buf - p));
}

std::string decimal(std::size_t k) {
    std::string s;
    appendDecimal(s, k);
    return s;
}

// "k," followed by the line with every half-width space made full-width.
void buildImportText(std::string& out, std::size_t k, std::string_view line) {
    out.clear();
    appendDecimal(out, k);
    out.push_back(',');
    const char* p = line.data();
    const char* const end = p + line.size();
    while (p < end) {
        const auto* space =
            static_cast<const char*>(std::memchr(p, ' ', static_cast<std::size_t>(end - p)));
        if (!space) {
            out.append(p, static_cast<std::size_t>(end - p));
            break;
        }
        out.append(p, static_cast<std::size_t>(space - p));
        out.append("\x81\x40", 2);
        p = space + 1;
    }
}

// Calls line(offset, length, lineEnd) for each line of the text by the rules of SplitLines:
// where it starts, its bytes and the bytes of the line break that ends it (0 to 2).
template <class LineFn> void forEachLineAt(std::string_view text, std::size_t from, LineFn&& line) {
    const char* const base = text.data();
    const char* p = base + from;
    const char* const end = base + text.size();
    while (p < end) {
        const char* start = p;
        while (p < end && *p != '\n' && *p != '\r')
            ++p;
        const char* stop = p;
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n') ++p;
        line(static_cast<std::size_t>(start - base), static_cast<std::size_t>(stop - start),
             static_cast<std::size_t>(p - stop));
    }
}

// Where the record that starts at `from` ends, and where its line break ends.
struct RecordSpan {
    std::size_t end = 0, next = 0;
};

class SpanOnly : public SheetSink {
public:
    std::string& out() override { return out_; }
    void beginRecord(std::size_t) override {}
    void endCell(std::size_t, bool) override { out_.clear(); }
    bool endRecord(std::size_t end, std::size_t next) override {
        span = {end, next};
        return false;
    }
    RecordSpan span;

private:
    std::string out_;
};

RecordSpan recordAt(FileFormat format, std::string_view text, std::size_t from) {
    if (from >= text.size()) return {text.size(), text.size()};
    if (format == FileFormat::Plain) {
        std::size_t end = text.find_first_of("\r\n", from);
        if (end == std::string_view::npos) end = text.size();
        std::size_t next = end;
        if (next < text.size() && text[next] == '\r') ++next;
        if (next < text.size() && text[next] == '\n') ++next;
        return {end, next};
    }
    SpanOnly sink;
    parseSheet(text.substr(from), format, sink, false);
    return {from + sink.span.end, from + sink.span.next};
}

std::uint8_t lineEndBytes(std::size_t n) {
    return static_cast<std::uint8_t>(n);
}

} // namespace

AddressGrid::AddressGrid(QObject* parent)
    : QAbstractTableModel(parent), s_(std::make_unique<Storage>()) {
    for (int r = 0; r < 5; ++r)
        s_->addEmptyRow();
}

AddressGrid::~AddressGrid() = default;

int AddressGrid::rowCountWithHeader() const {
    return s_->rows();
}

std::string_view AddressGrid::cell(int row, int col) const {
    if (row < 0 || row >= s_->rows() || col < 0 || col >= kAllColumns) return {};
    const auto r = static_cast<std::size_t>(row);
    const CellEnds& e = s_->ends[r];
    const std::uint32_t from = col == 0 ? 0 : e[static_cast<std::size_t>(col) - 1];
    const std::uint32_t to = e[static_cast<std::size_t>(col)];
    return std::string_view(s_->arena).substr(s_->start[r] + from, to - from);
}

std::size_t AddressGrid::rowBytes(int row) const {
    return row < 0 || row >= s_->rows() ? 0 : s_->rowBytes(row);
}

std::size_t AddressGrid::storedBytes() const {
    return s_->arena.size();
}

const ListFile& AddressGrid::file() const {
    return s_->file;
}

RowCells AddressGrid::cells(int row) const {
    RowCells c;
    for (int col = 0; col < kAllColumns; ++col)
        c[static_cast<std::size_t>(col)] = std::string(cell(row, col));
    return c;
}

RowOrigin AddressGrid::origin(int row) const {
    return row < 1 || row >= s_->rows() ? RowOrigin::New : s_->originOf(row).state;
}

NulCut AddressGrid::nulCut(int row) const {
    return row < 1 || row >= s_->rows() ? NotCut : static_cast<NulCut>(s_->originOf(row).nulCut);
}

RowData AddressGrid::rowData(int row) const {
    RowData d;
    d.cells = cells(row);
    if (row < 1 || row >= s_->rows()) return d;
    const Origin& o = s_->originOf(row);
    d.origin = o.state;
    d.nulCut = o.nulCut;
    if (o.state != RowOrigin::New) {
        d.record = std::string(s_->record(row));
        d.lineEnd = std::string(s_->lineEnd(row));
    }
    return d;
}

RecordFields AddressGrid::recordFields(int row) const {
    if (origin(row) == RowOrigin::New) return {};
    return readFields(s_->file.format, s_->record(row));
}

void AddressGrid::setRowCountWithHeader(int rows) {
    rows = std::max(rows, 1);
    const int old = s_->rows();
    if (rows > old) {
        beginInsertRows({}, old - 1, rows - 2);
        s_->start.reserve(static_cast<std::size_t>(rows));
        s_->ends.reserve(static_cast<std::size_t>(rows));
        s_->origin.reserve(static_cast<std::size_t>(rows));
        while (s_->rows() < rows)
            s_->addEmptyRow();
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows - 1, old - 2);
        for (int r = rows; r < old; ++r)
            s_->live -= s_->rowBytes(r);
        s_->start.resize(static_cast<std::size_t>(rows));
        s_->ends.resize(static_cast<std::size_t>(rows));
        s_->origin.resize(static_cast<std::size_t>(rows));
        endRemoveRows();
        compactIfWasteful();
    }
}

void AddressGrid::setRowFields(int row, std::string_view text) {
    if (row < 0 || row >= s_->rows()) return;
    const auto r = static_cast<std::size_t>(row);
    const std::size_t oldSize = s_->arena.size();
    CellEnds ends{};
    RowWriter writer(s_->arena, ends);
    try {
        SplitCommaTextInto(text, writer);
    } catch (...) {
        s_->arena.resize(oldSize);
        throw;
    }
    writer.finish();
    s_->live -= s_->rowBytes(row);
    s_->start[r] = writer.base();
    s_->ends[r] = ends;
    s_->live += s_->rowBytes(row);
    Origin& o = s_->origin[r];
    if (o.state == RowOrigin::AsRead) o.state = RowOrigin::Edited;
    compactIfWasteful();

    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    } else {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
        emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
    }
}

void AddressGrid::putRow(int row, const RowData& data) {
    const auto r = static_cast<std::size_t>(row);
    CellEnds ends{};
    RowWriter writer(s_->arena, ends);
    for (const std::string& c : data.cells)
        writer.put(c);
    s_->live -= s_->rowBytes(row);
    s_->start[r] = writer.base();
    s_->ends[r] = ends;
    s_->live += s_->rowBytes(row);

    Origin o;
    o.state = data.origin;
    o.nulCut = data.nulCut;
    if (data.origin != RowOrigin::New) {
        // A record given back keeps its bytes where the file's are.
        o.offset = s_->records.size();
        o.length = static_cast<std::uint32_t>(data.record.size());
        o.lineEnd = lineEndBytes(data.lineEnd.size());
        s_->records += data.record;
        s_->records += data.lineEnd;
    }
    s_->origin[r] = o;
}

void AddressGrid::renumberFrom(int row) {
    std::string text;
    for (int r = std::max(row, 1); r < s_->rows(); ++r) {
        const std::string number = decimal(static_cast<std::size_t>(r));
        if (cell(r, 0) == number) continue;
        // The row again with its new number: the cells are copied out first, as the arena may
        // move while it grows.
        const auto i = static_cast<std::size_t>(r);
        const CellEnds old = s_->ends[i];
        text.assign(s_->rowText(r).substr(old[0]));
        CellEnds ends{};
        const std::uint64_t base = s_->arena.size();
        s_->arena += number;
        s_->arena += text;
        for (std::size_t c = 0; c < ends.size(); ++c)
            ends[c] = static_cast<std::uint32_t>(old[c] - old[0] + number.size());
        s_->live -= s_->rowBytes(r);
        s_->start[i] = base;
        s_->ends[i] = ends;
        s_->live += s_->rowBytes(r);
    }
}

void AddressGrid::replaceRows(int at, int count, std::vector<RowData> rows) {
    at = std::clamp(at, 1, s_->rows());
    count = std::clamp(count, 0, s_->rows() - at);
    const int n = static_cast<int>(rows.size());
    for (int i = 0; i < n; ++i)
        rows[static_cast<std::size_t>(i)].cells[0] = decimal(static_cast<std::size_t>(at + i));
    if (n == count) {
        for (int i = 0; i < n; ++i)
            putRow(at + i, rows[static_cast<std::size_t>(i)]);
        compactIfWasteful();
        if (n > 0) {
            emit dataChanged(index(at - 1, 0), index(at + n - 2, columnCount() - 1));
            emit headerDataChanged(Qt::Vertical, at - 1, at + n - 2);
        }
        return;
    }
    const auto from = static_cast<std::ptrdiff_t>(at);
    if (count > 0) {
        beginRemoveRows({}, at - 1, at + count - 2);
        for (int r = at; r < at + count; ++r)
            s_->live -= s_->rowBytes(r);
        s_->start.erase(s_->start.begin() + from, s_->start.begin() + from + count);
        s_->ends.erase(s_->ends.begin() + from, s_->ends.begin() + from + count);
        s_->origin.erase(s_->origin.begin() + from, s_->origin.begin() + from + count);
        endRemoveRows();
    }
    if (n > 0) {
        beginInsertRows({}, at - 1, at + n - 2);
        s_->start.insert(s_->start.begin() + from, static_cast<std::size_t>(n), 0);
        s_->ends.insert(s_->ends.begin() + from, static_cast<std::size_t>(n), CellEnds{});
        s_->origin.insert(s_->origin.begin() + from, static_cast<std::size_t>(n), Origin{});
        for (int i = 0; i < n; ++i)
            putRow(at + i, rows[static_cast<std::size_t>(i)]);
        endInsertRows();
    }
    renumberFrom(at + n);
    compactIfWasteful();
    if (s_->rows() > at) emit headerDataChanged(Qt::Vertical, at - 1, s_->rows() - 2);
}

namespace {

// The layout with a field for each column marked in `held` that it has none for, after every
// field a record of the file has (`widest`), so that no field of a record moves. A list without
// a header row gains one: the titles of its six fields.
ListLayout withColumns(ListLayout l, const std::array<bool, kAllColumns>& held,
                       std::size_t widest) {
    if (std::none_of(held.begin(), held.end(), [](bool h) { return h; })) return l;
    if (!l.header) {
        l.header = true;
        l.titles.clear();
        for (int f : l.fields)
            l.titles.push_back(text::fromUnicode(columnTitle(f)));
    }
    l.titles.resize(l.fields.size());
    while (l.fields.size() < widest) {
        l.fields.push_back(0);
        l.titles.emplace_back();
    }
    for (int col = 1; col < kAllColumns; ++col)
        if (held[static_cast<std::size_t>(col)]) {
            l.fields.push_back(col);
            l.titles.push_back(text::fromUnicode(columnTitle(col)));
        }
    return l;
}

} // namespace

ListLayout AddressGrid::layoutHolding(const RowCells& c, std::size_t widest) const {
    const ListLayout& own = s_->file.layout;
    std::array<bool, kAllColumns> held{};
    for (int col = 1; col < kAllColumns; ++col)
        held[static_cast<std::size_t>(col)] =
            !own.hasColumn(col) && !isBlankCell(c[static_cast<std::size_t>(col)]);
    return withColumns(own, held, widest);
}

RowData AddressGrid::withCell(int row, int column, std::string_view bytes) const {
    RowCells c = row >= 1 && row < s_->rows() ? cells(row) : RowCells{};
    if (column >= 1 && column < kAllColumns) c[static_cast<std::size_t>(column)] = bytes;
    return withCells(row, c);
}

RowData AddressGrid::withCells(int row, const RowCells& wanted) const {
    RowData d = row >= 1 && row < s_->rows() ? rowData(row) : RowData{};
    RowCells c = wanted;
    c[0] = d.cells[0];
    const RecordFields original = recordFields(row);
    const ListLayout layout = layoutHolding(c, original.values.size());
    c = roundTrip(s_->file.format, layout, c, original);
    if (c == d.cells) return d;
    d.cells = c;
    if (d.origin != RowOrigin::New) {
        RowCells asRead = c;
        fillCells(original, s_->file.layout, asRead);
        d.origin = asRead == c ? RowOrigin::AsRead : RowOrigin::Edited;
    }
    return d;
}

bool AddressGrid::showsExtraColumns() const {
    return s_->extras;
}

void AddressGrid::setShowExtraColumns(bool show) {
    if (show == s_->extras) return;
    if (show) {
        beginInsertColumns({}, kColumns - 1, kAllColumns - 2);
        s_->extras = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, kColumns - 1, kAllColumns - 2);
        s_->extras = false;
        endRemoveColumns();
    }
}

void AddressGrid::compactIfWasteful() {
    if (s_->arena.size() <= 2 * s_->live + 65536) return;
    std::string fresh;
    fresh.reserve(s_->live);
    for (int row = 0; row < s_->rows(); ++row) {
        const std::string_view bytes = s_->rowText(row);
        s_->start[static_cast<std::size_t>(row)] = fresh.size();
        fresh.append(bytes);
    }
    s_->arena.swap(fresh);
}

template <class Fill> void AddressGrid::refill(std::size_t room, std::size_t rows, Fill&& fill) {
    const std::string header(s_->rowText(0));
    const CellEnds headerEnds = s_->ends[0];
    const bool extras = s_->extras;
    const auto startWithHeader = [&] {
        *s_ = Storage{}; // the old rows go first, so two big imports never coexist
        s_->start.push_back(0);
        s_->ends.push_back(headerEnds);
        s_->origin.emplace_back();
        s_->arena = header;
        s_->live = header.size();
    };

    beginResetModel();
    try {
        startWithHeader();
        s_->arena.reserve(header.size() + room);
        s_->start.reserve(rows);
        s_->ends.reserve(rows);
        s_->origin.reserve(rows);
        fill();
        s_->live = s_->arena.size();
    } catch (...) {
        // Out of memory part-way: the header and no address rows, never half a file.
        startWithHeader();
        s_->extras = extras;
        endResetModel();
        throw;
    }
    endResetModel();
}

void AddressGrid::newList(int rows) {
    refill(0, static_cast<std::size_t>(rows) + 1, [&] {
        for (int r = 1; r <= rows; ++r) {
            s_->ends.emplace_back();
            RowWriter writer(s_->arena, s_->ends.back());
            writer.put(decimal(static_cast<std::size_t>(r)));
            writer.finish();
            s_->start.push_back(writer.base());
            s_->origin.emplace_back();
        }
    });
}

namespace {

// Puts the records of a spreadsheet file into the grid's storage, record k as row k: its cells
// straight to columns 1 to 6 by position, or, by a header's layout, through fillCells.
class GridRows : public SheetSink {
public:
    GridRows(std::string& arena, std::vector<std::uint64_t>& start, std::vector<CellEnds>& ends,
             std::vector<Origin>& origin, std::vector<int>& replaced, const ListLayout& layout,
             std::size_t base)
        : arena_(arena), start_(start), ends_(ends), origin_(origin), replaced_(replaced),
          layout_(layout), positional_(layout.isPositional()), base_(base) {}

    std::string& out() override { return positional_ ? arena_ : scratch_; }
    void beginRecord(std::size_t offset) override {
        if (k_ + 1 >= static_cast<std::size_t>(INT_MAX))
            throw text::Failure(QStringLiteral("行が多すぎて読み込めません"));
        ++k_;
        recordStart_ = offset;
        ends_.emplace_back();
        writer_.emplace(arena_, ends_.back());
        writer_->begin();
        appendDecimal(arena_, k_);
        writer_->end();
        writer_->begin();
        full_ = lost_ = false;
        scratch_.clear();
        fields_.values.clear();
    }
    void endCell(std::size_t cellStart, bool lost) override {
        if (!positional_) {
            lost_ = lost_ || lost;
            std::string cell = scratch_.substr(cellStart);
            fields_.values.push_back(cell.empty() ? std::string(" ") : std::move(cell));
            scratch_.resize(cellStart);
            return;
        }
        if (full_) { // the eighth field onward is dropped
            arena_.resize(cellStart);
            return;
        }
        lost_ = lost_ || lost;
        full_ = !writer_->end();
        writer_->begin();
    }
    bool endRecord(std::size_t end, std::size_t next) override {
        if (!positional_) {
            RowCells cells;
            fillCells(fields_, layout_, cells);
            for (int c = 1; c < kAllColumns; ++c)
                writer_->put(cells[static_cast<std::size_t>(c)]);
        }
        writer_->finish();
        start_.push_back(writer_->base());
        Origin o;
        o.offset = base_ + recordStart_;
        o.length = static_cast<std::uint32_t>(end - recordStart_);
        o.lineEnd = lineEndBytes(next - end);
        o.state = RowOrigin::AsRead;
        origin_.push_back(o);
        if (lost_) replaced_.push_back(static_cast<int>(k_));
        return true;
    }

private:
    std::string& arena_;
    std::vector<std::uint64_t>& start_;
    std::vector<CellEnds>& ends_;
    std::vector<Origin>& origin_;
    std::vector<int>& replaced_;
    const ListLayout& layout_;
    const bool positional_;
    const std::size_t base_;
    std::optional<RowWriter> writer_;
    std::string scratch_;
    RecordFields fields_;
    std::size_t k_ = 0, recordStart_ = 0;
    bool full_ = false, lost_ = false;
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

} // namespace

ImportReport AddressGrid::importContent(std::string content, FileFormat format,
                                        const HeaderChooser& choose) {
    ImportReport report;
    ListFile file;
    std::string source;
    if (isUtf16Text(content)) {
        format = FileFormat::SheetUtf16;
        file.mark = content.substr(0, 2);
        if (content.size() % 2 != 0) file.tail = content.substr(content.size() - 1);
        source = fromUtf16(std::string_view(content).substr(2));
        std::string().swap(content);
    } else {
        source = std::move(content);
        if (format == FileFormat::SheetUtf8 && std::string_view(source).starts_with(kUtf8Mark))
            file.mark = std::string(kUtf8Mark);
    }
    file.format = format;
    report.format = format;
    const std::size_t begin = format == FileFormat::SheetUtf16 ? 0 : file.mark.size();
    const std::string_view whole(source);
    const std::size_t cut = begin + UpToNul(whole.substr(begin)).size();
    const std::string_view body = whole.substr(0, cut);
    file.suffix = std::string(whole.substr(cut));

    // The first record: a header row, or the first address.
    const RecordSpan first = recordAt(format, body, begin);
    ListLayout layout = ListLayout::positional();
    if (begin < body.size()) {
        const std::string_view firstRecord = body.substr(begin, first.end - begin);
        const RecordFields titles = readFields(format, firstRecord);
        const HeaderReading reading = readHeader(titles.values);
        if (reading.header) layout = reading.layout;
        if (choose && (reading.maybe || (reading.header && !reading.complete))) {
            HeaderQuestion q{format, titles.values, {}, reading};
            if (first.next < body.size()) {
                const RecordSpan second = recordAt(format, body, first.next);
                q.sample =
                    readFields(format, body.substr(first.next, second.end - first.next)).values;
            }
            if (std::optional<ListLayout> chosen = choose(q)) {
                layout = *chosen;
                layout.titles.clear();
                if (layout.header) {
                    layout.titles = titles.values;
                    layout.titles.resize(layout.fields.size());
                }
            }
        }
        if (first.next > first.end)
            file.lineEnd = std::string(body.substr(first.end, first.next - first.end));
    }
    std::size_t rowsFrom = begin;
    if (layout.header) {
        file.header = std::string(body.substr(begin, first.end - begin));
        file.headerEnd = std::string(body.substr(first.end, first.next - first.end));
        rowsFrom = first.next;
    }
    file.layout = layout;
    const std::string_view rows = body;
    // Once the rows are in: the file they came from, kept for saving.
    const auto keepFile = [&] {
        if (!file.suffix.empty() && s_->rows() > 1) {
            Origin& last = s_->origin.back();
            last.nulCut =
                last.lineEnd == 0 && last.offset + last.length == cut ? CutInside : CutAfter;
        }
        const ListLayout& l = file.layout;
        s_->extras = l.hasColumn(HonorificColumn) || l.hasColumn(Joint1Column) ||
                     l.hasColumn(Joint2Column) || l.hasColumn(PrintColumn);
        s_->file = std::move(file);
        s_->records = std::move(source);
    };

    // Room for every row at once, so the arena seldom moves: a cell's bytes at most grow by its
    // spaces (made full-width), UTF-8 only shrinks, and each row adds its number.
    const auto count = [&](char c) {
        return static_cast<std::size_t>(
            std::count(rows.begin() + static_cast<std::ptrdiff_t>(rowsFrom), rows.end(), c));
    };
    const std::size_t lines = count('\n') + count('\r') + 1;

    if (format == FileFormat::Plain) {
        std::size_t n = 0, longest = 0;
        forEachLineAt(rows, rowsFrom, [&](std::size_t, std::size_t length, std::size_t) {
            ++n;
            longest = std::max(longest, length);
        });
        // Refused before anything changes: the grid cannot hold these.
        if (n >= static_cast<std::size_t>(INT_MAX))
            throw text::Failure(QStringLiteral("行が多すぎて読み込めません"));
        if (longest > (UINT32_MAX - 64) / 2) // a row stores at most twice its line and its number
            throw text::Failure(QStringLiteral("行が長すぎて読み込めません"));
        std::size_t room = rows.size() - rowsFrom + count(' ');
        for (std::size_t k = 1; k <= n; ++k)
            room += decimalDigits(k) + 2;
        const bool positional = layout.isPositional();
        refill(room, n + 1, [&] {
            std::string rowText;
            std::size_t k = 0;
            forEachLineAt(rows, rowsFrom,
                          [&](std::size_t at, std::size_t length, std::size_t lineEnd) {
                              ++k;
                              const std::string_view line = rows.substr(at, length);
                              s_->ends.emplace_back();
                              RowWriter writer(s_->arena, s_->ends.back());
                              if (positional) {
                                  buildImportText(rowText, k, line);
                                  SplitCommaTextInto(rowText, writer);
                              } else {
                                  RowCells cells;
                                  fillCells(readFields(FileFormat::Plain, line), layout, cells);
                                  writer.put(decimal(k));
                                  for (int c = 1; c < kAllColumns; ++c)
                                      writer.put(cells[static_cast<std::size_t>(c)]);
                              }
                              writer.finish();
                              s_->start.push_back(writer.base());
                              Origin o;
                              o.offset = at;
                              o.length = static_cast<std::uint32_t>(length);
                              o.lineEnd = lineEndBytes(lineEnd);
                              o.state = RowOrigin::AsRead;
                              s_->origin.push_back(o);
                          });
            keepFile();
        });
    } else {
        const std::size_t room =
            rows.size() - rowsFrom + count(' ') + lines * (decimalDigits(lines) + 12) + 65536;
        refill(room, lines + 1, [&] {
            GridRows sink(s_->arena, s_->start, s_->ends, s_->origin, report.replacedRows, layout,
                          rowsFrom);
            parseSheet(rows.substr(rowsFrom), format, sink, false);
            keepFile();
        });
    }
    return report;
}

ListLayout AddressGrid::layoutForSave() const {
    const ListLayout& own = s_->file.layout;
    std::array<bool, kAllColumns> held{};
    for (int col = 1; col < kAllColumns; ++col) {
        if (own.hasColumn(col)) continue;
        for (int r = 1; r < s_->rows() && !held[static_cast<std::size_t>(col)]; ++r)
            held[static_cast<std::size_t>(col)] = !isBlankCell(cell(r, col));
    }
    if (std::none_of(held.begin(), held.end(), [](bool h) { return h; })) return own;
    std::size_t widest = 0;
    for (int r = 1; r < s_->rows(); ++r)
        if (origin(r) != RowOrigin::New) widest = std::max(widest, recordFields(r).values.size());
    return withColumns(own, held, widest);
}

namespace {

// A record's fields for writing in another format: fields no column shows are written from
// their values.
RecordFields inFormat(RecordFields fields, FileFormat format) {
    for (std::size_t i = 0; i < fields.values.size(); ++i) {
        std::string field;
        if (format == FileFormat::Plain)
            appendPlainField(field, fields.values[i]);
        else
            appendSheetCell(field, fields.values[i], format);
        if (i < fields.source.size()) fields.source[i] = std::move(field);
    }
    return fields;
}

} // namespace

SavedList AddressGrid::saved(FileFormat format, const ListLayout& layout) const {
    const ListFile& own = s_->file;
    const bool same = format == own.format;
    SavedList out;
    out.format = format;
    out.layout = layout;
    if (same)
        out.mark = own.mark;
    else if (format == FileFormat::SheetUtf8)
        out.mark = std::string(kUtf8Mark);
    else if (format == FileFormat::SheetUtf16)
        out.mark = "\xFF\xFE";
    const std::string lineEnd = same ? own.lineEnd : std::string("\r\n");
    const int rows = s_->rows() - 1;
    std::string& s = out.source;
    if (format != FileFormat::SheetUtf16) s = out.mark;
    if (layout.header) {
        const bool kept = same && layout == own.layout && own.layout.header;
        out.header = kept ? own.header : writeHeader(format, layout);
        // A header left inside its quotes would take the rows into its last title.
        if (rows > 0 && format != FileFormat::Plain && endsInsideQuotes(out.header, format))
            out.header += '"';
        out.headerEnd = kept ? own.headerEnd : lineEnd;
        if (out.headerEnd.empty() && rows > 0) out.headerEnd = lineEnd;
        s += out.header;
        s += out.headerEnd;
    }
    out.rows.reserve(static_cast<std::size_t>(rows));
    s.reserve(s.size() + s_->records.size() + s_->records.size() / 4);
    const bool ownColumns = fillsOwnColumns(layout);
    for (int r = 1; r <= rows; ++r) {
        const Origin& o = s_->originOf(r);
        SavedList::Place place{};
        place.offset = s.size();
        bool exact = true;
        // A record moved to the start of a file without a mark, beginning as a UTF-16 mark does,
        // would make the file read as UTF-16 text: it is written from its cells, quoted.
        const bool marks =
            s.empty() && format != FileFormat::SheetUtf16 && s_->record(r).starts_with("\xFF\xFE");
        if (same && o.state == RowOrigin::AsRead && !marks) {
            s += s_->record(r);
            // A record left inside its quotes (cut by a NUL byte, or the file's unclosed last
            // quote) is closed where rows now follow it, so that they stay rows.
            if (r < rows && format != FileFormat::Plain &&
                endsInsideQuotes(s_->record(r), format)) {
                s += '"';
                place.written = true;
                exact = false;
            }
        } else if (ownColumns && (o.state == RowOrigin::New ||
                                  fieldsWithin(own.format, s_->record(r), layout.fields.size()))) {
            // Nothing of the file's record to keep: written straight from the grid.
            CellViews views;
            for (int c = 0; c < kAllColumns; ++c)
                views[static_cast<std::size_t>(c)] = cell(r, c);
            exact = appendOwnColumnsRecord(s, format, layout, views);
            place.written = true;
        } else {
            const RecordFields original =
                same ? recordFields(r) : inFormat(recordFields(r), format);
            s += writeRecord(format, layout, cells(r), original);
            place.written = true;
            exact = false;
        }
        place.length = static_cast<std::uint32_t>(s.size() - place.offset);
        if (!exact) {
            // Read back as the file will give it; kept when that is not what the grid holds.
            RowCells back;
            back[0] = std::string(cell(r, 0));
            fillCells(readFields(format, std::string_view(s).substr(place.offset, place.length)),
                      layout, back);
            bool differs = false;
            for (int c = 1; c < kAllColumns && !differs; ++c)
                differs = back[static_cast<std::size_t>(c)] != cell(r, c);
            if (differs) out.changed.emplace_back(r, std::move(back));
        }
        std::string_view end = s_->lineEnd(r);
        if (o.state == RowOrigin::New || !same) end = {};
        if (end.empty() && !(r == rows && o.state != RowOrigin::New && same)) end = lineEnd;
        // An empty record must still read as a row: at the end it needs a line break (a final
        // break starts no further record), and after a lone CR its LF would join that CR.
        if (place.length == 0) {
            if (end.empty()) end = lineEnd;
            if (end.starts_with('\n') && s.ends_with('\r')) end = "\r\n";
        }
        s += end;
        place.lineEnd = lineEndBytes(end.size());
        out.rows.push_back(place);
    }
    if (same) {
        out.suffix = own.suffix;
        out.tail = own.tail;
        s += out.suffix;
    }
    // A first row written so that it reads as a header row would become one when the file is
    // read, the rows taking its columns; a header row of the layout's titles keeps it a row.
    if (!layout.header && !out.rows.empty() && out.rows.front().written) {
        const SavedList::Place& first = out.rows.front();
        if (readHeader(
                readFields(format, std::string_view(s).substr(first.offset, first.length)).values)
                .header) {
            ListLayout titled = layout;
            titled.header = true;
            return saved(format, titled);
        }
    }
    if (format == FileFormat::SheetUtf16) out.utf16 = out.mark + toUtf16(s) + out.tail;
    return out;
}

void AddressGrid::adoptSaved(SavedList list) {
    s_->records = std::move(list.source);
    ListFile& f = s_->file;
    f.format = list.format;
    f.layout = list.layout;
    f.mark = std::move(list.mark);
    f.header = std::move(list.header);
    f.headerEnd = std::move(list.headerEnd);
    f.suffix = std::move(list.suffix);
    f.tail = std::move(list.tail);
    if (!list.rows.empty() && list.rows.front().lineEnd > 0)
        f.lineEnd = s_->records.substr(list.rows.front().offset + list.rows.front().length,
                                       list.rows.front().lineEnd);
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const SavedList::Place& p = list.rows[i];
        s_->origin[i + 1] = Origin{p.offset, p.length, p.lineEnd, RowOrigin::AsRead, NotCut};
    }
    int firstChanged = 0, lastChanged = 0;
    for (auto& [r, back] : list.changed) {
        RowData d = rowData(r);
        d.cells = std::move(back);
        putRow(r, d);
        if (!firstChanged) firstChanged = r;
        lastChanged = r;
    }
    if (!f.suffix.empty() && s_->rows() > 1) {
        Origin& last = s_->origin.back();
        last.nulCut = last.lineEnd == 0 ? CutInside : CutAfter;
    }
    compactIfWasteful();
    if (f.layout.hasColumn(HonorificColumn) || f.layout.hasColumn(Joint1Column) ||
        f.layout.hasColumn(Joint2Column) || f.layout.hasColumn(PrintColumn))
        setShowExtraColumns(true);
    if (firstChanged)
        emit dataChanged(index(firstChanged - 1, 0), index(lastChanged - 1, columnCount() - 1));
}

std::vector<CellLoss> AddressGrid::lossesIn(FileFormat format, const ListLayout& layout,
                                            std::size_t limit) const {
    return lossesOf(saved(format, layout), limit);
}

std::vector<CellLoss> AddressGrid::lossesOf(const SavedList& list, std::size_t limit) const {
    std::vector<CellLoss> losses;
    const auto blank = [](std::string_view v) { return v.empty() || v == " "; };
    for (const auto& [r, back] : list.changed) {
        if (losses.size() >= limit) break;
        for (int c = 1; c < kAllColumns; ++c) {
            const std::string_view a = cell(r, c);
            const std::string& b = back[static_cast<std::size_t>(c)];
            if (a == b || (blank(a) && blank(b))) continue;
            losses.push_back({r, c, std::string(a), b});
            break;
        }
    }
    return losses;
}

int AddressGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : s_->rows() - 1;
}

int AddressGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (s_->extras ? kAllColumns : kColumns) - 1;
}

QVariant AddressGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return text::toUnicode(cell(index.row() + 1, index.column() + 1));
}

QVariant AddressGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Horizontal) {
        if (section >= columnCount()) return {};
        if (section < kColumns - 1) return text::toUnicode(cell(0, section + 1));
        return columnTitle(section + 1);
    }
    return text::toUnicode(cell(section + 1, 0));
}

Qt::ItemFlags AddressGrid::flags(const QModelIndex& index) const {
    // Editable only for the editor the view opens when asked; the view starts none by itself.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                           : Qt::NoItemFlags;
}

std::string readAddressFile(const QString& path) {
    // Names are bytes and need not be UTF-8 (a Shift-JIS name opens as well), so the path is
    // made absolute and clean as text that keeps every byte.
    QString full = path;
    if (!full.startsWith(u'/')) {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd)) full = files::fileNameFromBytes(cwd) + u'/' + full;
    }
    full = QDir::cleanPath(full);
    const QString shown = files::displayFileName(full);
    // The grid needs about twice the file's size beside the file's own bytes.
    const std::uint64_t memoryBound = files::availableMemory() / 3;
    files::FileContent file = files::readRegularFile(files::existingFileName(full),
                                                     std::min(kMaxAddressFileBytes, memoryBound));
    switch (file.outcome) {
    case files::ReadOutcome::Read:
        return std::move(file.bytes);
    case files::ReadOutcome::TooLarge:
    case files::ReadOutcome::NoMemory:
        if (static_cast<std::uint64_t>(file.st.st_size) > kMaxAddressFileBytes)
            throw text::Failure(
                QStringLiteral("ファイル %1 は 2 GiB を超えているため読み込めません").arg(shown));
        throw text::Failure(
            QStringLiteral("ファイル %1 を読み込むにはメモリが足りません").arg(shown));
    default:
        throw text::Failure(QStringLiteral("ファイル %1 は開けません").arg(shown));
    }
}

} // namespace rinova::addresses
