// Half-width digits and letters turned into characters that stand upright in a vertical line.
#pragma once

#include <QString>
#include <QStringView>

namespace rinova::card {

// One output unit per input unit: 0 becomes ０, 1-9 kanji numerals, letters full-width
// capitals; every other unit is copied.
QString toVerticalText(QStringView text);

} // namespace rinova::card
