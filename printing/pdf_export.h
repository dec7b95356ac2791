// Cards saved as a PDF, one 100 x 148 mm page each: the page set-up that `rinova-cli pdf` and
// the program's PDF command share, and a safe write of the whole file.
#pragma once

#include "drawing/card_picture.h"
#include "printing/card_job.h"

#include <QString>
#include <functional>
#include <memory>

class QPrinter;

namespace rinova::printing {

// A printer writing card pages to `file`: 284 x 420 pt, full page, 0.01 mm per device pixel.
std::unique_ptr<QPrinter> cardPdfPrinter(const QString& file);

// Writes the cards of rows first..last, each played at the page's corner as the printer gets
// it, as a run of `job` (refused with "現在印刷中です" while it runs). The file is written
// beside `target` and renamed over it only when complete, so a failure or a stop leaves any
// earlier file as it was and nothing behind.
// A link is written through to the file it names. Failures are thrown in Japanese.
JobEnd writeCardPdf(CardJob& job, const QString& target, int first, int last,
                    const std::function<drawing::CardPicture(int row)>& cardOf,
                    const CardDone& afterCard = {});

} // namespace rinova::printing
