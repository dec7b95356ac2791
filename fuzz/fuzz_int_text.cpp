// The integer text rule against a plain reference written from the rule itself.
#include "settings/int_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

std::optional<std::int32_t> reference(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    s.remove_prefix(i);
    if (s.empty()) return std::nullopt;

    std::size_t prefix = 0;
    if (s[0] == '$' || s[0] == 'x' || s[0] == 'X')
        prefix = 1;
    else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        prefix = 2;
    if (prefix > 0) {
        std::string_view digits = s.substr(prefix);
        if (digits.empty()) return std::nullopt;
        std::uint64_t value = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto got = rinova::settings::parseIntText(text);
    const auto want = reference(text);
    if (got != want) {
        std::fprintf(stderr, "parseIntText disagrees: got %s%d, want %s%d\n", got ? "" : "none/",
                     got.value_or(0), want ? "" : "none/", want.value_or(0));
        std::abort();
    }
    // A value written back reads as itself.
    if (got) {
        const std::string back = rinova::settings::int32Text(*got);
        if (rinova::settings::parseIntText(back) != got) std::abort();
    }
    return 0;
}
