// Address file import, from file to filled model, against iconv's CP932 -> UTF-8 conversion of
// the same bytes in the same run; the spreadsheet types against the plain import of the same
// list; saving against importing; and the peak memory of a million-line import of each type.
#include "addresses/address_grid.h"
#include "addresses/list_save.h"
#include "tests/app/soak.h"
#include "text/cp932.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <iconv.h>
#include <malloc.h>
#include <string>
#include <vector>

using rinova::addresses::AddressGrid;
using rinova::addresses::FileFormat;
using Clock = std::chrono::steady_clock;

namespace {

// About 70 bytes a line, like a real address list: a space inside the name, full-width text,
// a quoted remark now and then. As a spreadsheet saves it (`sheet`), now and then a building
// is on a second line of its cell (Alt+Enter).
std::string makeContent(int lines, bool sheet = false) {
    const auto sj = [](const char16_t* s) { return rinova::text::fromUnicode(s); };
    const std::vector<std::string> family = {sj(u"山田"), sj(u"鈴木"), sj(u"髙橋"), sj(u"佐藤")};
    const std::vector<std::string> given = {sj(u"太郎"), sj(u"花子"), sj(u"一郎")};
    const std::vector<std::string> town = {sj(u"東京都千代田区丸の内"), sj(u"大阪府大阪市北区梅田"),
                                           sj(u"北海道札幌市中央区")};
    const std::string sama = sj(u"様"), room = sj(u"ハイツ表参道"),
                      note = sj(u"\"取引先 \"\"A\"\"\"");
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * 72);
    unsigned seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    const auto pick = [&](const std::vector<std::string>& from) {
        return from[next() % from.size()];
    };
    const auto number = [&](unsigned base, unsigned range) {
        return std::to_string(base + next() % range);
    };
    for (int i = 0; i < lines; ++i) {
        out += pick(family);
        out += " " + pick(given) + "," + sama + ",";
        out += number(100, 900);
        out += "-" + number(1000, 9000);
        out += "," + pick(town);
        out += number(1, 9);
        out += "-" + number(1, 30) + ",";
        const std::string roomNumber = number(0, 999);
        if (sheet && i % 16 == 0)
            out += "\"" + room + "\n" + roomNumber + "\",";
        else
            out += room + roomNumber + ",";
        if (i % 8 == 0) out += note;
        out += "\r\n";
    }
    return out;
}

std::string contentFor(FileFormat format, int lines) {
    if (format == FileFormat::Plain) return makeContent(lines);
    const std::string sheet = makeContent(lines, true);
    if (format == FileFormat::Sheet) return sheet;
    return "\xEF\xBB\xBF" + rinova::text::toUnicode(sheet).toStdString();
}

QString writeTemp(const QTemporaryDir& dir, const std::string& bytes,
                  const QString& name = QStringLiteral("addresses.csv")) {
    const QString path = dir.filePath(name);
    std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

double iconvSeconds(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string out(bytes.size() * 2 + 16, '\0');
    const auto t0 = Clock::now();
    char* in = const_cast<char*>(bytes.data());
    char* o = out.data();
    std::size_t inLeft = bytes.size(), outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
            ++in; // an undecodable byte: step over it as the grid's display does
            --inLeft;
        }
    }
    const auto t1 = Clock::now();
    iconv_close(cd);
    benchmark::DoNotOptimize(out.data());
    return std::chrono::duration<double>(t1 - t0).count();
}

void writeHeader(AddressGrid& grid) {
    grid.setRowFields(0, rinova::text::fromUnicode(u"番号,名前1,名前2,〒,住所1,住所2,備考"));
}

