#include "cli/batch_print.h"

#include "addresses/row_check.h"
#include "card/card_inputs.h"
#include "card/text_fit.h"
#include "cli/commands.h"
#include "cli/progress.h"
#include "postal/directory.h"
#include "printing/card_job.h"
#include "text/failure.h"

#include <malloc.h>

namespace rinova::cli {

std::optional<RowRange> parseRows(const QString& text) {
    const qsizetype dash = text.indexOf(u'-');
    if (dash < 0) {
        const std::optional<int> row = parsePositive(text);
        if (!row) return std::nullopt;
        return RowRange{*row, *row};
    }
    const std::optional<int> a = parsePositive(text.left(dash));
    const std::optional<int> b = parsePositive(text.mid(dash + 1));
    if (!a || !b) return std::nullopt;
    return RowRange{std::min(*a, *b), std::max(*a, *b)};
}

RowRange rowsToPrint(const addresses::AddressGrid& grid, const std::optional<RowRange>& asked) {
    const int rows = grid.rowCountWithHeader() - 1;
    if (rows < 1) throw text::Failure(QStringLiteral("印刷する行がありません"));
    if (!asked) return RowRange{1, rows};
    if (asked->last > rows) throw text::Failure(missingRow(grid, asked->last));
    return *asked;
}

std::optional<int> loadBatch(const QString& file, addresses::FileFormat format,
                             const std::optional<RowRange>& asked, addresses::AddressGrid& grid,
                             RowRange& rows) {
    importAddressFile(grid, file, format);
    try {
        rows = rowsToPrint(grid, asked);
    } catch (const text::Failure& f) {
        printError(f.message());
        return 2;
    }
    return std::nullopt;
}

std::vector<addresses::RowFindings> findRowsToCheck(const addresses::AddressGrid& grid,
                                                    RowRange rows,
                                                    const settings::SettingsModel& settings) {
    return addresses::checkRows(
        grid, rows.first, rows.last,
        [&](int row) {
            return !card::textsFit(card::inputsForRow(grid, row, settings, card::Target::Printer));
        },
        addresses::postalQuestions(postal::installedDirectory()));
}

std::optional<int> checkRowsToPrint(const addresses::AddressGrid& grid, RowRange rows,
                                    const settings::SettingsModel& settings, bool strict) {
    const QString report = addresses::findingsReport(findRowsToCheck(grid, rows, settings));
    if (report.isEmpty()) return std::nullopt;
    printError(report);
    if (!strict) return std::nullopt;
    printError(QStringLiteral("--strict が指定されているので印刷しません"));
    return kDoubtfulRowsExit;
}

void keepFreedMemory() {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
}

QString printCards(printing::PrinterSurface& surface, const addresses::AddressGrid& grid,
                   const settings::SettingsModel& settings, RowRange rows, const QString& what) {
    TerminalProgress progress(what);
    QString waiting;
    printing::CardJob job;
    job.run(
        surface, rows.first, rows.last,
        [&](int row) {
            surface.playCard(
                card::renderCard(card::inputsForRow(grid, row, settings, card::Target::Printer)));
        },
        progress.watcher(), &waiting);
    return waiting;
}

} // namespace rinova::cli
