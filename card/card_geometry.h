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

} // namespace rinova::card
