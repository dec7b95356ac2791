// The printer surface: the current printer, the document of a job on it, and the canvas the
// cards of that job are drawn on. Whether a job runs is the CardJob's to say.
#pragma once

#include "drawing/card_picture.h"
#include "printing/spooler.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QPrinterInfo;

namespace rinova::printing {

// The system's default destination; null when there is none. The toolkit alone finds none when
// LPDEST or PRINTER names an instance, or a queue that has instances.
QPrinterInfo defaultPrinterInfo();
// A printer for the system's default destination, on its own default paper; nullptr when there
// is none.
std::unique_ptr<QPrinter> defaultPrinter();

// The queue or instance ("QUEUE/INSTANCE") of that name as the print service lists it, in any
// letter case; null when it lists none such. The toolkit alone takes an instance that does not
// exist for its queue.
QPrinterInfo printerNamed(const QString& name);

// Where the current printer comes from when nobody has chosen one yet.
using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;

// Copies what the print and set-up dialogs can change: destination (or output file), paper and
// margins, orientation, resolution, copies, collation, duplex, colour, driver options.
void copyPrinterSettings(const QPrinter& from, QPrinter& to);
std::unique_ptr<QPrinter> clonePrinter(const QPrinter& from);

// The job options that go with a finished job file to the printer's queue: paper, copies,
// sides, orientation and the options of the printer's properties and print dialogs.
SpoolOptions spoolerOptions(const QPrinter& printer);

// The distance in device pixels from the sheet's top-left corner to the painter's origin on a
// printer page; (0, 0) for any other device.
QPoint physicalOffset(const QPainter& canvas);

// Plays a card at natural size from the sheet's corner of the canvas's printer page.
void playOnSheet(const drawing::CardPicture& picture, QPainter& canvas);

class PrinterSurface {
public:
    explicit PrinterSurface(PrinterSource source = defaultPrinter);
    ~PrinterSurface(); // a job still open is dropped
    PrinterSurface(const PrinterSurface&) = delete;
    PrinterSurface& operator=(const PrinterSurface&) = delete;

    // The current printer, taken from the source on first use. Throws
    // "デフォルト プリンタが存在しません" when there is none (and tries again next time).
    QPrinter& printer();
    // Makes another printer current; a document already begun keeps the copy it was begun on.
    void setPrinter(std::unique_ptr<QPrinter> printer);

    // Begins one job's document with an empty name on a copy of the current printer; page 1 is
    // started. Throws when the printer is unusable or refuses the job, or a document is open.
    void beginDoc();
    // Ends the current page and starts the next.
    void newPage();
    // Ends the last page and hands the job to the spooler; throws when it is refused. The job
    // is over either way. Returns a notice for the user when the job waits in the queue of a
    // stopped printer; empty otherwise.
    QString endDoc();
    // Drops the job without printing anything; never throws.
    void abortDoc() noexcept;

    bool documentOpen() const { return job_ != nullptr; }
    // Pages started in the current job (1 after beginDoc).
    int pageNumber() const;
    // The job's canvas: one object for the whole job; nullptr when idle.
    QPainter* canvas() const;
    bool isCanvas(const QPainter* painter) const { return painter && painter == canvas(); }

    // Plays a card on the current page, its corner on the sheet's corner.
    void playCard(const drawing::CardPicture& picture);

private:
    struct Job;
    PrinterSource source_;
    std::unique_ptr<QPrinter> current_;
    std::unique_ptr<Job> job_;
};

} // namespace rinova::printing
