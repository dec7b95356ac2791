// The full soak: a 1,000,000-line address file imported into the main window, then 10,000
// previews redrawn while moving through the grid. Reports resident memory along the way; the
// memory after 10,000 redraws should stay within a few MB of that after 500.
#include "tests/app/soak.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_Soak(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const int redraws = static_cast<int>(state.range(1));
    rinova::soak::Result r;
    for (auto _ : state) {
        QTemporaryDir dir;
        r = rinova::soak::run(dir.path(), lines, redraws, 100);
        state.SetIterationTime((r.importMs + r.redrawMs) / 1e3);
    }
    for (const rinova::soak::Sample& s : r.samples)
        if (s.redraws == 100 || s.redraws % 1000 == 0)
            std::fprintf(stderr, "redraws %5d  RSS %7.1f MiB\n", s.redraws, s.rssKb / 1024.0);
    state.counters["rows"] = r.rows;
    state.counters["import_ms"] = r.importMs;
    state.counters["redraw_ms"] = r.redrawMs / std::max(1, r.previewDraws);
    state.counters["rss_import_MiB"] = r.rssAfterImportKb / 1024.0;
    state.counters["rss_500_MiB"] = r.rssAt(500) / 1024.0;
    state.counters["rss_end_MiB"] = r.rssEndKb / 1024.0;
    state.counters["growth_MiB"] = (r.rssEndKb - r.rssAt(500)) / 1024.0;
    state.counters["peak_MiB"] = r.peakKb / 1024.0;
    if (!r.errors.isEmpty()) state.SkipWithError(qPrintable(r.errors.join(u'\n')));
}
BENCHMARK(BM_Soak)
    ->Args({1000000, 10000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
