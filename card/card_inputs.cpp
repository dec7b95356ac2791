#include "card/card_inputs.h"

namespace rinova::card {

CardInputs inputsForRow(const addresses::AddressGrid& grid, int row,
                        const settings::SettingsModel& settings, Target target,
                        const QString& printer) {
    CardInputs in;
    if (row >= 1 && row < grid.rowCountWithHeader()) {
        in.name1 = std::string(grid.cell(row, 1));
        in.name2 = std::string(grid.cell(row, 2));
        in.postalCode = std::string(grid.cell(row, 3));
        in.address1 = std::string(grid.cell(row, 4));
        in.address2 = std::string(grid.cell(row, 5));
        if (const std::string_view h = grid.cell(row, addresses::HonorificColumn);
            !addresses::isBlankCell(h))
            in.honorific = std::string(h);
        for (int col : {addresses::Joint1Column, addresses::Joint2Column})
            if (const std::string_view j = grid.cell(row, col); !addresses::isBlankCell(j))
                in.jointNames.emplace_back(j);
    }
    const settings::WindowChoices& choices = settings.choices();
    in.layout = settings.layout();
    in.printName2 = settings.printName2();
    in.printSender = choices.printSender;
    in.cardType = choices.cardType;
    in.faceIndex = choices.fontIndex;
    in.sender = choices.senderTexts;
    in.target = target;
    in.fitText = settings.fitText();
    if (target == Target::Printer && !printer.isEmpty())
        in.calibration = settings.calibration(printer);
    in.numbers = static_cast<NumberStyle>(settings.numberStyle());
    return in;
}

} // namespace rinova::card
