// The print command and the printer set-up command of the main window, free of widgets: the
// main window hands in the selected rows and a callback that draws one row's card.
#pragma once

#include "printing/printer_surface.h"

#include <functional>

namespace rinova::app {

// What the user is told after stopping a job (`job`: "印刷", "PDFへの保存"): that none of rows
// first..last was `verb`ed ("印刷", "保存").
QString stoppedMessage(const QString& job, const QString& verb, int first, int last);

class PrintCommand {
public:
    // Draws the card of one grid row on the surface's current page (its canvas()).
    using DrawRow = std::function<void(printing::PrinterSurface& surface, int row)>;

    explicit PrintCommand(printing::PrinterSource source = printing::defaultPrinter);

    // Asks for the sheet count when more than one row is given, shows the print
    // dialog on a copy of the current printer, says so when its paper is not a postcard's and
    // asks whether to go on, then prints rows min(a, b) .. max(a, b) as one job, one card per
    // page. afterCard hears of each card once pending events are handled; when it answers
    // false the job is dropped and the user is told that nothing was printed. Failures are
    // thrown; the job is then dropped and the state is idle again.
    void print(int rowA, int rowB, const DrawRow& drawRow,
               const printing::CardDone& afterCard = {});
    // The printer set-up dialog on a copy of the current printer; OK makes it current.
    void setUp();

    bool printing() const { return surface_.printing(); }
    printing::PrinterSurface& surface() { return surface_; }

private:
    // Refuses a dialog's choice while a job runs, else makes it the current printer.
    void adopt(std::unique_ptr<QPrinter> chosen);

    printing::PrinterSurface surface_;
};

} // namespace rinova::app
