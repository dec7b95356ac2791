// Fixed places on the card, in card units: the sender's postal-code boxes of each card type
// and the step line above the New Year card's lottery area.
#pragma once

#include <array>
#include <cstdint>

namespace rinova::card {

struct SenderBoxes {
    std::int32_t top, bottom;    // of the two boxes
    std::int32_t box1x1, box1x2; // first part
    std::array<std::int32_t, 2> lines1;
    std::int32_t box2x1, box2x2; // second part
    std::array<std::int32_t, 3> lines2;
};

constexpr SenderBoxes kNewYearBoxes{-1219, -1283, 50, 171, {90, 130}, 180, 339, {221, 260, 300}};
constexpr SenderBoxes kPostcardBoxes{-1363, -1429, 60, 181, {100, 140}, 190, 349, {231, 270, 310}};

constexpr const SenderBoxes& senderBoxes(int cardType) {
    return cardType == 0 ? kNewYearBoxes : kPostcardBoxes;
}

// The New Year card's lottery area lies under this line: y -1290 from x 340 to 730, then
// y -1250 from x 730 to the right edge.
constexpr std::int32_t kStepLeft = 340, kStepX = 730, kStepRight = 1000;
constexpr std::int32_t kStepLowY = -1290, kStepHighY = -1250;

// The bottom of the recipient's postal-code boxes.
constexpr std::int32_t kPostalBoxesBottom = -195;

// One printed box: left and right edges, top and bottom (y upward, so top > bottom).
struct Box {
    std::int32_t x1, x2, top, bottom;
};

// The recipient's seven postal-code boxes: three, a gap, four.
constexpr std::array<Box, 7> kRecipientBoxes{{{437, 500, -110, -195},
                                              {508, 569, -110, -195},
                                              {577, 637, -110, -195},
                                              {652, 712, -111, -194},
                                              {720, 780, -111, -194},
                                              {789, 849, -111, -194},
                                              {857, 916, -111, -194}}};

// The sender's seven postal-code cells of a card type, cut from its two boxes by their lines.
constexpr std::array<Box, 7> senderCells(int cardType) {
    const SenderBoxes& g = senderBoxes(cardType);
    return {{{g.box1x1, g.lines1[0], g.top, g.bottom},
             {g.lines1[0], g.lines1[1], g.top, g.bottom},
             {g.lines1[1], g.box1x2, g.top, g.bottom},
             {g.box2x1, g.lines2[0], g.top, g.bottom},
             {g.lines2[0], g.lines2[1], g.top, g.bottom},
             {g.lines2[1], g.lines2[2], g.top, g.bottom},
             {g.lines2[2], g.box2x2, g.top, g.bottom}}};
}

} // namespace rinova::card
