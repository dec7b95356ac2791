// The program's PDF command: the selected rows saved as one PDF of 100 x 148 mm pages, the same
// pages `rinova-cli pdf` makes, with the range rules and the question of the print command.
#pragma once

#include "drawing/card_picture.h"
#include "printing/card_job.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace rinova::app {

class PdfCommand {
public:
    // The card of one grid row as the printer gets it.
    using CardOf = std::function<drawing::CardPicture(int row)>;

    // Jobs run as `job`, the one that the print command shares.
    explicit PdfCommand(printing::CardJob& job) : job_(job) {}

    // Refused with "現在印刷中です" while a job runs. Asks for the page count when more than
    // one row is given, then for the file (the save dialog opens on `suggested`), and writes
    // rows min(a, b) .. max(a, b). afterCard hears of each card once pending events are
    // handled; a job stopped with CardJob::stop() leaves any earlier file as it was and the
    // user is told. Returns the file written; nothing when cancelled or stopped. Failures are
    // thrown; `inputs`, the files the cards are made from, are never written over. Rows that
    // `prints` turns down get no page, as with the print command.
    std::optional<QString> save(int rowA, int rowB, const QString& suggested, const CardOf& cardOf,
                                const printing::CardDone& afterCard = {},
                                const QStringList& inputs = {},
                                const std::function<bool(int row)>& prints = {});

private:
    printing::CardJob& job_;
};

} // namespace rinova::app
