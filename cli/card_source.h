// Where the command-line tool's cards come from: an address file imported as the main window
// imports it, and the settings loaded as the program's start-up loads them.
#pragma once

#include "addresses/address_grid.h"
#include "card/card_renderer.h"
#include "settings/settings_store.h"
#include "settings/window_choices.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace rinova::cli {

// The settings as the two windows hold them after start-up.
struct Loaded {
    settings::RawSettings raw;
    settings::CardLayout layout;
    settings::WindowChoices choices;
    bool printName2 = true; // N21 is checked at start
    // Messages start-up would have shown in its error box, in order (without the closing ".").
    QStringList errors;
};

// "rinova.ini" beside the running executable, the file the main program uses.
QString defaultSettingsPath();

// Runs the start-up load, then turns the raw texts into the settings window's states as its
// creation does. A failure does not stop the load: as at start-up, the values reached so far
// stay and the message is kept in `errors`. Nothing is written to the file.
Loaded loadSettings(const QString& iniPath);

// A decimal integer of at least 1 (a row number, a width), or nothing.
std::optional<int> parsePositive(const QString& text);

// Reads and imports an address file into the grid; throws Failure when it cannot be read.
void importAddressFile(addresses::AddressGrid& grid, const QString& path);

// Imports FILE, loads the settings (their messages go to standard error, as start-up would show
// them) and gives the renderer's inputs for one row. Throws Failure when FILE cannot be read.
card::CardInputs loadRowInputs(const QString& file, const QString& settingsPath, int row,
                               bool printName2, card::Target target);

// The renderer's inputs for one grid row (rows beyond the grid give empty cells).
card::CardInputs inputsForRow(const addresses::AddressGrid& grid, int row, const Loaded& loaded);

} // namespace rinova::cli
