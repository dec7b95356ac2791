// Address file import, from file to filled model, against iconv's CP932 -> UTF-8 conversion of
// the same bytes in the same run; and the peak memory of a million-line import.
#include "addresses/address_grid.h"
#include "text/cp932.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <iconv.h>
#include <string>
#include <vector>

using rinova::addresses::AddressGrid;
using Clock = std::chrono::steady_clock;

namespace {

// About 70 bytes a line, like a real address list: a space inside the name, full-width text,
// a quoted remark now and then.
std::string makeContent(int lines) {
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
    for (int i = 0; i < lines; ++i) {
        out +=
            family[next() % family.size()] + " " + given[next() % given.size()] + "," + sama + ",";
        out += std::to_string(100 + next() % 900) + "-" + std::to_string(1000 + next() % 9000);
        out += "," + town[next() % town.size()] + std::to_string(1 + next() % 9) + "-" +
               std::to_string(1 + next() % 30) + "," + room + std::to_string(next() % 999) + ",";
        if (i % 8 == 0) out += note;
        out += "\r\n";
    }
    return out;
}

QString writeTemp(const QTemporaryDir& dir, const std::string& bytes) {
    const QString path = dir.filePath(QStringLiteral("addresses.csv"));
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

long statusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return 0;
}

// Peak resident memory of one import, from the memory in use just before it.
void BM_ImportPeakMemory(benchmark::State& state) {
    QTemporaryDir dir;
    QString path;
    std::size_t fileBytes = 0;
    {
        const std::string bytes = makeContent(static_cast<int>(state.range(0)));
        path = writeTemp(dir, bytes);
        fileBytes = bytes.size();
    }
    long before = 0, peak = 0;
    for (auto _ : state) {
        AddressGrid grid;
        writeHeader(grid);
        std::ofstream("/proc/self/clear_refs") << "5"; // restart the peak from here
        before = statusKb("VmRSS");
        const std::string content = rinova::addresses::readAddressFile(path);
        grid.importContent(content);
        peak = statusKb("VmHWM");
        benchmark::DoNotOptimize(grid.rowCountWithHeader());
    }
    const double fileMB = static_cast<double>(fileBytes) / (1 << 20);
    state.counters["file_MiB"] = fileMB;
    state.counters["rss_before_MiB"] = static_cast<double>(before) / 1024;
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
    state.counters["budget_MiB"] = 3 * fileMB + 50;
}
BENCHMARK(BM_ImportPeakMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
