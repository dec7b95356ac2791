// The print command and the printer set-up command of the main window, free of widgets: the
// main window hands in the selected rows and a callback that draws one row's card.
#pragma once

#include "surface/printer_surface.h"

#include <functional>

namespace rinova::app {

class PrintCommand {
public:
    // Draws the card of one grid row on the surface's current page (its canvas()).
    using DrawRow = std::function<void(surface::PrinterSurface& surface, int row)>;

    explicit PrintCommand(surface::PrinterSource source = surface::defaultPrinter);

    // Asks for the sheet count when more than one row is given, shows the print
    // dialog on a copy of the current printer, then prints rows min(a, b) .. max(a, b) as one
    // job, one card per page. Failures are thrown; the job is then dropped and the state is
    // idle again.
    void print(int rowA, int rowB, const DrawRow& drawRow);
    // The printer set-up dialog on a copy of the current printer; OK makes it current.
    void setUp();

    bool printing() const { return surface_.printing(); }
    surface::PrinterSurface& surface() { return surface_; }

private:
    // Refuses a dialog's choice while a job runs, else makes it the current printer.
    void adopt(std::unique_ptr<QPrinter> chosen);

    surface::PrinterSurface surface_;
};

} // namespace rinova::app
