// Code page 932 (Shift-JIS, Windows mapping) as the program stores all its text: byte strings.
// Conversion goes through tables built once from iconv's "CP932", so it is stateless and fast.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string>
#include <string_view>

namespace rinova::text {

// Shift-JIS bytes as stored in cells, settings and edits.
using Bytes = std::string;

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes of the character that starts at s[i]: 2 for a lead byte with a following
// byte, else 1. A lead byte at the very end stands alone.
inline std::size_t charLength(std::string_view s, std::size_t i) {
    return (isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// Decodes Shift-JIS to UTF-16. A byte or pair that has no character becomes U+FFFD (one per
// undecodable byte); nothing is dropped silently and nothing throws.
QString toUnicode(std::string_view sjis);

// Appends Shift-JIS as the UTF-8 of what toUnicode decodes, without going through UTF-16. True
// when every character is one that fromUnicode gives back as the same bytes: no undecodable
// byte, no NUL, no duplicate code (the NEC and IBM extensions' second forms).
bool appendUtf8Of(std::string& out, std::string_view sjis);

// Encodes UTF-16 to Shift-JIS. A unit the code page cannot hold (lone or paired surrogates,
// characters outside the repertoire) becomes "?", and *ok is set to false when given.
Bytes fromUnicode(QStringView text, bool* ok = nullptr);

// True when every unit of the text has a Shift-JIS form.
bool canEncode(QStringView text);

// The bytes of one UTF-16 unit, or an empty string when the code page has none.
Bytes encodeUnit(char16_t unit);

// The encoding table behind fromUnicode, for loops over millions of characters: 65536 entries,
// UTF-16 unit to code; 0 when the code page has none (NUL included), below 0x100 a single byte,
// else lead byte * 256 + trail byte.
const std::uint16_t* encodeTable();

// Appends the UTF-8 bytes of a code point to a byte string (std::string, QByteArray); a
// surrogate gets the three bytes its code gives.
template <class Out> void appendUtf8(Out& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace rinova::text
