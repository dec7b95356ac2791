// The program's PDF command: the selected rows saved as one PDF of 100 x 148 mm pages, the same
// pages `rinova-cli pdf` makes, with the range rules and the question of the print command.
#pragma once

#include "drawing/card_picture.h"
#include "printing/printer_surface.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace rinova::app {

class PdfCommand {
public:
    // The card of one grid row as the printer gets it.
    using CardOf = std::function<drawing::CardPicture(int row)>;

    // Asks for the page count when more than one row is given, then for the file (the save
    // dialog opens on `suggested`), and writes rows min(a, b) .. max(a, b). afterCard hears of
    // each card once pending events are handled; answering false stops the job, leaves any
    // earlier file as it was and tells the user. Returns the file written; nothing when
    // cancelled or stopped. Failures are thrown; `inputs`, the files the cards are made from,
    // are never written over.
    std::optional<QString> save(int rowA, int rowB, const QString& suggested, const CardOf& cardOf,
                                const printing::CardDone& afterCard = {},
                                const QStringList& inputs = {});

    bool saving() const { return saving_; }

private:
    bool saving_ = false;
};

} // namespace rinova::app
