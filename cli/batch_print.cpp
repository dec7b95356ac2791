#include "cli/batch_print.h"

#include "addresses/row_check.h"
#include "card/card_inputs.h"
#include "card/test_sheet.h"
#include "card/text_fit.h"
#include "cli/commands.h"
#include "cli/progress.h"
#include "postal/directory.h"
#include "printing/card_job.h"
#include "text/failure.h"

#include <QPrinter>
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
                             RowRange& rows, const QString& settingsPath) {
    importAddressFile(grid, file, format, settingsPath);
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

std::optional<int> reportSkippedRows(const addresses::AddressGrid& grid, RowRange rows) {
    std::vector<int> skipped;
    for (int row = rows.first; row <= rows.last; ++row)
        if (!addresses::printsRow(grid, row)) skipped.push_back(row);
    if (skipped.empty()) return std::nullopt;
    if (static_cast<int>(skipped.size()) == rows.last - rows.first + 1) {
        printError(addresses::nothingToPrint(rows.first, rows.last));
        return 1;
    }
    printError(addresses::skippedRowsMessage(skipped));
    return std::nullopt;
}

void keepFreedMemory() {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
}

drawing::CardPicture testSheetFor(const settings::SettingsModel& settings, const QString& printer) {
    return card::renderTestSheet(
        printer.isEmpty() ? settings::Calibration{} : settings.calibration(printer),
        printer.isEmpty() ? QStringLiteral("(なし)") : printer, settings.choices().cardType);
}

QString printCards(printing::PrinterSurface& surface, const addresses::AddressGrid& grid,
                   const settings::SettingsModel& settings, RowRange rows, const QString& what) {
    TerminalProgress progress(what);
    QString waiting;
    printing::CardJob job;
    const QString printer = surface.printer().printerName();
    job.run(
        surface, rows.first, rows.last,
        [&](int row) {
            surface.playCard(card::renderCard(
                card::inputsForRow(grid, row, settings, card::Target::Printer, printer)));
        },
        progress.watcher(), &waiting, [&](int row) { return addresses::printsRow(grid, row); });
    return waiting;
}

} // namespace rinova::cli
