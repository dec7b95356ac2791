// The postal data: loading both dictionaries of the installed package into the index (aim: under
// 50 ms and 20 MB), and the look-ups the check and the editor make.
#include "postal/code_question.h"
#include "postal/directory.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

using namespace rinova::postal;

namespace {

const QString kFolder = QString::fromLatin1(kInstalledDataFolder);

bool installed(benchmark::State& state, const Directory& d) {
    if (!d.empty()) return true;
    state.SkipWithError("the postal data (package skkdic-extra) is not installed");
    return false;
}

void BM_LoadPostalData(benchmark::State& state) {
    // What one loaded index holds on the heap, measured outside the timed loop.
    const std::size_t before = mallinfo2().uordblks;
    const Directory held = load(kFolder);
    const std::size_t heap = mallinfo2().uordblks - before;
    if (!installed(state, held)) return;
    for (auto _ : state) {
        const Directory d = load(kFolder);
        benchmark::DoNotOptimize(d.codeCount());
    }
    state.counters["codes"] = double(held.codeCount());
    state.counters["heap_MB"] = double(heap) / 1e6;
    state.counters["index_MB"] = double(held.memoryBytes()) / 1e6; // its own count of the same
}
BENCHMARK(BM_LoadPostalData)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One row's question as the check asks it: codes that fit, a stale city, a 6-digit code.
void BM_AskAboutCode(benchmark::State& state) {
    const Directory d = load(kFolder);
    if (!installed(state, d)) return;
    const std::pair<QString, QString> rows[] = {
        {u"100-0013"_qs, u"東京都千代田区霞が関1-2-3"_qs},
        {u"330-0063"_qs, u"埼玉県浦和市高砂3-15-1"_qs},
        {u"600001"_qs, u"札幌市中央区北1条西2丁目"_qs},
        {u"6048006"_qs, u"京都市中京区下丸屋町401"_qs},
    };
    for (auto _ : state)
        for (const auto& [code, address] : rows)
            benchmark::DoNotOptimize(askAboutCode(d, code, address));
    state.SetItemsProcessed(state.iterations() * std::ssize(rows));
}
BENCHMARK(BM_AskAboutCode)->Unit(benchmark::kMicrosecond);

// The codes for a typed address, as an editor asks while the user types.
void BM_CodesForAddress(benchmark::State& state) {
    const Directory d = load(kFolder);
    if (!installed(state, d)) return;
    for (auto _ : state)
        benchmark::DoNotOptimize(d.codesFor(u"京都府京都市中京区河原町通御池下る下丸屋町"));
}
BENCHMARK(BM_CodesForAddress)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
