// rinova-cli print: the cards of a row range as one job on a printer, without dialogs.
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
    std::fputs(kPrintUsage, stderr);
    return 2;
}

} // namespace

int cmdPrint(const QStringList& args) {
    keepFreedMemory();
    QString file, printerName, settingsPath = defaultSettingsPath();
    std::optional<RowRange> asked;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--rows") && hasValue) {
            asked = parseRows(args[++i]);
            if (!asked) return usage();
        } else if (a == QLatin1String("--printer") && hasValue) {
            printerName = args[++i];
            if (printerName.isEmpty()) return usage();
        } else if (a == QLatin1String("--settings") && hasValue) {
            settingsPath = args[++i];
        } else if (!a.startsWith(u'-') && file.isEmpty()) {
            file = a;
        } else {
            return usage();
        }
    }
    if (file.isEmpty()) return usage();

    addresses::AddressGrid grid;
    importAddressFile(grid, file);
    RowRange rows;
    try {
        rows = rowsToPrint(grid, asked);
    } catch (const Failure& f) {
        printError(f.message());
        return 2;
    }

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

    const Loaded loaded = loadSettings(settingsPath);
    for (const QString& e : loaded.errors)
        printError(e);
    printCards(surface, grid, loaded, rows);
    return 0;
}

} // namespace rinova::cli
