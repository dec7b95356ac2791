// rinova-cli print: the cards of a row range as one job on a printer, without dialogs.
#include "cli/args.h"
#include "cli/batch_print.h"
#include "cli/commands.h"
#include "printing/card_job.h"
#include "printing/paper.h"
#include "text/failure.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>

namespace rinova::cli {
namespace {

const char* kPrintUsage = "使い方: rinova-cli print FILE [--rows A-B] [--printer NAME] "
                          "[--paper NAME] [--settings PATH] [--format plain|sheet|sheet-utf8] "
                          "[--strict]\n"
                          "       rinova-cli print --test [--printer NAME] [--paper NAME] "
                          "[--settings PATH]\n";

int usage() {
    return usageError(kPrintUsage);
}

// Puts the printer on the paper of that name; says which papers it has when it has none such.
bool choosePaper(QPrinter& printer, const QString& name) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer.printerName());
    if (const std::optional<QPageSize> paper = printing::findPaper(info, name)) {
        printer.setPageSize(*paper);
        return true;
    }
    QStringList known;
    for (const QPageSize& size : printing::papersForList(info.supportedPageSizes()))
        known << QStringLiteral("  %1 (%2)").arg(size.key(), printing::paperLabel(size));
    printError(QStringLiteral("プリンタ %1 に用紙 %2 はありません。使える用紙:\n%3")
                   .arg(printer.printerName(), name, known.join(u'\n')));
    return false;
}

// The printer of --printer, or the default one; nothing, with the message printed, when that
// names no printer the print service lists.
std::optional<printing::PrinterSource> printerSource(const QString& printerName) {
    if (printerName.isEmpty()) return printing::PrinterSource(printing::defaultPrinter);
    const QPrinterInfo info = printing::printerNamed(printerName);
    if (info.isNull()) {
        printError(QStringLiteral("プリンタ %1 はありません").arg(printerName));
        return std::nullopt;
    }
    return printing::PrinterSource([info] { return printing::printerFor(info); });
}

// Puts the printer on --paper's paper and says when it is not a postcard's; false when the
// printer has no such paper (said).
bool preparePaper(QPrinter& printer, const QString& paperName) {
    if (!paperName.isEmpty() && !choosePaper(printer, paperName)) return false;
    const QString paper = printing::paperNotice(printer.pageLayout());
    if (!paper.isEmpty()) printError(QStringLiteral("注意: ") + paper);
    return true;
}

// One page: the printer's test sheet.
int printTestSheet(const QStringList& args) {
    const std::optional<Args> parsed = parseArgs(
        args,
        {QStringLiteral("--printer"), QStringLiteral("--paper"), QStringLiteral("--settings")},
        {QStringLiteral("--test")}, false);
    if (!parsed || !parsed->file.isEmpty()) return usage();
    for (const QString& option : {QStringLiteral("--printer"), QStringLiteral("--paper")})
        if (parsed->has(option) && parsed->value(option).isEmpty()) return usage();
    const std::unique_ptr<settings::SettingsModel> settings =
        loadSettings(parsed->value(QStringLiteral("--settings"), defaultSettingsPath()));
    const std::optional<printing::PrinterSource> source =
        printerSource(parsed->value(QStringLiteral("--printer")));
    if (!source) return 1;
    printing::PrinterSurface surface(*source);
    QPrinter& printer = surface.printer();
    if (!preparePaper(printer, parsed->value(QStringLiteral("--paper")))) return 2;
    const drawing::CardPicture sheet = testSheetFor(*settings, printer.printerName());
    QString waiting;
    printing::CardJob job;
    job.run(
        surface, 1, 1, [&](int) { surface.playCard(sheet); }, {}, &waiting);
    if (!waiting.isEmpty()) printError(waiting);
    return 0;
}

} // namespace

int cmdPrint(const QStringList& args) {
    if (args.contains(QStringLiteral("--test"))) return printTestSheet(args);
    keepFreedMemory();
    const std::optional<Args> parsed =
        parseArgs(args,
                  {QStringLiteral("--rows"), QStringLiteral("--printer"), QStringLiteral("--paper"),
                   QStringLiteral("--settings"), QStringLiteral("--format")},
                  {QStringLiteral("--strict")});
    if (!parsed) return usage();
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usage();
    const QString& file = parsed->file;
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    const QString printerName = parsed->value(QStringLiteral("--printer"));
    if (parsed->has(QStringLiteral("--printer")) && printerName.isEmpty()) return usage();
    const QString paperName = parsed->value(QStringLiteral("--paper"));
    if (parsed->has(QStringLiteral("--paper")) && paperName.isEmpty()) return usage();
    std::optional<RowRange> asked;
    if (parsed->has(QStringLiteral("--rows"))) {
        asked = parseRows(parsed->value(QStringLiteral("--rows")));
        if (!asked) return usage();
    }

    addresses::AddressGrid grid;
    RowRange rows;
    if (const std::optional<int> code = loadBatch(file, *format, asked, grid, rows, settingsPath))
        return *code;
    if (const std::optional<int> code = reportSkippedRows(grid, rows)) return *code;
    // Rows that look wrong are said, and --strict refuses them, before any printer is asked.
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    if (const std::optional<int> code =
            checkRowsToPrint(grid, rows, *settings, parsed->has(QStringLiteral("--strict"))))
        return *code;

    const std::optional<printing::PrinterSource> source = printerSource(printerName);
    if (!source) return 1;
    printing::PrinterSurface surface(*source);
    QPrinter& printer = surface.printer(); // no default printer: said before anything is drawn
    if (!preparePaper(printer, paperName)) return 2;

    // A job waiting for a stopped printer is handed over, but the user is told.
    const QString waiting = printCards(surface, grid, *settings, rows, QStringLiteral("印刷中"));
    if (!waiting.isEmpty()) printError(waiting);
    return 0;
}

} // namespace rinova::cli
