// How an address text is compared with the postal data: the forms that real lists vary in are
// brought to one, and the prefecture and city are told apart from the rest.
#pragma once

#include <QString>
#include <QStringView>

namespace rinova::postal {

// The comparison form of an address: half- and full-width digits and letters alike (letters
// upper case), half-width kana full-width, every hyphen and dash (and ー between digits) "-",
// ヶ ケ ヵ が one, の ノ one, old and variant forms of a few kanji their common form, kanji
// numerals before 丁目, 丁, 条, 番, 号, 地割 and 線 Arabic, 大字 and every space gone.
QString comparisonForm(QStringView address);

// The 47 prefectures, in the order of their codes (北海道 first).
QStringView prefectureName(int index);
int prefectureCount();
// The index of the prefecture `address` begins with, or -1.
int prefectureAt(QStringView address);

// The city part of an address that follows its prefecture, by the rules of the names: a 郡 with
// its 町 or 村, a city with its ward (the 区 of a designated city follows its 市), or a 市, 区,
// 町 or 村. The length in units; 0 when none is found.
qsizetype cityLengthByRule(QStringView afterPrefecture);

// The digits of a postal code as written, half- or full-width, in their order; 〒, hyphens and
// whatever else stands between them are left out.
QString codeDigits(QStringView written);

// "1234567" as "123-4567"; any other text as it is.
QString displayCode(const QString& digits);

} // namespace rinova::postal
