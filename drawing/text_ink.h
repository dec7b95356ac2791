// Where a text's ink falls in its cell, for placing characters in printed boxes by what shows
// rather than by their advance.
#pragma once

#include <QRectF>
#include <QString>

namespace rinova::drawing {

// The ink of a text set as one upright line in a face (any "@" ignored), `height` card units
// tall: its box from the cell's top-left corner, in card units, y growing downward. Empty when
// nothing inks (a blank). `advance`, when given, receives the line's length.
QRectF lineInk(const QString& text, const QString& face, double height, double* advance = nullptr);

} // namespace rinova::drawing
