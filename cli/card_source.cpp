#include "cli/card_source.h"

#include "card/card_inputs.h"
#include "cli/commands.h"
#include "settings/settings_location.h"

#include <QCoreApplication>
#include <QDir>

namespace rinova::cli {

QString defaultSettingsPath() {
    return settings::settingsFileFor(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("rinova")));
}

std::unique_ptr<settings::SettingsModel> loadSettings(const QString& iniPath) {
    auto model = std::make_unique<settings::SettingsModel>(iniPath);
    for (const QString& e : model->loadWithoutWriting())
        printError(e);
    return model;
}

std::optional<int> parsePositive(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1) return std::nullopt;
    return value;
}

std::optional<addresses::FileFormat> formatOption(const Args& args) {
    if (!args.has(QStringLiteral("--format"))) return addresses::FileFormat::Plain;
    return addresses::fileFormatNamed(args.value(QStringLiteral("--format")));
}

void importAddressFile(addresses::AddressGrid& grid, const QString& path,
                       addresses::FileFormat format, const QString& settingsPath) {
    const settings::SettingsModel kept(settingsPath);
    const addresses::ImportReport report = grid.importContent(
        addresses::readAddressFile(path), format, [&](const addresses::HeaderQuestion& q) {
            return addresses::layoutFromChoice(kept.columnChoice(addresses::headerText(q.titles)));
        });
    if (!report.replacedRows.empty())
        printError(addresses::replacedRowsMessage(report.replacedRows));
}

QString missingRow(const addresses::AddressGrid& grid, int row) {
    return QStringLiteral("行 %1 はありません (この住所録は %2 行です)")
        .arg(row)
        .arg(grid.rowCountWithHeader() - 1);
}

std::optional<int> requireRow(const addresses::AddressGrid& grid, int row) {
    if (row >= 1 && row < grid.rowCountWithHeader()) return std::nullopt;
    printError(missingRow(grid, row));
    return 2;
}

card::CardInputs rowInputs(const addresses::AddressGrid& grid, const QString& settingsPath, int row,
                           bool printName2, card::Target target) {
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    settings->setPrintName2(printName2);
    return card::inputsForRow(grid, row, *settings, target);
}

} // namespace rinova::cli
