// Cards saved as a PDF, one page of exactly 100 x 148 mm each: what `rinova-cli pdf` and the
// program's PDF command both write, and the page set-up they share.
#pragma once

#include "drawing/card_picture.h"
#include "printing/card_job.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QPrinter;

namespace rinova::printing {

// A printer writing card pages to `file`: 284 x 420 pt, full page, 0.01 mm per device pixel
// (writeCardPdf narrows the finished pages to 100 x 148 mm).
std::unique_ptr<QPrinter> cardPdfPrinter(const QString& file);

// Writes the cards of rows first..last, each played at the page's corner as the printer gets
// it, as a run of `job` (refused with "現在印刷中です" while it runs), into a
// files::Replacement of `target`: a chain of links is followed to the file it ends at, and that
// file is replaced only by a whole PDF, so a failure or a stop leaves any earlier file as it was
// and nothing behind. A target that is one of `inputs` (the address and settings files read),
// read-only or not a regular file is refused before any card is drawn. Failures are thrown in
// Japanese. Rows that `prints` turns down get no page.
JobEnd writeCardPdf(CardJob& job, const QString& target, int first, int last,
                    const std::function<drawing::CardPicture(int row)>& cardOf,
                    const CardDone& afterCard = {}, const QStringList& inputs = {},
                    const std::function<bool(int row)>& prints = {});

} // namespace rinova::printing
