// The renderer core: one address row and the settings in, one recorded card picture out.
#pragma once

#include "card/to_vertical_text.h"
#include "drawing/card_picture.h"
#include "settings/calibration.h"
#include "settings/settings_store.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::card {

enum class Target {
    Preview, // the main window's preview box: background and red guides
    Printer, // the printer's page: neither
    Other,   // any other surface: background, no guides
};

// Everything one card drawing reads; inputsForRow() (card_inputs.h) gathers it from a grid row
// and the settings for the main window, rinova-cli and the tests.
struct CardInputs {
    // Shift-JIS cells of the row: name 1, name 2, postal code, address 1, address 2.
    std::string name1, name2, postalCode, address1, address2;
    // The row's honorific (Shift-JIS; empty means the default 様) and joint names (連名1 and
    // 連名2, Shift-JIS), drawn after name 2, one column each further left. A row with neither
    // is drawn exactly as rows always were.
    std::string honorific;
    std::vector<std::string> jointNames;
    settings::CardLayout layout;
    bool printName2 = true; // 名前2を印刷する
    // The settings window's choices.
    bool printSender = false; // 差出人印刷する
    int cardType = 0;         // 0 年賀状, 1 官製はがき
    int faceIndex = 0;        // index into drawing::VerticalFaces; any other value: no face
    // The sender block: postal code parts, address 1, address 2, name 1, name 2, remark.
    std::array<std::string, 7> sender;
    Target target = Target::Preview;
    // Long texts are set tighter and smaller to stay in their areas ("FitText").
    bool fitText = true;
    // The shifts of the printer the card goes to; only a card for the printer is moved by them.
    settings::Calibration calibration;
    // How the digits of the address lines stand ("Numbers"); with a style other than the first,
    // the sender's address lines follow it too.
    NumberStyle numbers = NumberStyle::Kanji;
};

// How far a second text starts below the first so that both end level: ((len1 - len2) x size) / 2
// with the lengths in bytes. The difference and the product wrap around in 32 bits, then the
// product is halved toward zero.
std::int32_t NameShift(std::size_t len1, std::size_t len2, std::int32_t size);

// The vertical font of the card's columns at a height, in the face drawing::VerticalFaces holds
// at faceIndex (no face outside 0..4).
drawing::LogFont verticalFont(std::int32_t height, int faceIndex);

// What a postal-code cell gives to the seven boxes: its digits, half- or full-width, as
// half-width digits in their order; 〒, blanks, hyphens and anything else are passed over. A
// cell without any digit gives its characters as they are.
QString postalCharacters(std::string_view cell);

// Records the card: the white background (not for the printer), the postal code, the
// recipient's texts where planTexts() (text_fit.h) sets them, the sender block when it is to be
// printed, and the red guides on the preview. The postal codes are centred in their boxes
// (postal_boxes.h). A card for the printer is moved by its calibration: the postal code by its
// own shift, then everything by the card's. Arithmetic on layout values wraps around in 32 bits.
drawing::CardPicture renderCard(const CardInputs& in);

// Moves every operation of a picture by (dx, dy) card units, wrapping around in 32 bits.
void shiftPicture(drawing::CardPicture& picture, std::int32_t dx, std::int32_t dy);

} // namespace rinova::card
