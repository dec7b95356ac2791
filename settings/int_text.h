// The integer text rule shared by the settings file and the spin edits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rinova::settings {

// Leading spaces; then an optional sign and decimal digits within 32 bits, or a hexadecimal
// number after "$", "x", "X", "0x" or "0X" that fits in 32 bits (taken as its bit pattern).
// Nothing may follow. Returns nothing when the text is not an integer.
std::optional<std::int32_t> parseIntText(std::string_view text);

// As parseIntText, but throws text::Failure "'%s' は整数ではありません".
std::int32_t parseInt32(std::string_view text);

// Plain decimal: no leading zeros, no "+".
std::string int32Text(std::int32_t value);

} // namespace rinova::settings
