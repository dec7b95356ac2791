// rinova-cli print: the cards of a row range as one job on a printer, without dialogs.
#include "cli/args.h"
#include "cli/batch_print.h"
#include "cli/commands.h"
#include "text/failure.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>

namespace rinova::cli {
namespace {

const char* kPrintUsage = "使い方: rinova-cli print FILE [--rows A-B] [--printer NAME] "
                          "[--settings PATH] [--format plain|sheet|sheet-utf8] [--strict]\n";

int usage() {
    return usageError(kPrintUsage);
}

} // namespace

int cmdPrint(const QStringList& args) {
    keepFreedMemory();
    const std::optional<Args> parsed =
        parseArgs(args,
                  {QStringLiteral("--rows"), QStringLiteral("--printer"),
                   QStringLiteral("--settings"), QStringLiteral("--format")},
                  {QStringLiteral("--strict")});
    if (!parsed) return usage();
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usage();
    const QString& file = parsed->file;
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    const QString printerName = parsed->value(QStringLiteral("--printer"));
    if (parsed->has(QStringLiteral("--printer")) && printerName.isEmpty()) return usage();
    std::optional<RowRange> asked;
    if (parsed->has(QStringLiteral("--rows"))) {
        asked = parseRows(parsed->value(QStringLiteral("--rows")));
        if (!asked) return usage();
    }

    addresses::AddressGrid grid;
    RowRange rows;
    if (const std::optional<int> code = loadBatch(file, *format, asked, grid, rows)) return *code;
    // Rows that look wrong are said, and --strict refuses them, before any printer is asked.
    if (const std::optional<int> code =
            checkRowsToPrint(grid, rows, parsed->has(QStringLiteral("--strict"))))
        return *code;

    surface::PrinterSource source = surface::defaultPrinter;
    if (!printerName.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
        if (info.isNull()) {
            printError(QStringLiteral("プリンタ %1 はありません").arg(printerName));
            return 1;
        }
        source = [info] { return std::make_unique<QPrinter>(info, QPrinter::HighResolution); };
    }
    surface::PrinterSurface surface(source);
    surface.printer(); // no default printer: said before anything is read or drawn

    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    printCards(surface, grid, *settings, rows);
    return 0;
}

} // namespace rinova::cli
