#include "settings/window_choices.h"

#include "settings/int_text.h"

namespace rinova::settings {

int fontIndexFromRaw(const std::string& fontName) {
    const std::int32_t index = parseInt32(fontName);
    return (index >= 0 && index < kFaceCount) ? index : -1;
}

bool printSenderFromRaw(const std::string& sashiPrint, bool current) {
    if (sashiPrint == "1") return true;
    if (sashiPrint == "0") return false;
    return current;
}

int cardTypeFromRaw(const std::string& cardType, int current) {
    if (cardType == "0") return 0;
    if (cardType == "1") return 1;
    return current;
}

WindowChoices windowChoices(const RawSettings& raw) {
    WindowChoices choices;
    choices.fontIndex = fontIndexFromRaw(raw[Key::FontName]);
    choices.printSender = printSenderFromRaw(raw[Key::SashiPrint], choices.printSender);
    choices.cardType = cardTypeFromRaw(raw[Key::CardType], choices.cardType);
    for (std::size_t i = 0; i < kSenderKeys.size(); ++i)
        choices.senderTexts[i] = raw[kSenderKeys[i]];
    return choices;
}

} // namespace rinova::settings
