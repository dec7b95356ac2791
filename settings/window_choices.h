// The settings window's choices (font, sender print, card type, sender texts) derived from the
// raw setting texts, the same way the window fills its controls at creation. Free of widgets so
// the command-line tool draws cards with exactly the window's states.
#pragma once

#include "settings/settings_store.h"

#include <array>
#include <string>

namespace rinova::settings {

constexpr int kFaceCount = 5;

struct WindowChoices {
    int fontIndex = 0;        // position in the face list; -1 for none
    bool printSender = false; // "SashiPrint" "1"
    int cardType = 0;         // 0 年賀状, 1 官製はがき
    // "SashiYuban3", "SashiYuban4", "SashiAdd1", "SashiAdd2", "SashiName1", "SashiName2",
    // "Bikou" as Shift-JIS, in that order.
    std::array<std::string, 7> senderTexts;
};

// The font index of a raw "FontName": its integer, -1 when outside 0..4. Throws the integer
// rule's text::Failure when the text is not an integer (an empty text included).
int fontIndexFromRaw(const std::string& fontName);

// "1" ticks, "0" clears, anything else keeps `current`.
bool printSenderFromRaw(const std::string& sashiPrint, bool current = false);

// "0" 年賀状, "1" 官製はがき, anything else keeps `current`.
int cardTypeFromRaw(const std::string& cardType, int current = 0);

// The sender keys in the order of the settings window's sender fields.
constexpr std::array<Key, 7> kSenderKeys = {Key::SashiYuban3, Key::SashiYuban4, Key::SashiAdd1,
                                            Key::SashiAdd2,   Key::SashiName1,  Key::SashiName2,
                                            Key::Bikou};

// All choices from the raw texts. Throws the integer rule's text::Failure for a "FontName" that is
// not an integer; then none of the choices is taken (the window keeps its initial states).
WindowChoices windowChoices(const RawSettings& raw);

} // namespace rinova::settings
