// A job's pages made exactly the size of the sheet they print on. The toolkit writes PDF pages
// in whole points (a 100 x 148 mm card becomes 284 x 419 pt); the print service's filters then
// centre such a page on a sheet of another size, which moves every card by half the difference
// (0.1 to 0.2 mm), or scale it to fit. A page of the sheet's own size, its top-left corner
// where the toolkit put it, is placed as it is.
#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

class QPageSize;
class QPrinter;

namespace rinova::printing {

// A paper's size in points as it is defined (100 x 148 mm gives 283.465 x 419.528), not rounded
// to whole points as QPageSize::sizePoints() does.
QSizeF exactPoints(const QPageSize& size);

// The sheet, in points, that the printer's queue prints a job of its settings on: the paper its
// driver description (PPD) marks for the job's paper and options over the queue's defaults, as
// the print service's filters take it. Nothing when the printer is no queue or the queue has no
// description.
std::optional<QSizeF> queueSheetPoints(const QPrinter& printer);

// Rewrites, in place, the page box of every page of the PDF open read-write on `fd` that the
// toolkit wrote with pages of `written` whole points to `sheet` points, the top-left corner kept
// where it is (so the page keeps its drawing and only its right and bottom edges move, never
// beyond the sheet). Pages of any other box are left as they are; no byte of the file moves.
// Returns 0, or the error of the read or write that failed.
int fitPagesToSheet(int fd, QSize written, QSizeF sheet);

} // namespace rinova::printing
