// The address grid: every cell's bytes live in one arena; a row is its start in the arena and
// the end of each of its seven cells relative to that start. A million rows thus cost 36 bytes
// each plus their text, instead of seven heap strings.
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

using CellEnds = std::array<std::uint32_t, kColumns>;

struct AddressGrid::Storage {
    std::string arena;
    std::vector<std::uint64_t> start; // per row, into the arena
    std::vector<CellEnds> ends;       // per row, relative to its start
    std::uint64_t live = 0;           // arena bytes that rows still refer to

    int rows() const { return static_cast<int>(start.size()); }
    std::size_t rowBytes(int row) const { return ends[static_cast<std::size_t>(row)].back(); }
    void addEmptyRow() {
        start.push_back(0);
        ends.push_back(CellEnds{});
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
        const std::uint64_t used = arena_.size() - base_;
        if (used > UINT32_MAX) throw text::Failure(QStringLiteral("行が長すぎて読み込めません"));
        ends_[static_cast<std::size_t>(field_)] = static_cast<std::uint32_t>(used);
        ++field_;
        return field_ < kColumns; // the eighth field onward is dropped
    }
    // Columns the text did not reach stay empty.
    void finish() {
        for (int c = field_; c < kColumns; ++c)
            ends_[static_cast<std::size_t>(c)] = field_ == 0 ? 0 : ends_[field_ - 1];
    }

private:
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
    if (row < 0 || row >= s_->rows() || col < 0 || col >= kColumns) return {};
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

void AddressGrid::setRowCountWithHeader(int rows) {
    rows = std::max(rows, 1);
    const int old = s_->rows();
    if (rows > old) {
        beginInsertRows({}, old - 1, rows - 2);
        s_->start.reserve(static_cast<std::size_t>(rows));
        s_->ends.reserve(static_cast<std::size_t>(rows));
        while (s_->rows() < rows)
            s_->addEmptyRow();
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows - 1, old - 2);
        for (int r = rows; r < old; ++r)
            s_->live -= s_->rowBytes(r);
        s_->start.resize(static_cast<std::size_t>(rows));
        s_->ends.resize(static_cast<std::size_t>(rows));
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
    compactIfWasteful();

    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, 0, kColumns - 2);
    } else {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
        emit dataChanged(index(row - 1, 0), index(row - 1, kColumns - 2));
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
    const auto startWithHeader = [&] {
        *s_ = Storage{}; // the old rows go first, so two big imports never coexist
        s_->start.push_back(0);
        s_->ends.push_back(headerEnds);
        s_->arena = header;
        s_->live = header.size();
    };

    beginResetModel();
    try {
        startWithHeader();
        s_->arena.reserve(header.size() + room);
        s_->start.reserve(rows);
        s_->ends.reserve(rows);
        fill();
        s_->live = s_->arena.size();
    } catch (...) {
        // Out of memory part-way: the header and no address rows, never half a file.
        startWithHeader();
        endResetModel();
        throw;
    }
    endResetModel();
}

void AddressGrid::importContent(std::string_view content) {
    content = UpToNul(content);
    std::size_t lines = 0, longest = 0;
    ForEachLine(content, [&](std::string_view line) {
        ++lines;
        longest = std::max(longest, line.size());
    });
    // Refused before anything changes: the grid cannot hold these.
    if (lines >= static_cast<std::size_t>(INT_MAX))
        throw text::Failure(QStringLiteral("行が多すぎて読み込めません"));
    if (longest > (UINT32_MAX - 64) / 2) // a row stores at most twice its line and its number
        throw text::Failure(QStringLiteral("行が長すぎて読み込めません"));

    // Room for every row at once, so the arena never moves while it fills: each field stores
    // at most the bytes it took from the row's text, plus one for a trailing empty field.
    const std::size_t spaces =
        static_cast<std::size_t>(std::count(content.begin(), content.end(), ' '));
    std::size_t room = content.size() + spaces;
    for (std::size_t k = 1; k <= lines; ++k)
        room += decimalDigits(k) + 2;

    refill(room, lines + 1, [&] {
        std::string rowText;
        std::size_t k = 0;
        ForEachLine(content, [&](std::string_view line) {
            ++k;
            buildImportText(rowText, k, line);
            s_->ends.emplace_back();
            RowWriter writer(s_->arena, s_->ends.back());
            SplitCommaTextInto(rowText, writer);
            writer.finish();
            s_->start.push_back(writer.base());
        });
    });
}

namespace {

// Puts the records of a spreadsheet file into the grid's storage, record k as row k.
class GridRows : public SheetSink {
public:
    GridRows(std::string& arena, std::vector<std::uint64_t>& start, std::vector<CellEnds>& ends,
             std::vector<int>& replaced)
        : arena_(arena), start_(start), ends_(ends), replaced_(replaced) {}

    std::string& out() override { return arena_; }
    void beginRecord() override {
        if (k_ + 1 >= static_cast<std::size_t>(INT_MAX))
            throw text::Failure(QStringLiteral("行が多すぎて読み込めません"));
        ++k_;
        ends_.emplace_back();
        writer_.emplace(arena_, ends_.back());
        writer_->begin();
        appendDecimal(arena_, k_);
        writer_->end();
        writer_->begin();
        full_ = lost_ = false;
    }
    void endCell(std::size_t cellStart, bool lost) override {
        if (full_) { // the eighth field onward is dropped
            arena_.resize(cellStart);
            return;
        }
        lost_ = lost_ || lost;
        full_ = !writer_->end();
        writer_->begin();
    }
    void endRecord() override {
        writer_->finish();
        start_.push_back(writer_->base());
        if (lost_) replaced_.push_back(static_cast<int>(k_));
    }

private:
    std::string& arena_;
    std::vector<std::uint64_t>& start_;
    std::vector<CellEnds>& ends_;
    std::vector<int>& replaced_;
    std::optional<RowWriter> writer_;
    std::size_t k_ = 0;
    bool full_ = false, lost_ = false;
};

} // namespace

ImportReport AddressGrid::importContent(std::string_view content, FileFormat format) {
    if (format == FileFormat::Plain) {
        importContent(content);
        return {};
    }
    content = UpToNul(content);
    // Enough for nearly every file, so the arena seldom moves: a cell's bytes at most grow by
    // its spaces (made full-width), UTF-8 only shrinks, and each row adds its number and commas.
    const auto count = [&](char c) {
        return static_cast<std::size_t>(std::count(content.begin(), content.end(), c));
    };
    const std::size_t records = count('\n') + 1;
    const std::size_t room =
        content.size() + count(' ') + records * (decimalDigits(records) + 8) + 65536;

    ImportReport report;
    refill(room, records + 1, [&] {
        GridRows rows(s_->arena, s_->start, s_->ends, report.replacedRows);
        parseSheet(content, format, rows);
    });
    return report;
}

int AddressGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : s_->rows() - 1;
}

int AddressGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns - 1;
}

QVariant AddressGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return text::toUnicode(cell(index.row() + 1, index.column() + 1));
}

QVariant AddressGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Horizontal)
        return section < kColumns - 1 ? text::toUnicode(cell(0, section + 1)) : QVariant();
    return text::toUnicode(cell(section + 1, 0));
}

Qt::ItemFlags AddressGrid::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
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
