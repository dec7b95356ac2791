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

const char* kPrintUsage =
    "使い方: rinova-cli print FILE [--rows A-B] [--printer NAME] [--settings PATH]\n";

int usage() {
    return usageError(kPrintUsage);
}

} // namespace

int cmdPrint(const QStringList& args) {
    keepFreedMemory();
    const std::optional<Args> parsed =
        parseArgs(args, {QStringLiteral("--rows"), QStringLiteral("--printer"),
                         QStringLiteral("--settings")});
    if (!parsed) return usage();
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
    if (const std::optional<int> code = loadBatch(file, asked, grid, rows)) return *code;

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
    // A job waiting for a stopped printer is handed over, but the user is told.
    const QString notice = printCards(surface, grid, *settings, rows);
    if (!notice.isEmpty()) printError(notice);
    return 0;
}

} // namespace rinova::cli
