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

void importAddressFile(addresses::AddressGrid& grid, const QString& path) {
    grid.importContent(addresses::readAddressFile(path));
}

card::CardInputs loadRowInputs(const QString& file, const QString& settingsPath, int row,
                               bool printName2, card::Target target) {
    addresses::AddressGrid grid;
    importAddressFile(grid, file);
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    settings->setPrintName2(printName2);
    return card::inputsForRow(grid, row, *settings, target);
}

} // namespace rinova::cli
