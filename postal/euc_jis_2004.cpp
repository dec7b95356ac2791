#include "postal/euc_jis_2004.h"

#include <array>
#include <iconv.h>
#include <memory>

namespace rinova::postal {
namespace {

constexpr int kCells = 94 * 94;
constexpr char16_t kReplacement = 0xFFFD;

// Each cell of the two planes gives at most two UTF-16 units (a character beyond the basic plane,
// or a kana with a combining mark); {0, 0} when it gives none.
struct Tables {
    std::array<std::array<char16_t, 2>, kCells> plane1{};
    std::array<std::array<char16_t, 2>, kCells> plane2{};
};

// Decodes every cell of one plane in one iconv pass: the cells one after another, each followed
// by a newline, so the output splits back into cells. A cell iconv refuses is skipped and left
// empty.
void fillPlane(iconv_t cd, bool second, std::array<std::array<char16_t, 2>, kCells>& plane) {
    std::string in;
    in.reserve(kCells * 4);
    for (int row = 0; row < 94; ++row)
        for (int col = 0; col < 94; ++col) {
            if (second) in.push_back(static_cast<char>(0x8F));
            in.push_back(static_cast<char>(0xA1 + row));
            in.push_back(static_cast<char>(0xA1 + col));
            in.push_back('\n');
        }
    const std::size_t cellBytes = second ? 4 : 3;
    std::u16string out(in.size() * 2, u'\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size() * sizeof(char16_t);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
        // A refused cell: step over the rest of it and mark it with a lone newline.
        const std::size_t into = (in.size() - inLeft) % cellBytes;
        const std::size_t skip = cellBytes - into;
        if (skip > inLeft || outLeft < sizeof(char16_t)) break;
        inPtr += skip;
        inLeft -= skip;
        *reinterpret_cast<char16_t*>(outPtr) = u'\n';
        outPtr += sizeof(char16_t);
        outLeft -= sizeof(char16_t);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.resize(out.size() - outLeft / sizeof(char16_t));
    std::size_t cell = 0, start = 0;
    for (std::size_t i = 0; i < out.size() && cell < kCells; ++i) {
        if (out[i] != u'\n') continue;
        const std::size_t n = i - start;
        if (n >= 1 && n <= 2) plane[cell] = {out[start], n == 2 ? out[start + 1] : u'\0'};
        start = i + 1;
        ++cell;
    }
}

std::unique_ptr<Tables> buildTables() {
    auto t = std::make_unique<Tables>();
    iconv_t cd = iconv_open("UTF-16LE", "EUC-JISX0213");
    if (cd == reinterpret_cast<iconv_t>(-1)) return t; // only ASCII and half-width kana then
    fillPlane(cd, false, t->plane1);
    fillPlane(cd, true, t->plane2);
    iconv_close(cd);
    return t;
}

const Tables& tables() {
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

bool isCellByte(unsigned char b) {
    return b >= 0xA1 && b <= 0xFE;
}

} // namespace

void appendEucJis2004(std::string_view bytes, std::u16string& out) {
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n / 2 + 16);
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        const std::array<char16_t, 2>* cell = nullptr;
        std::size_t length = 1;
        if (isCellByte(b) && i + 1 < n && isCellByte(p[i + 1])) {
            cell = &t.plane1[(b - 0xA1) * 94 + (p[i + 1] - 0xA1)];
            length = 2;
        } else if (b == 0x8F && i + 2 < n && isCellByte(p[i + 1]) && isCellByte(p[i + 2])) {
            cell = &t.plane2[(p[i + 1] - 0xA1) * 94 + (p[i + 2] - 0xA1)];
            length = 3;
        } else if (b == 0x8E && i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF) {
            out.push_back(static_cast<char16_t>(0xFF61 + (p[i + 1] - 0xA1)));
            i += 2;
            continue;
        }
        if (cell && (*cell)[0] != u'\0') {
            out.push_back((*cell)[0]);
            if ((*cell)[1] != u'\0') out.push_back((*cell)[1]);
        } else {
            out.append(length, kReplacement);
        }
        i += length;
    }
}

} // namespace rinova::postal
