// Printers that write PDF files, and poppler readings of those files, for the print tests.
#pragma once

#include <QImage>
#include <QPrinter>
#include <QString>
#include <memory>

namespace rinova::testing {

// A printer writing a PDF to `path` on A4 with 10 mm margins, like a driver that cannot print
// to the sheet's edge.
std::unique_ptr<QPrinter> pdfPrinter(const QString& path);

// Pages of a PDF as pdfinfo reads them; -1 when it cannot be read.
int pdfPageCount(const QString& path);
// Page size in points as pdfinfo reads it (first page).
QSizeF pdfPageSizePt(const QString& path);
// One page rasterised by pdftoppm at the given resolution (gray), null when it fails.
QImage pdfPage(const QString& path, int page, int dpi);

// The bounding box of the dark pixels (below `threshold`), empty when there are none.
QRect inkBox(const QImage& image, int threshold = 128);

} // namespace rinova::testing
