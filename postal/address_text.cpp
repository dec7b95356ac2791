#include "postal/address_text.h"

#include <array>
#include <string_view>

namespace rinova::postal {
namespace {

constexpr std::array<std::u16string_view, 47> kPrefectures = {
    u"北海道", u"青森県", u"岩手県", u"宮城県", u"秋田県", u"山形県",   u"福島県", u"茨城県",
    u"栃木県", u"群馬県", u"埼玉県", u"千葉県", u"東京都", u"神奈川県", u"新潟県", u"富山県",
    u"石川県", u"福井県", u"山梨県", u"長野県", u"岐阜県", u"静岡県",   u"愛知県", u"三重県",
    u"滋賀県", u"京都府", u"大阪府", u"兵庫県", u"奈良県", u"和歌山県", u"鳥取県", u"島根県",
    u"岡山県", u"広島県", u"山口県", u"徳島県", u"香川県", u"愛媛県",   u"高知県", u"福岡県",
    u"佐賀県", u"長崎県", u"熊本県", u"大分県", u"宮崎県", u"鹿児島県", u"沖縄県"};

// The designated cities, whose 市 is followed by a ward.
constexpr std::array<std::u16string_view, 20> kWardCities = {
    u"札幌市", u"仙台市", u"さいたま市", u"千葉市",   u"横浜市", u"川崎市", u"相模原市",
    u"新潟市", u"静岡市", u"浜松市",     u"名古屋市", u"京都市", u"大阪市", u"堺市",
    u"神戸市", u"岡山市", u"広島市",     u"北九州市", u"福岡市", u"熊本市"};

// Old and variant forms that lists and the data write either way.
constexpr std::pair<char16_t, char16_t> kVariants[] = {
    {u'髙', u'高'}, {u'﨑', u'崎'}, {u'嵜', u'崎'},     {u'碕', u'崎'},     {u'德', u'徳'},
    {u'邊', u'辺'}, {u'邉', u'辺'}, {u'澤', u'沢'},     {u'濱', u'浜'},     {u'濵', u'浜'},
    {u'齋', u'斎'}, {u'廣', u'広'}, {u'櫻', u'桜'},     {u'國', u'国'},     {u'峯', u'峰'},
    {u'嶋', u'島'}, {u'嶌', u'島'}, {u'冨', u'富'},     {u'瀨', u'瀬'},     {u'曾', u'曽'},
    {u'槇', u'槙'}, {u'舘', u'館'}, {u'\uFA10', u'塚'}, {u'靑', u'青'},     {u'眞', u'真'},
    {u'藏', u'蔵'}, {u'穗', u'穂'}, {u'惠', u'恵'},     {u'\uFA19', u'神'}, {u'\uFA1B', u'福'},
    {u'ヶ', u'ケ'}, {u'ヵ', u'ケ'}, {u'が', u'ケ'},     {u'ノ', u'の'},     {u'〜', u'~'},
    {u'∼', u'~'}};

// Half-width katakana from ｦ (U+FF66) to ﾝ (U+FF9D), full-width.
constexpr std::u16string_view kHalfKana =
    u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
    u"ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";

bool isDash(char16_t c) {
    switch (c) {
    case u'-':
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:
    case 0x2015:
    case 0x2212:
    case 0xFE63:
    case 0xFF0D:
    case 0x2500:
    case 0x2501:
        return true;
    default:
        return false;
    }
}

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int kanjiDigit(char16_t c) {
    constexpr std::u16string_view digits = u"〇一二三四五六七八九";
    const std::size_t at = digits.find(c);
    return at == std::u16string_view::npos ? -1 : static_cast<int>(at);
}

int kanjiUnit(char16_t c) {
    return c == u'十' ? 10 : c == u'百' ? 100 : c == u'千' ? 1000 : 0;
}

// A run of kanji numerals as a number: 二十九 is 29, 百二 102, 二〇 20.
long numeralValue(QStringView run) {
    bool positional = false;
    for (QChar c : run)
        positional = positional || kanjiUnit(c.unicode()) != 0;
    long value = 0;
    if (!positional) {
        for (QChar c : run)
            value = value * 10 + kanjiDigit(c.unicode());
        return value;
    }
    long digit = -1;
    for (QChar c : run) {
        const int unit = kanjiUnit(c.unicode());
        if (unit == 0) {
            digit = kanjiDigit(c.unicode());
        } else {
            value += (digit < 0 ? 1 : digit) * unit;
            digit = -1;
        }
    }
    return value + (digit < 0 ? 0 : digit);
}

bool numeralSuffixAt(QStringView s, qsizetype i) {
    static constexpr std::u16string_view kSuffixes[] = {u"丁", u"条", u"番", u"号", u"地割", u"線"};
    for (std::u16string_view suffix : kSuffixes)
        if (s.sliced(i).startsWith(QStringView(suffix.data(), qsizetype(suffix.size()))))
            return true;
    return false;
}

// Kanji numerals that count 丁目, 条, 番 … as Arabic ones, so 三丁目 and 3丁目 compare alike.
QString arabicCounts(const QString& s) {
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    while (i < s.size()) {
        qsizetype end = i;
        while (end < s.size() && end - i < 8 &&
               (kanjiDigit(s[end].unicode()) >= 0 || kanjiUnit(s[end].unicode()) != 0))
            ++end;
        if (end > i && end < s.size() && numeralSuffixAt(s, end)) {
            out += QString::number(numeralValue(QStringView(s).sliced(i, end - i)));
            i = end;
        } else if (end > i) {
            out += QStringView(s).sliced(i, end - i);
            i = end;
        } else {
            out += s[i++];
        }
    }
    return out;
}

} // namespace

QString comparisonForm(QStringView address) {
    QString out;
    out.reserve(address.size());
    for (qsizetype i = 0; i < address.size(); ++i) {
        char16_t c = address[i].unicode();
        if (c <= 0x20 || c == 0x3000 || c == 0x00A0) continue;
        if (c == 0xD842 && i + 1 < address.size() && address[i + 1].unicode() == 0xDFB7) {
            out += u'吉'; // 𠮷
            ++i;
            continue;
        }
        if (c >= 0xFF01 && c <= 0xFF5E && c != 0xFF0D) c = static_cast<char16_t>(c - 0xFEE0);
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
        if (c >= 0xFF66 && c <= 0xFF9D) {
            c = kHalfKana[c - 0xFF66];
            // A half-width voiced or semi-voiced mark joins the kana before it.
            const char16_t mark = i + 1 < address.size() ? address[i + 1].unicode() : 0;
            if (mark == 0xFF9E || mark == 0xFF9F) {
                const QString joined = QString(QChar(c))
                                           .append(QChar(mark == 0xFF9E ? 0x3099 : 0x309A))
                                           .normalized(QString::NormalizationForm_C);
                if (joined.size() == 1) {
                    c = joined[0].unicode();
                    ++i;
                }
            }
        }
        if (isDash(c) ||
            ((c == u'ー' || c == 0xFF70) && !out.isEmpty() && isAsciiDigit(out.back().unicode())))
            c = u'-';
        for (const auto& [from, to] : kVariants)
            if (c == from) c = to;
        out += QChar(c);
    }
    out = arabicCounts(out);
    out.remove(QStringLiteral("大字"));
    return out;
}

QStringView prefectureName(int index) {
    const std::u16string_view name = kPrefectures.at(static_cast<std::size_t>(index));
    return QStringView(name.data(), qsizetype(name.size()));
}

int prefectureCount() {
    return static_cast<int>(kPrefectures.size());
}

int prefectureAt(QStringView address) {
    for (int i = 0; i < prefectureCount(); ++i)
        if (address.startsWith(prefectureName(i))) return i;
    return -1;
}

qsizetype cityLengthByRule(QStringView s) {
    // Extends a name over a doubled 市, 町 or 村 (四日市市, 大町町, 玉村町).
    const auto through = [&](qsizetype at) {
        while (at + 1 < s.size() &&
               (s[at + 1] == u'市' || s[at + 1] == u'町' || s[at + 1] == u'村'))
            ++at;
        return at + 1;
    };
    const qsizetype gun = s.indexOf(u'郡');
    const qsizetype shi = s.indexOf(u'市', 1);
    // A 郡 counts when no 市 comes before it (鹿児島市郡山町) and a 町 or 村 follows it before
    // any 市 (大和郡山市 is a city).
    if (gun > 0 && (shi < 0 || gun < shi)) {
        for (qsizetype i = gun + 1; i < s.size() && s[i] != u'市'; ++i)
            if (s[i] == u'町' || s[i] == u'村') return through(i);
    }
    if (shi > 0) {
        const qsizetype city = through(shi);
        for (std::u16string_view ward : kWardCities) {
            if (!s.startsWith(QStringView(ward.data(), qsizetype(ward.size())))) continue;
            const qsizetype ku = s.indexOf(u'区', city);
            return ku > city ? ku + 1 : city;
        }
        return city;
    }
    for (qsizetype i = 1; i < s.size(); ++i)
        if (s[i] == u'区' || s[i] == u'町' || s[i] == u'村') return through(i);
    return 0;
}

QString codeDigits(QStringView written) {
    QString digits;
    for (QChar c : written) {
        const char16_t u = c.unicode();
        if (isAsciiDigit(u))
            digits += c;
        else if (u >= 0xFF10 && u <= 0xFF19)
            digits += QChar(u - 0xFEE0);
    }
    return digits;
}

QString displayCode(const QString& digits) {
    return digits.size() == 7 ? digits.left(3) + u'-' + digits.mid(3) : digits;
}

} // namespace rinova::postal
