// Gathers what one card drawing reads: a grid row's cells and the settings. The main window,
// rinova-cli and the tests all start here.
#pragma once

#include "addresses/address_grid.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"

namespace rinova::card {

// A row outside the grid's address rows reads as empty cells. A card for the printer named
// `printer` is moved by that printer's calibration; without a name it is drawn as designed.
CardInputs inputsForRow(const addresses::AddressGrid& grid, int row,
                        const settings::SettingsModel& settings, Target target,
                        const QString& printer = {});

} // namespace rinova::card
