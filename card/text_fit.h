// Where the card's vertical texts go and at what size and pitch. Recipient lines and names end
// above the card's bottom margin, out of the New Year card's lottery area and out of the sender
// block; the sender's texts end above its postal-code boxes. A text that fits at its set size
// stays exactly where it always was; one that does not is set at a tighter character pitch,
// then smaller, as addresses are printed by hand-set rules.
#pragma once

#include "card/card_renderer.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace rinova::card {

enum class CardText {
    Address1,
    Address2,
    Name1,
    Name2,
    JointName1, // 連名1
    JointName2, // 連名2
    SenderAddress1,
    SenderAddress2,
    SenderRemark,
    SenderName1,
    SenderName2,
};

// One vertical text as the card draws it.
struct PlacedText {
    CardText which = CardText::Address1;
    QString text;
    std::int32_t x = 0, y = 0;
    std::int32_t height = 0;  // font height, card units
    std::int32_t advance = 0; // character pitch, card units; 0 keeps the face's own
    bool fits = true;         // ends inside its area
    bool digitPairs = false;  // see drawing::TextOp
};

// The vertical texts in drawing order: address 1 and 2 (always), name 1 and name 2 (when they
// print); the sender's address 1, address 2, remark, name 1 and name 2 (when the block prints).
// With fitting off nothing is measured: every text stands as set and `fits` is not judged.
struct TextPlan {
    std::vector<PlacedText> recipient, sender;
};
TextPlan planTexts(const CardInputs& in);

// The texts of a card that end outside their area even compressed; with fitting turned off,
// those that end outside it as drawn. In drawing order.
std::vector<CardText> unfittedTexts(const CardInputs& in);
bool textsFit(const CardInputs& in);

// How the user knows the text: "住所1", "名前2", "差出人の備考" ...
QString cardTextName(CardText which);

} // namespace rinova::card
