// Gathers what one card drawing reads: a grid row's cells, the layout and the settings
// window's choices. The main window, the command-line tool and the tests all start here.
#pragma once

#include "addresses/address_grid.h"
#include "card/card_renderer.h"
#include "settings/window_choices.h"

namespace rinova::card {

// A row outside the grid's address rows reads as empty cells.
CardInputs inputsForRow(const addresses::AddressGrid& grid, int row,
                        const settings::CardLayout& layout, const settings::WindowChoices& choices,
                        bool printName2, Target target);

} // namespace rinova::card
