// Half-width digits and letters turned into characters that stand upright in a vertical line.
#pragma once

#include <QString>
#include <QStringView>

namespace rinova::card {

// How the digits of an address stand in a column ("Numbers" of section SET).
enum class NumberStyle {
    Kanji = 0,     // 1-9 kanji numerals, 0 the full-width ０; full-width digits as typed
    KanjiZero = 1, // the same with 〇 for 0, full-width digits converted too
    Upright = 2,   // numbers of one or two digits side by side in one cell, longer ones
                   // one full-width digit a cell
};

// One output unit per input unit: 0 becomes ０, 1-9 kanji numerals, letters full-width
// capitals; every other unit is copied.
QString toVerticalText(QStringView text);

// The same with the digits, half- or full-width, in the given style; NumberStyle::Kanji is
// toVerticalText. Upright leaves numbers of one or two digits as half-width digits, for a column
// that sets them side by side (drawing::TextOp::digitPairs).
QString toVerticalText(QStringView text, NumberStyle style);

} // namespace rinova::card
