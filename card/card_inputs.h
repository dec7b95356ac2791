// Gathers what one card drawing reads: a grid row's cells and the settings. The main window,
// rinova-cli and the tests all start here.
#pragma once

#include "addresses/address_grid.h"
#include "card/card_renderer.h"
#include "settings/settings_model.h"

namespace rinova::card {

// A row outside the grid's address rows reads as empty cells.
CardInputs inputsForRow(const addresses::AddressGrid& grid, int row,
                        const settings::SettingsModel& settings, Target target);

} // namespace rinova::card
