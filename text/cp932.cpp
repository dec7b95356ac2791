#include "text/cp932.h"

#include <array>
#include <iconv.h>
#include <memory>
#include <mutex>

namespace rinova::text {
namespace {

constexpr char16_t kNone = 0xFFFF; // no character (U+FFFF is never a CP932 mapping)

struct Tables {
    std::array<char16_t, 256> single{};        // single-byte decode
    std::array<char16_t, 256 * 256> dbl{};     // double-byte decode, lead*256+trail
    std::array<std::uint16_t, 65536> encode{}; // unit -> code (0 = none; <0x100 single byte)
    // Per code (a byte, or lead*256+trail), whether it decodes to a character that encodes back
    // to the same code.
    std::array<std::uint64_t, 65536 / 64> keeps{};
    bool kept(unsigned code) const { return (keeps[code >> 6] >> (code & 63)) & 1; }
};

char16_t iconvDecode(iconv_t cd, const unsigned char* in, std::size_t len) {
    char inBuf[2] = {static_cast<char>(in[0]), len > 1 ? static_cast<char>(in[1]) : '\0'};
    char outBuf[8];
    char* inPtr = inBuf;
    char* outPtr = outBuf;
    std::size_t inLeft = len, outLeft = sizeof outBuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 || sizeof outBuf - outLeft != 2)
        return kNone;
    return static_cast<char16_t>(static_cast<unsigned char>(outBuf[0]) |
                                 (static_cast<unsigned char>(outBuf[1]) << 8));
}

std::uint16_t iconvEncode(iconv_t cd, char16_t unit) {
    char inBuf[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char outBuf[8];
    char* inPtr = inBuf;
    char* outPtr = outBuf;
    std::size_t inLeft = 2, outLeft = sizeof outBuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 0;
    const std::size_t n = sizeof outBuf - outLeft;
    if (n == 1) return static_cast<unsigned char>(outBuf[0]);
    if (n == 2)
        return static_cast<std::uint16_t>((static_cast<unsigned char>(outBuf[0]) << 8) |
                                          static_cast<unsigned char>(outBuf[1]));
    return 0;
}

std::unique_ptr<Tables> buildTables() {
    auto t = std::make_unique<Tables>();
    t->single.fill(kNone);
    t->dbl.fill(kNone);
    iconv_t dec = iconv_open("UTF-16LE", "CP932");
    iconv_t enc = iconv_open("CP932", "UTF-16LE");
    if (dec == reinterpret_cast<iconv_t>(-1) || enc == reinterpret_cast<iconv_t>(-1)) {
        // Without iconv's table only ASCII is known; everything else shows as U+FFFD.
        for (int b = 0; b < 0x80; ++b) {
            t->single[b] = static_cast<char16_t>(b);
            t->encode[b] = static_cast<std::uint16_t>(b);
        }
        return t;
    }
    for (int b = 0; b < 256; ++b) {
        if (isLeadByte(static_cast<unsigned char>(b))) continue;
        const unsigned char in[1] = {static_cast<unsigned char>(b)};
        t->single[b] = iconvDecode(dec, in, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned char in[2] = {static_cast<unsigned char>(lead),
                                         static_cast<unsigned char>(trail)};
            t->dbl[lead * 256 + trail] = iconvDecode(dec, in, 2);
        }
    }
    // Encode each character that decoding produces the way iconv encodes it, so duplicates
    // (NEC and IBM extensions) take the canonical code.
    auto addEncoding = [&](char16_t u) {
        if (u == kNone || t->encode[u] != 0 || (u >= 0xD800 && u <= 0xDFFF)) return;
        t->encode[u] = iconvEncode(enc, u);
    };
    for (char16_t u : t->single)
        addEncoding(u);
    for (char16_t u : t->dbl)
        addEncoding(u);
    // Windows' own mapping also takes these common look-alikes.
    for (char16_t u : {u'\u301C', u'\u2016', u'\u2212', u'\u00A2', u'\u00A3', u'\u00AC'})
        addEncoding(u);
    t->encode[0] = 0; // NUL is a single byte 0x00, handled apart
    const auto keep = [&](unsigned code, char16_t u) {
        if (u != kNone && u != 0 && t->encode[u] == code)
            t->keeps[code >> 6] |= 1ull << (code & 63);
    };
    for (unsigned b = 1; b < 0x80; ++b)
        keep(b, static_cast<char16_t>(b)); // ASCII decodes as itself
    for (unsigned b = 0x80; b < 0x100; ++b)
        if (!isLeadByte(static_cast<unsigned char>(b))) keep(b, t->single[b]);
    for (unsigned code = 0x100; code < 0x10000; ++code)
        if (isLeadByte(static_cast<unsigned char>(code >> 8))) keep(code, t->dbl[code]);
    iconv_close(dec);
    iconv_close(enc);
    return t;
}

const Tables& tables() {
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

// The character at sjis[i] and its length in bytes: U+FFFD for one undecodable byte.
char16_t decodeAt(const Tables& t, std::string_view sjis, std::size_t i, std::size_t& length) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    length = 1;
    if (b < 0x80) return b;
    if (isLeadByte(b) && i + 1 < sjis.size()) {
        const char16_t u = t.dbl[b * 256 + static_cast<unsigned char>(sjis[i + 1])];
        if (u == kNone) return u'\uFFFD'; // a bad pair: the next byte starts anew
        length = 2;
        return u;
    }
    const char16_t u = t.single[b];
    return u == kNone || isLeadByte(b) ? u'\uFFFD' : u;
}

} // namespace

QString toUnicode(std::string_view sjis) {
    const Tables& t = tables();
    QString out;
    out.reserve(static_cast<qsizetype>(sjis.size()));
    for (std::size_t i = 0, n = 0; i < sjis.size(); i += n)
        out.append(QChar(decodeAt(t, sjis, i, n)));
    return out;
}

bool appendUtf8Of(std::string& out, std::string_view sjis) {
    const Tables& t = tables();
    bool same = true;
    // Written through a buffer of the stack: a cell is seldom longer, and the string grows once.
    char buffer[256];
    char* w = buffer;
    for (std::size_t i = 0, n = 0; i < sjis.size(); i += n) {
        if (w > buffer + sizeof buffer - 3) {
            out.append(buffer, static_cast<std::size_t>(w - buffer));
            w = buffer;
        }
        const char16_t u = decodeAt(t, sjis, i, n);
        struct {
            char*& at;
            void operator+=(char c) { *at++ = c; }
        } into{w};
        appendUtf8(into, u);
        const unsigned lead = static_cast<unsigned char>(sjis[i]);
        same =
            same && t.kept(n == 2 ? lead * 256u + static_cast<unsigned char>(sjis[i + 1]) : lead);
    }
    out.append(buffer, static_cast<std::size_t>(w - buffer));
    return same;
}

Bytes encodeUnit(char16_t unit) {
    if (unit == 0) return Bytes(1, '\0');
    const std::uint16_t code = tables().encode[unit];
    if (code == 0) return {};
    if (code < 0x100) return Bytes(1, static_cast<char>(code));
    return Bytes{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

Bytes fromUnicode(QStringView text, bool* ok) {
    const Tables& t = tables();
    Bytes out;
    out.reserve(static_cast<std::size_t>(text.size()) * 2);
    bool all = true;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const std::uint16_t code = u == 0 ? 0 : t.encode[u];
        if (u == 0) {
            out.push_back('\0');
        } else if (code == 0) {
            out.push_back('?');
            all = false;
        } else if (code < 0x100) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
    }
    if (ok) *ok = all;
    return out;
}

const std::uint16_t* encodeTable() {
    return tables().encode.data();
}

bool canEncode(QStringView text) {
    const Tables& t = tables();
    for (QChar c : text)
        if (c.unicode() != 0 && t.encode[c.unicode()] == 0) return false;
    return true;
}

} // namespace rinova::text