void BM_ImportVsIconv(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string bytes = makeContent(static_cast<int>(state.range(0)));
    const QString path = writeTemp(dir, bytes);
    AddressGrid grid;
    writeHeader(grid);
    double importTotal = 0, iconvTotal = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            const std::string content = rinova::addresses::readAddressFile(path);
            grid.importContent(content);
        }
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(s);
        importTotal += s;
        iconvTotal += iconvSeconds(bytes);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["import_ms"] = importTotal / n * 1e3;
    state.counters["iconv_ms"] = iconvTotal / n * 1e3;
    state.counters["ratio"] = importTotal / iconvTotal;
    state.counters["rows"] = grid.rowCount();
}
BENCHMARK(BM_ImportVsIconv)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Saving a list against importing it, alternating in one run: the list as read (rows copied),
// and with every row edited (every row written from its cells). Saving is to take at most twice
// the import's time.
void BM_SaveVsImport(benchmark::State& state) {
    QTemporaryDir dir;
    const auto format = static_cast<FileFormat>(state.range(1));
    const bool edited = state.range(2) != 0;
    const std::string bytes = contentFor(format, static_cast<int>(state.range(0)));
    const QString path = writeTemp(dir, bytes);
    const QString out = dir.filePath(QStringLiteral("saved.csv"));
    double importTotal = 0, saveTotal = 0;
    for (auto _ : state) {
        AddressGrid grid;
        writeHeader(grid);
        auto t0 = Clock::now();
        grid.importContent(rinova::addresses::readAddressFile(path), format);
        importTotal += std::chrono::duration<double>(Clock::now() - t0).count();
        if (edited) {
            std::vector<rinova::addresses::RowData> rows;
            for (int row = 1; row < grid.rowCountWithHeader(); ++row)
                rows.push_back(grid.withCell(row, 6, "x"));
            grid.replaceRows(1, grid.rowCountWithHeader() - 1, std::move(rows));
        }
        // What the user waits for: the layout, the question about cells that would change,
        // the write and the grid taking the written file. The edit's freed rows are given back
        // first, so that the allocator's tidying of them is not counted as saving.
        malloc_trim(0);
        t0 = Clock::now();
        rinova::addresses::SavedList list = grid.saved(format, grid.layoutForSave());
        benchmark::DoNotOptimize(grid.lossesOf(list, 20));
        rinova::addresses::saveList(grid, out, std::move(list));
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(s);
        saveTotal += s;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["import_ms"] = importTotal / n * 1e3;
    state.counters["save_ms"] = saveTotal / n * 1e3;
    state.counters["ratio"] = saveTotal / importTotal;
}
BENCHMARK(BM_SaveVsImport)
    ->Args({100000, static_cast<int>(FileFormat::Plain), 0})
    ->Args({100000, static_cast<int>(FileFormat::Plain), 1})
    ->Args({100000, static_cast<int>(FileFormat::Sheet), 0})
    ->Args({100000, static_cast<int>(FileFormat::Sheet), 1})
    ->Args({100000, static_cast<int>(FileFormat::SheetUtf8), 1})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A spreadsheet type against the plain import of the same list, alternating in one run so both
// see the same machine load.
void BM_SheetImportVsPlain(benchmark::State& state) {
    QTemporaryDir dir;
    const int lines = static_cast<int>(state.range(0));
    const auto format = static_cast<FileFormat>(state.range(1));
    const std::string plainBytes = contentFor(FileFormat::Plain, lines);
    const std::string sheetBytes = contentFor(format, lines);
    const QString plainPath = writeTemp(dir, plainBytes, QStringLiteral("plain.csv"));
    const QString sheetPath = writeTemp(dir, sheetBytes, QStringLiteral("sheet.csv"));
    const auto timed = [](const QString& path, FileFormat f, AddressGrid& grid) {
        const auto t0 = Clock::now();
        {
            const std::string content = rinova::addresses::readAddressFile(path);
            grid.importContent(content, f);
        }
        return std::chrono::duration<double>(Clock::now() - t0).count();
    };
    double plainTotal = 0, sheetTotal = 0;
    int rows = 0;
    for (auto _ : state) {
        {
            AddressGrid grid;
            writeHeader(grid);
            plainTotal += timed(plainPath, FileFormat::Plain, grid);
        }
        AddressGrid grid;
        writeHeader(grid);
        const double s = timed(sheetPath, format, grid);
        state.SetIterationTime(s);
        sheetTotal += s;
        rows = grid.rowCount();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(sheetBytes.size()) / 1e6;
    state.counters["plain_ms"] = plainTotal / n * 1e3;
    state.counters["sheet_ms"] = sheetTotal / n * 1e3;
    state.counters["ratio"] = sheetTotal / plainTotal;
    state.counters["rows"] = rows;
}
BENCHMARK(BM_SheetImportVsPlain)
    ->Args({1000000, static_cast<int>(FileFormat::Sheet)})
    ->Args({1000000, static_cast<int>(FileFormat::SheetUtf8)})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Peak resident memory of one import, from the memory in use just before it.
void BM_ImportPeakMemory(benchmark::State& state) {
    QTemporaryDir dir;
    QString path;
    std::size_t fileBytes = 0;
    const auto format = static_cast<FileFormat>(state.range(1));
    {
        const std::string bytes = contentFor(format, static_cast<int>(state.range(0)));
        path = writeTemp(dir, bytes);
        fileBytes = bytes.size();
    }
    long before = 0, peak = 0;
    for (auto _ : state) {
        AddressGrid grid;
        writeHeader(grid);
        std::ofstream("/proc/self/clear_refs") << "5"; // restart the peak from here
        before = rinova::soak::statusKb("VmRSS");
        const std::string content = rinova::addresses::readAddressFile(path);
        grid.importContent(content, format);
        peak = rinova::soak::statusKb("VmHWM");
        benchmark::DoNotOptimize(grid.rowCountWithHeader());
    }
    const double fileMB = static_cast<double>(fileBytes) / (1 << 20);
    state.counters["file_MiB"] = fileMB;
    state.counters["rss_before_MiB"] = static_cast<double>(before) / 1024;
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
    state.counters["budget_MiB"] = 3 * fileMB + 50;
}
BENCHMARK(BM_ImportPeakMemory)
    ->Args({1000000, static_cast<int>(FileFormat::Plain)})
    ->Args({1000000, static_cast<int>(FileFormat::Sheet)})
    ->Args({1000000, static_cast<int>(FileFormat::SheetUtf8)})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
