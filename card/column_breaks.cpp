#include "card/column_breaks.h"

#include <algorithm>

namespace rinova::card {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\u3000';
}

bool isNumeral(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19) ||
           QStringView(u"〇一二三四五六七八九十百千").contains(c);
}

// Marks of a block number: 一丁目二番地三号, 1-2-3, 二の五.
bool isNumberMark(QChar c) {
    return QStringView(u"丁目番地号の-－‐―−").contains(c);
}

// A building does not start with what ends a room or floor number.
bool endsANumber(QChar c) {
    return QStringView(u"室階棟号条Ｆ").contains(c);
}

qsizetype trimmedLength(QStringView s) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (!isBlank(s[i])) ++n;
    return n;
}

// After the last block number that a building's name follows.
std::vector<qsizetype> buildingBreaks(QStringView t) {
    std::vector<qsizetype> out;
    qsizetype i = 0;
    while (i < t.size()) {
        if (!isNumeral(t[i])) {
            ++i;
            continue;
        }
        // A run of numerals and marks; ー stands for a dash only between numerals.
        qsizetype e = i;
        bool marked = false;
        while (e < t.size()) {
            const QChar c = t[e];
            const bool dashBetween = c == u'ー' && e > i && isNumeral(t[e - 1]) &&
                                     e + 1 < t.size() && isNumeral(t[e + 1]);
            if (isNumeral(c)) {
            } else if (isNumberMark(c) || dashBetween) {
                marked = true;
            } else {
                break;
            }
            ++e;
        }
        if (marked && e < t.size() && !isBlank(t[e]) && !endsANumber(t[e])) {
            out.assign(1, e);
        }
        i = e;
    }
    return out;
}

std::vector<qsizetype> blankBreaks(QStringView t) {
    std::vector<qsizetype> out;
    for (qsizetype i = 1; i < t.size(); ++i)
        if (isBlank(t[i]) && !isBlank(t[i - 1])) out.push_back(i);
    return out;
}

qsizetype prefectureEnd(QStringView t) {
    for (qsizetype i = 2; i <= 3 && i < t.size(); ++i)
        if (QStringView(u"都道府県").contains(t[i])) return i + 1;
    return 0;
}

qsizetype municipalityEnd(QStringView t, qsizetype from) {
    for (qsizetype j = from + 1; j < t.size(); ++j) {
        const QChar c = t[j];
        if (c == u'郡') {
            for (qsizetype k = j + 2; k < t.size(); ++k)
                if (t[k] == u'町' || t[k] == u'村') return k + 1;
            return j + 1;
        }
        if (c == u'市') {
            // A city of wards: …市…区.
            for (qsizetype k = j + 2; k < t.size() && k <= j + 4; ++k)
                if (t[k] == u'区') return k + 1;
            return j + 1;
        }
        if (c == u'区' || c == u'町' || c == u'村') return j + 1;
    }
    return 0;
}

} // namespace

bool isBreakable(QStringView line, qsizetype at) {
    if (at <= 0 || at >= line.size()) return false;
    if (line[at].isLowSurrogate()) return false;
    const QChar::Category cat = line[at].category();
    if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining ||
        cat == QChar::Mark_Enclosing)
        return false;
    return trimmedLength(line.left(at)) >= 2 && trimmedLength(line.mid(at)) >= 2;
}

QString beforeBreak(QStringView line, qsizetype at) {
    QStringView s = line.left(at);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s.toString();
}

QString afterBreak(QStringView line, qsizetype at) {
    QStringView s = line.mid(at);
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.mid(1);
    return s.toString();
}

std::vector<ColumnBreak> sensibleBreaks(QStringView line) {
    std::vector<ColumnBreak> out;
    const auto add = [&](qsizetype at, BreakKind kind) {
        if (!isBreakable(line, at)) return;
        if (std::none_of(out.begin(), out.end(), [&](const ColumnBreak& b) { return b.at == at; }))
            out.push_back({at, kind});
    };
    for (qsizetype at : buildingBreaks(line))
        add(at, BreakKind::Building);
    for (qsizetype at : blankBreaks(line))
        add(at, BreakKind::Blank);
    const qsizetype prefecture = prefectureEnd(line);
    if (const qsizetype m = municipalityEnd(line, prefecture); m > 0)
        add(m, BreakKind::Municipality);
    if (prefecture > 0) add(prefecture, BreakKind::Prefecture);
    return out;
}

} // namespace rinova::card
