#include "card/card_inputs.h"

namespace rinova::card {

CardInputs inputsForRow(const addresses::AddressGrid& grid, int row,
                        const settings::CardLayout& layout, const settings::WindowChoices& choices,
                        bool printName2, Target target) {
    CardInputs in;
    if (row >= 1 && row < grid.RowCount()) {
        in.name1 = std::string(grid.Cell(row, 1));
        in.name2 = std::string(grid.Cell(row, 2));
        in.postalCode = std::string(grid.Cell(row, 3));
        in.address1 = std::string(grid.Cell(row, 4));
        in.address2 = std::string(grid.Cell(row, 5));
    }
    in.layout = layout;
    in.printName2 = printName2;
    in.printSender = choices.printSender;
    in.cardType = choices.cardType;
    in.faceIndex = choices.fontIndex;
    in.sender = choices.senderTexts;
    in.target = target;
    return in;
}

} // namespace rinova::card
