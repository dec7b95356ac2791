// rinova-cli check: the check before paper is used, for lists kept elsewhere: one JSON object
// per finding on standard output. Findings are no failure: the exit code is 0 with or without.
#include "cli/args.h"
#include "cli/batch_print.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "postal/directory.h"
#include "text/failure.h"

namespace rinova::cli {
namespace {

const char* kCheckUsage = "使い方: rinova-cli check FILE [--rows A-B] [--settings PATH] "
                          "[--format plain|sheet|sheet-utf8]\n";

QByteArray findingLine(int row, const addresses::Finding& f) {
    QByteArray line = "{\"row\":" + QByteArray::number(row) + ",\"kind\":";
    appendJsonString(line, f.kind);
    const std::pair<const char*, const QString*> texts[] = {{"message", &f.text},
                                                            {"code", &f.code},
                                                            {"data_says", &f.dataSays},
                                                            {"row_says", &f.rowSays}};
    for (const auto& [key, value] : texts) {
        line += QByteArray(",\"") + key + "\":";
        appendJsonString(line, *value);
    }
    line += ",\"suggestions\":[";
    for (std::size_t i = 0; i < f.suggestions.size(); ++i) {
        line += i ? ",{\"code\":" : "{\"code\":";
        appendJsonString(line, f.suggestions[i].code);
        line += ",\"address\":";
        appendJsonString(line, f.suggestions[i].address);
        line += '}';
    }
    return line + "]}\n";
}

} // namespace

int cmdCheck(const QStringList& args) {
    const std::optional<Args> parsed = parseArgs(
        args, {QStringLiteral("--rows"), QStringLiteral("--settings"), QStringLiteral("--format")});
    if (!parsed) return usageError(kCheckUsage);
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usageError(kCheckUsage);
    std::optional<RowRange> asked;
    if (parsed->has(QStringLiteral("--rows"))) {
        asked = parseRows(parsed->value(QStringLiteral("--rows")));
        if (!asked) return usageError(kCheckUsage);
    }
    addresses::AddressGrid grid;
    importAddressFile(grid, parsed->file, *format);
    if (grid.rowCountWithHeader() < 2 && !asked) return finishOut(); // nothing to check
    RowRange rows;
    try {
        rows = rowsToPrint(grid, asked);
    } catch (const text::Failure& f) {
        printError(f.message());
        return 2;
    }
    // Without the postal data the rest is checked all the same; said once, not per row.
    const postal::Directory& postalData = postal::installedDirectory();
    if (postalData.empty()) printError(postal::dataDescription(postalData));
    const std::unique_ptr<settings::SettingsModel> settings =
        loadSettings(parsed->value(QStringLiteral("--settings"), defaultSettingsPath()));
    for (const addresses::RowFindings& found : findRowsToCheck(grid, rows, *settings))
        for (const addresses::Finding& f : found.problems)
            if (!writeOut(findingLine(found.row, f))) return finishOut();
    return finishOut();
}

} // namespace rinova::cli
