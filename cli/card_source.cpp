#include "cli/card_source.h"

#include "card/card_inputs.h"
#include "cli/commands.h"

#include "settings/int_text.h"
#include "text/failure.h"

#include <QCoreApplication>
#include <QDir>

namespace rinova::cli {

QString defaultSettingsPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("rinova.ini"));
}

Loaded loadSettings(const QString& iniPath) {
    Loaded loaded;
    const settings::SettingsStore store(iniPath);
    try {
        store.startupLoad(loaded.raw, loaded.layout);
    } catch (const Failure& f) {
        loaded.errors << f.message();
    }
    // The settings window is created after the main window whatever became of its start-up,
    // and fills its controls from the raw texts.
    try {
        loaded.choices = settings::windowChoices(loaded.raw);
        // Its three spin edits then show element 0; each non-zero value runs the change
        // handler, which sets the layout value again (and would write the key back, which a
        // command-line tool does not do).
        for (settings::Spin spin : {settings::Horizontal, settings::Vertical, settings::Size}) {
            const settings::OffsetSlot slot = settings::offsetSlot(settings::Address1, spin);
            const std::int32_t value = settings::StrToInt(loaded.raw[slot.key]);
            if (value != 0) loaded.layout.*slot.field = settings::wrapAdd(value, slot.base);
        }
    } catch (const Failure& f) {
        loaded.errors << f.message();
    }
    return loaded;
}

std::optional<int> parsePositive(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1) return std::nullopt;
    return value;
}

void importAddressFile(addresses::AddressGrid& grid, const QString& path) {
    grid.ImportContent(addresses::ReadAddressFile(path));
}

card::CardInputs inputsForRow(const addresses::AddressGrid& grid, int row, const Loaded& loaded) {
    return card::inputsForRow(grid, row, loaded.layout, loaded.choices, loaded.printName2,
                              card::Target::Preview);
}

card::CardInputs loadRowInputs(const QString& file, const QString& settingsPath, int row,
                               bool printName2, card::Target target) {
    addresses::AddressGrid grid;
    importAddressFile(grid, file);
    Loaded loaded = loadSettings(settingsPath);
    for (const QString& e : loaded.errors)
        printError(e);
    loaded.printName2 = printName2;
    card::CardInputs in = inputsForRow(grid, row, loaded);
    in.target = target;
    return in;
}

} // namespace rinova::cli
