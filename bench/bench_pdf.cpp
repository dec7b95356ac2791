// PDF export of many cards: the whole `rinova-cli pdf` run for 3,000 addresses (start-up
// included), and, in process, the parts one card costs (recording, playing onto a PDF page).
#include "card/card_renderer.h"
#include "printing/printer_surface.h"
#include "text/cp932.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <sys/resource.h>

namespace {

using namespace rinova;

constexpr int kCards = 3000;

std::string line(int i) {
    static const char16_t* family[] = {u"山田", u"佐藤", u"鈴木", u"高橋", u"田中", u"渡辺"};
    static const char16_t* given[] = {u"太郎", u"花子", u"一郎", u"美咲", u"健", u"さくら"};
    const QString text = QString::fromUtf16(family[i % 6]) +
                         QString::fromUtf16(given[(i / 6) % 6]) +
                         QStringLiteral(",%1,%2-%3,東京都架空区見本町%4-%5-%6,コーポ見本%7号,")
                             .arg(i % 3 == 0 ? QString::fromUtf16(given[i % 6]) : QString())
                             .arg(100 + i % 900)
                             .arg(i % 10000, 4, 10, QChar(u'0'))
                             .arg(i % 9 + 1)
                             .arg(i % 20 + 1)
                             .arg(i % 7 + 1)
                             .arg(100 + i % 300);
    return text::fromUnicode(text) + "\r\n";
}

card::CardInputs inputs(int i) {
    card::CardInputs in;
    in.name1 = text::fromUnicode(QStringLiteral("山田太郎"));
    in.name2 = i % 3 == 0 ? text::fromUnicode(QStringLiteral("花子")) : std::string();
    in.postalCode = std::to_string(1000000 + i * 331 % 9000000);
    in.address1 = text::fromUnicode(QStringLiteral("東京都架空区見本町%1-2-3").arg(i % 9 + 1));
    in.address2 = text::fromUnicode(QStringLiteral("コーポ見本%1号").arg(100 + i % 300));
    in.layout = {700, 500, -200, 450, 850, -250, 780, -350};
    in.target = card::Target::Printer;
    return in;
}

double childCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The whole command, as a user runs it. Real time suffers when the machine is busy; the child's
// CPU time is reported beside it.
void BM_CliPdfExport3000(benchmark::State& state) {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path cli = self.parent_path().parent_path() / "cli" / "rinova-cli";
    if (!std::filesystem::exists(cli)) {
        state.SkipWithError("rinova-cli is not built");
        return;
    }
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("addresses.csv"));
    const QString pdf = dir.filePath(QStringLiteral("cards.pdf"));
    {
        QFile f(csv);
        f.open(QIODevice::WriteOnly);
        for (int i = 0; i < kCards; ++i)
            f.write(QByteArray::fromStdString(line(i)));
    }
    const std::string command = "'" + cli.string() + "' pdf '" + csv.toStdString() +
                                "' --settings '" +
                                dir.filePath(QStringLiteral("none.ini")).toStdString() + "' -o '" +
                                pdf.toStdString() + "' 2>/dev/null";
    double cpu = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("rinova-cli pdf failed");
            return;
        }
        cpu += childCpuSeconds() - before;
    }
    state.counters["cpu_s"] = cpu / state.iterations();
    state.counters["per_card"] =
        benchmark::Counter(static_cast<double>(kCards) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pdf_bytes"] = static_cast<double>(QFile(pdf).size());
}
BENCHMARK(BM_CliPdfExport3000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RecordCard(benchmark::State& state) {
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(card::renderCard(inputs(i++)));
}
BENCHMARK(BM_RecordCard)->Unit(benchmark::kMicrosecond);

// Playing recorded cards page after page into one PDF job.
void BM_PlayCardOnPdfPage(benchmark::State& state) {
    std::vector<drawing::CardPicture> pictures;
    for (int i = 0; i < 64; ++i)
        pictures.push_back(card::renderCard(inputs(i)));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("play.pdf"));
    printing::PrinterSurface surface([&] {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(pdf);
        p->setResolution(2540);
        p->setPageLayout(QPageLayout(QPageSize(QSize(284, 420), QPageSize::Point),
                                     QPageLayout::Portrait, QMarginsF()));
        p->setFullPage(true);
        return p;
    });
    surface.beginDoc();
    std::size_t i = 0;
    for (auto _ : state) {
        surface.playCard(pictures[i++ % pictures.size()]);
        surface.newPage();
    }
    surface.endDoc();
}
BENCHMARK(BM_PlayCardOnPdfPage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
