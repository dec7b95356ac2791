// rinova-cli pdf: the cards of a row range as the printer gets them, one per 100 x 148 mm page.
#include "addresses/row_check.h"
#include "card/card_inputs.h"
#include "cli/args.h"
#include "cli/batch_print.h"
#include "cli/commands.h"
#include "cli/progress.h"
#include "drawing/card_picture.h"
#include "printing/pdf_export.h"
#include "printing/printer_surface.h"

#include <QPrinterInfo>

namespace rinova::cli {
namespace {

const char* kPdfUsage =
    "使い方: rinova-cli pdf FILE [--rows A-B] [--settings PATH] "
    "[--format plain|sheet|sheet-utf8] [--strict] -o OUT.pdf\n"
    "       rinova-cli pdf --test [--printer NAME] [--settings PATH] -o OUT.pdf\n";

int usage() {
    return usageError(kPdfUsage);
}

// The test sheet of a printer (the default one unless --printer names one) as a one-page PDF.
int testSheetPdf(const QStringList& args) {
    const std::optional<Args> parsed = parseArgs(
        args, {QStringLiteral("-o"), QStringLiteral("--settings"), QStringLiteral("--printer")},
        {QStringLiteral("--test")}, false);
    if (!parsed || !parsed->file.isEmpty()) return usage();
    const QString output = parsed->value(QStringLiteral("-o"));
    if (output.isEmpty()) return usage();
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    QString printer = parsed->value(QStringLiteral("--printer"));
    if (!parsed->has(QStringLiteral("--printer")))
        printer = printing::defaultPrinterInfo().printerName();
    else if (printer.isEmpty())
        return usage();
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    const drawing::CardPicture sheet = testSheetFor(*settings, printer);
    printing::CardJob job;
    printing::writeCardPdf(job, output, 1, 1, [&](int) { return sheet; }, {}, {settingsPath});
    return 0;
}

} // namespace

int cmdPdf(const QStringList& args) {
    if (args.contains(QStringLiteral("--test"))) return testSheetPdf(args);
    keepFreedMemory();
    const std::optional<Args> parsed =
        parseArgs(args,
                  {QStringLiteral("--rows"), QStringLiteral("-o"), QStringLiteral("--settings"),
                   QStringLiteral("--format")},
                  {QStringLiteral("--strict")});
    if (!parsed) return usage();
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usage();
    const QString& file = parsed->file;
    const QString output = parsed->value(QStringLiteral("-o"));
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    std::optional<RowRange> asked;
    if (parsed->has(QStringLiteral("--rows"))) {
        asked = parseRows(parsed->value(QStringLiteral("--rows")));
        if (!asked) return usage();
    }
    if (file.isEmpty() || output.isEmpty()) return usage();

    addresses::AddressGrid grid;
    RowRange rows;
    if (const std::optional<int> code = loadBatch(file, *format, asked, grid, rows, settingsPath))
        return *code;
    if (const std::optional<int> code = reportSkippedRows(grid, rows)) return *code;
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    if (const std::optional<int> code =
            checkRowsToPrint(grid, rows, *settings, parsed->has(QStringLiteral("--strict"))))
        return *code;

    TerminalProgress progress(QStringLiteral("PDF 作成中"));
    printing::CardJob job;
    printing::writeCardPdf(
        job, output, rows.first, rows.last,
        [&](int row) {
            return card::renderCard(
                card::inputsForRow(grid, row, *settings, card::Target::Printer));
        },
        progress.watcher(), {file, settingsPath},
        [&](int row) { return addresses::printsRow(grid, row); });
    return 0;
}

} // namespace rinova::cli
