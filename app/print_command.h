// The print command and the printer set-up command of the main window, asking through the
// prompts interface only: the window hands in the selected rows and a callback that draws one
// row's card.
#pragma once

#include "printing/card_job.h"
#include "printing/printer_surface.h"

#include <functional>

namespace rinova::app {

// What the user is told after stopping a job (`job`: "印刷", "PDFへの保存"): that none of the
// `count` cards of rows first..last was `verb`ed ("印刷", "保存").
QString stoppedMessage(const QString& job, const QString& verb, int first, int last, int count);

// Which rows of a range a job prints (rows whose print mark says しない are passed over); all
// when empty.
using RowPrints = std::function<bool(int row)>;
// How many of rows first..last print.
int printedCount(int first, int last, const RowPrints& prints);

// A job's watcher that first handles pending events, so that repaints, menus and the stop
// command work while the job runs, then tells afterCard.
printing::CardDone withEvents(const printing::CardDone& afterCard);

class PrintCommand {
public:
    // Draws the card of one grid row on the surface's current page (its canvas()).
    using DrawRow = std::function<void(printing::PrinterSurface& surface, int row)>;

    // Jobs run as `job`, the one that the PDF command shares.
    explicit PrintCommand(printing::CardJob& job,
                          printing::PrinterSource source = printing::defaultPrinter);

    // Prints rows min(a, b) .. max(a, b) (rows before 1 left out; nothing when none is left) as
    // one job, one card per page: asks for the sheet count when there is more than one row,
    // shows the print dialog on a copy of the current printer and makes the choice current,
    // says so when the paper is not a postcard's and asks whether to go on. "現在印刷中です"
    // refuses the choice while a job prints on this printer, and the job while any job runs.
    // afterCard hears of each card once pending events are handled. A job stopped with
    // CardJob::stop() is dropped and the user is told that nothing was printed; a job left
    // waiting by a stopped printer is told too. Failures are thrown, the job dropped. Rows that
    // `prints` turns down are passed over: the count asked about is that of the cards, and the
    // question says how many rows are passed over; with none to print the user is told so.
    void print(int rowA, int rowB, const DrawRow& drawRow, const printing::CardDone& afterCard = {},
               const RowPrints& prints = {});
    // The printer set-up dialog on a copy of the current printer; OK makes it current, refused
    // with "現在印刷中です" while a job prints on it.
    void setUp();

    printing::PrinterSurface& surface() { return surface_; }

private:
    // Refuses a dialog's choice while a job prints on the current printer, else makes it the
    // current printer.
    void adopt(std::unique_ptr<QPrinter> chosen);

    printing::CardJob& job_;
    printing::PrinterSurface surface_;
};

} // namespace rinova::app
