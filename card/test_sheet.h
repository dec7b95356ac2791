// The test sheet: one page printed on plain paper as a card would be, to hold against a real
// card. It shows the card's outline, the recipient's postal-code boxes with sample digits set
// as a card's are, the sender's boxes, the New Year card's lottery line, and crosses at known
// points, all moved by the printer's calibration as its cards are.
#pragma once

#include "drawing/card_picture.h"
#include "settings/calibration.h"

#include <QString>

namespace rinova::card {

// The crosses' centres in card units (x right, y up from the card's top-left corner).
struct CrossAt {
    std::int32_t x, y;
};
inline constexpr CrossAt kTestCrosses[] = {
    {100, -100}, {900, -300}, {500, -740}, {100, -1380}, {900, -1380}};

// `printer` names the printer on the sheet; `cardType` picks the sender boxes (0 年賀状, with
// the lottery line, any other 官製はがき).
drawing::CardPicture renderTestSheet(const settings::Calibration& shifts, const QString& printer,
                                     int cardType);

// "+1.5 mm" for 15 card units: how the sheet and the calibration window write a shift.
QString shiftText(std::int32_t units);

} // namespace rinova::card
