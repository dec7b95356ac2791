// Where a line of an address may go on in a second column: places that read well, best first.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace rinova::card {

enum class BreakKind {
    Building,     // after the block number, where the building's name begins
    Blank,        // at a blank inside the line (the blank goes)
    Municipality, // after the city, ward, town or village (…市…区, …郡…町)
    Prefecture,   // after 都, 道, 府 or 県
};

struct ColumnBreak {
    qsizetype at = 0; // the second column starts here (UTF-16 index), blanks at `at` dropped
    BreakKind kind = BreakKind::Blank;
    bool operator==(const ColumnBreak&) const = default;
};

// The sensible breaks of a line in the order of BreakKind, each leaving at least two characters
// on either side.
std::vector<ColumnBreak> sensibleBreaks(QStringView line);

// The line up to a break and from it, without the blanks around the break.
QString beforeBreak(QStringView line, qsizetype at);
QString afterBreak(QStringView line, qsizetype at);

// Whether a break at `at` leaves two characters on either side and splits no character
// (surrogate pair, combining mark).
bool isBreakable(QStringView line, qsizetype at);

} // namespace rinova::card
