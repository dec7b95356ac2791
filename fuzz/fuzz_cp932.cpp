// Code page 932 conversion: decoding any bytes is defined, a clean decoding survives a round
// trip, and encoding any UTF-16 agrees with the per-unit encoding.
#include "text/cp932.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace rinova::text;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "cp932: %s\n", what);
    std::abort();
}

void checkDecode(std::string_view bytes) {
    const QString decoded = toUnicode(bytes);
    // At most one unit per byte: a pair gives one unit, a bad byte one U+FFFD.
    if (decoded.size() > static_cast<qsizetype>(bytes.size())) fail("decoding grew");
    if (decoded.contains(QChar(0xFFFD))) return;
    bool ok = false;
    const Bytes encoded = fromUnicode(decoded, &ok);
    if (!ok) fail("a decoded text does not encode");
    if (toUnicode(encoded) != decoded) fail("decode(encode(decode(x))) != decode(x)");
}

void checkEncode(const std::uint8_t* data, std::size_t size) {
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8))));
    bool ok = true;
    const Bytes encoded = fromUnicode(text, &ok);
    if (ok != canEncode(text)) fail("ok flag and canEncode disagree");
    Bytes byUnit;
    bool allKnown = true;
    for (QChar c : text) {
        Bytes unit = encodeUnit(c.unicode());
        if (unit.empty()) {
            allKnown = false;
            unit = "?";
        }
        if (unit.size() > 2) fail("a unit encodes to more than 2 bytes");
        byUnit += unit;
    }
    if (encoded != byUnit) fail("fromUnicode differs from encodeUnit unit by unit");
    if (allKnown != ok) fail("ok flag and encodeUnit disagree");
    // What encodes cleanly decodes to as many units, which encode to the same bytes again (a
    // few look-alikes such as U+301C decode to the code's own character, so not always to u).
    if (ok) {
        const QString back = toUnicode(encoded);
        if (back.size() != text.size()) fail("an encoded text decodes to another length");
        if (fromUnicode(back) != encoded) fail("encode(decode(encode(u))) != encode(u)");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkDecode(std::string_view(reinterpret_cast<const char*>(data), size));
    checkEncode(data, size);
    return 0;
}
