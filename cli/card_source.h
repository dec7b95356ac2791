// Where rinova-cli's cards come from: an address file imported as the main window imports it,
// and the settings model built as the program's start-up builds it.
#pragma once

#include "addresses/address_grid.h"
#include "card/card_renderer.h"
#include "cli/args.h"
#include "settings/settings_model.h"

#include <QString>
#include <memory>
#include <optional>

namespace rinova::cli {

// The settings file of the program "rinova" beside the running executable, as it finds it.
QString defaultSettingsPath();

// The settings as the program holds them after start-up, never writing the file. The messages
// start-up would have shown in its error box go to standard error, in order.
std::unique_ptr<settings::SettingsModel> loadSettings(const QString& iniPath);

// A decimal integer of at least 1 (a row number, a width), or nothing.
std::optional<int> parsePositive(const QString& text);

// The file type of "--format plain|sheet|sheet-utf8"; plain when the option is not given,
// nothing when its value is none of these.
std::optional<addresses::FileFormat> formatOption(const Args& args);

// Reads and imports an address file into the grid; throws Failure when it cannot be read. Rows
// whose characters were replaced are told on standard error. Under a header row whose titles
// are not all known, the fields fill the columns the program was told for that header (kept in
// the settings file), else those the titles name.
void importAddressFile(addresses::AddressGrid& grid, const QString& path,
                       addresses::FileFormat format,
                       const QString& settingsPath = defaultSettingsPath());

// "行 N はありません (この住所録は M 行です)" when the grid has no address row N.
QString missingRow(const addresses::AddressGrid& grid, int row);
// Nothing when the grid has the address row; else the exit code 2, the message printed, as for
// a row range that leaves the file.
std::optional<int> requireRow(const addresses::AddressGrid& grid, int row);

// Loads the settings and gives the renderer's inputs for one row of the imported grid.
card::CardInputs rowInputs(const addresses::AddressGrid& grid, const QString& settingsPath, int row,
                           bool printName2, card::Target target);

} // namespace rinova::cli
