// The card's postal codes set in their printed boxes: each character's ink centred across its
// box, and the digits' common ink band centred down it, in whatever font draws them, so that a
// code sits in the middle of its boxes rather than where its advance happens to put it.
#pragma once

#include "card/card_geometry.h"
#include "drawing/recording_canvas.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace rinova::card {

// Draws chars[i] in the canvas's current font (upright) into boxes[boxOf[i]], moved by (dx, dy).
// A slot past the last box is the place one more box of the last one's width would have; a
// character without ink (a blank) is centred by its advance.
void drawInBoxes(drawing::RecordingCanvas& canvas, const std::vector<QString>& chars,
                 const std::array<Box, 7>& boxes, const std::vector<std::size_t>& boxOf,
                 std::int32_t dx = 0, std::int32_t dy = 0);

// Where the text cell of a character in a face and height goes so that it is centred in the box.
struct CellPlace {
    std::int32_t x, y;
};
CellPlace placeInBox(const QString& character, const QString& face, std::int32_t height,
                     const Box& box);

// The recipient's seven boxes and, on a New Year card, the lottery area's stepped line, in the
// canvas's current pen.
void drawRecipientBoxesAndLotteryLine(drawing::RecordingCanvas& canvas, int cardType);

// The characters of a text, a surrogate pair counting as one.
std::vector<QString> splitCharacters(const QString& text);

// The recipient's code (postalCharacters() of its cell) in its seven boxes: the first three and
// the last four characters around a blank, so that 1234567 and 123-4567 fill the same boxes.
// Fewer or more characters repeat or leave out some, as the boxes only show seven; character i
// goes into box i, from the blank on into the box before. Moved by (dx, dy).
void drawRecipientCode(drawing::RecordingCanvas& canvas, const QString& code, std::int32_t dx,
                       std::int32_t dy);
// The sender's code (both parts joined) in the cells of the card type: character i in cell i,
// whatever each part holds.
void drawSenderCode(drawing::RecordingCanvas& canvas, const QString& code, int cardType);

} // namespace rinova::card
