// Replacement of half-width digits and letters for vertical writing.
#include "card/to_vertical_text.h"

namespace rinova::card {
namespace {

// Digits 0-9 as they stand upright in a vertical line: zero stays a digit (full-width), the
// others become kanji numerals.
constexpr char16_t kDigits[10] = {u'\uFF10', u'一', u'二', u'三', u'四',
                                  u'五',     u'六', u'七', u'八', u'九'};

char16_t verticalUnit(char16_t u) {
    if (u >= u'0' && u <= u'9') return kDigits[u - u'0'];
    // Both cases become full-width capitals: there is no full-width lower-case entry.
    if (u >= u'a' && u <= u'z') return static_cast<char16_t>(0xFF21 + (u - u'a'));
    if (u >= u'A' && u <= u'Z') return static_cast<char16_t>(0xFF21 + (u - u'A'));
    return u;
}

// The value of a half- or full-width digit, -1 for anything else.
int digitOf(char16_t u) {
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= 0xFF10 && u <= 0xFF19) return u - 0xFF10;
    return -1;
}

} // namespace

QString toVerticalText(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = verticalUnit(text[i].unicode());
    return out;
}

QString toVerticalText(QStringView text, NumberStyle style) {
    if (style != NumberStyle::KanjiZero && style != NumberStyle::Upright)
        return toVerticalText(text);
    QString out = toVerticalText(text);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        while (end < text.size() && digitOf(text[end].unicode()) >= 0)
            ++end;
        if (end == i) {
            ++i;
            continue;
        }
        const bool pair = style == NumberStyle::Upright && end - i <= 2;
        for (qsizetype k = i; k < end; ++k) {
            const int d = digitOf(text[k].unicode());
            if (style == NumberStyle::KanjiZero)
                dst[k] = d == 0 ? u'〇' : kDigits[d];
            else
                dst[k] = static_cast<char16_t>(pair ? u'0' + d : 0xFF10 + d);
        }
        i = end;
    }
    return out;
}

} // namespace rinova::card
