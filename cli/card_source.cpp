#include "cli/card_source.h"

#include "card/card_inputs.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <QDir>

namespace rinova::cli {

QString defaultSettingsPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("rinova.ini"));
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

void importAddressFile(addresses::AddressGrid& grid, const QString& path) {
    grid.importContent(addresses::readAddressFile(path));
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
