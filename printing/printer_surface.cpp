#include "printing/printer_surface.h"

#include "drawing/playback.h"
#include "files/temporary_file.h"
#include "printing/paper.h"
#include "printing/sheet_fit.h"
#include "printing/spooler.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace rinova::printing {
namespace {

// The key under which the CUPS print engine keeps the options of the printer's properties
// dialog, as name/value pairs.
const auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

const QString kNoDefaultPrinter = QStringLiteral("デフォルト プリンタが存在しません");
const QString kInvalidPrinter = QStringLiteral("選択したプリンタは有効ではありません");
const QString kCannotStart = QStringLiteral("印刷を開始できません");

text::Failure printFailed(const QString& detail) {
    return text::Failure(QStringLiteral("印刷に失敗しました: ") + detail);
}

// A printer that sends its job to a spooler queue (rather than writing a file of our asking).
bool spools(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty();
}

bool badState(const QPrinter& printer) {
    return printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted;
}

} // namespace

// The job options the printer's settings stand for, in the order the toolkit's own print
// engine would give them (later ones win).
SpoolOptions spoolerOptions(const QPrinter& printer) {
    SpoolOptions options;
    auto option = [&](const QString& name, const QString& value) {
        options.emplace_back(name, value);
    };
    const QPageLayout layout = printer.pageLayout();
    option(QStringLiteral("media"), layout.pageSize().key());
    if (printer.copyCount() > 1) {
        option(QStringLiteral("copies"), QString::number(printer.copyCount()));
        if (printer.collateCopies()) option(QStringLiteral("Collate"), QStringLiteral("True"));
    }
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        option(QStringLiteral("sides"), QStringLiteral("one-sided"));
        break;
    case QPrinter::DuplexAuto:
        option(QStringLiteral("sides"), layout.orientation() == QPageLayout::Portrait
                                            ? QStringLiteral("two-sided-long-edge")
                                            : QStringLiteral("two-sided-short-edge"));
        break;
    case QPrinter::DuplexLongSide:
        option(QStringLiteral("sides"), QStringLiteral("two-sided-long-edge"));
        break;
    case QPrinter::DuplexShortSide:
        option(QStringLiteral("sides"), QStringLiteral("two-sided-short-edge"));
        break;
    }
    if (layout.orientation() == QPageLayout::Landscape)
        option(QStringLiteral("landscape"), QStringLiteral("true"));
    // The dialog's page range or page set ends up here too; the job drops it (SpoolJob).
    const QStringList pairs =
        const_cast<QPrinter&>(printer).printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        option(pairs[i], pairs[i + 1]);
    return options;
}

QPrinterInfo printerNamed(const QString& name) {
    for (const QString& listed : QPrinterInfo::availablePrinterNames())
        if (listed.compare(name, Qt::CaseInsensitive) == 0)
            return QPrinterInfo::printerInfo(listed);
    return {};
}

QPrinterInfo defaultPrinterInfo() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull() && !info.printerName().isEmpty()) return info;
    const QString name = defaultDestination();
    return name.isEmpty() ? QPrinterInfo() : printerNamed(name);
}

std::unique_ptr<QPrinter> defaultPrinter() {
    const QPrinterInfo info = defaultPrinterInfo();
    if (info.isNull()) return nullptr;
    return printerFor(info);
}

void copyPrinterSettings(const QPrinter& from, QPrinter& to) {
    to.setOutputFormat(from.outputFormat());
    if (from.outputFormat() == QPrinter::NativeFormat) to.setPrinterName(from.printerName());
    // An empty name would switch a file printer back to the spooler, a ".pdf" name to PDF.
    if (!from.outputFileName().isEmpty()) to.setOutputFileName(from.outputFileName());
    to.setResolution(from.resolution());
    to.setFullPage(from.fullPage());
    to.setPageLayout(from.pageLayout());
    to.setCopyCount(from.copyCount());
    to.setCollateCopies(from.collateCopies());
    to.setDuplex(from.duplex());
    to.setColorMode(from.colorMode());
    to.setPageOrder(from.pageOrder());
    to.setDocName(QString());
    if (from.outputFormat() == QPrinter::NativeFormat) {
        const QVariant options = const_cast<QPrinter&>(from).printEngine()->property(kCupsOptions);
        if (options.isValid()) to.printEngine()->setProperty(kCupsOptions, options);
    }
}

std::unique_ptr<QPrinter> clonePrinter(const QPrinter& from) {
    auto to = std::make_unique<QPrinter>(QPrinter::HighResolution);
    copyPrinterSettings(from, *to);
    return to;
}

QPoint physicalOffset(const QPainter& canvas) {
    QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Printer) return {};
    const auto* printer = static_cast<const QPrinter*>(device);
    const QPointF d = printer->pageRect(QPrinter::DevicePixel).topLeft() -
                      printer->paperRect(QPrinter::DevicePixel).topLeft();
    return {static_cast<int>(std::lround(d.x())), static_cast<int>(std::lround(d.y()))};
}

void playOnSheet(const drawing::CardPicture& picture, QPainter& canvas) {
    QPaintDevice* device = canvas.device();
    if (!device) return;
    const QPoint offset = physicalOffset(canvas);
    drawing::playNatural(picture, canvas, -offset.x(), -offset.y(), device->logicalDpiX() / 25.4,
                         device->logicalDpiY() / 25.4);
}

struct PrinterSurface::Job {
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<files::TemporaryFile> spoolFile; // the job's file while it goes to a queue
    QPainter painter;
    int pages = 0;
};

PrinterSurface::PrinterSurface(PrinterSource source) : source_(std::move(source)) {}

PrinterSurface::~PrinterSurface() {
    abortDoc();
}

QPrinter& PrinterSurface::printer() {
    if (!current_) {
        std::unique_ptr<QPrinter> p = source_ ? source_() : nullptr;
        if (!p) throw text::Failure(kNoDefaultPrinter);
        current_ = std::move(p);
    }
    return *current_;
}

void PrinterSurface::setPrinter(std::unique_ptr<QPrinter> printer) {
    if (printer) current_ = std::move(printer);
}

void PrinterSurface::beginDoc() {
    if (job_) throw text::Failure(kCannotStart);
    QPrinter& current = printer();
    auto job = std::make_unique<Job>();
    job->printer = clonePrinter(current);
    if (spools(current)) {
        // A queue that has gone away, or a copy that could not take the queue's name, would
        // silently print elsewhere.
        if (current.printerName().isEmpty() || printerNamed(current.printerName()).isNull() ||
            job->printer->printerName() != current.printerName() || !job->printer->isValid())
            throw text::Failure(kInvalidPrinter);
        // The job is written to a file of ours and spooled when it ends, so that the spooler's
        // answer can be examined and a dropped job never reaches the queue.
        job->spoolFile = files::TemporaryFile::create(QFile::encodeName(QDir::tempPath()),
                                                      "rinova-job", 0600, nullptr);
        if (!job->spoolFile) throw text::Failure(kCannotStart);
        job->spoolFile->close();
        job->printer->setOutputFileName(job->spoolFile->toolkitPath());
        if (job->printer->outputFormat() != QPrinter::NativeFormat)
            throw text::Failure(kCannotStart);
    } else if (!current.isValid()) {
        throw text::Failure(kInvalidPrinter);
    }
    job->printer->setDocName(QString());
    if (!job->painter.begin(job->printer.get()) || badState(*job->printer)) {
        if (job->painter.isActive()) job->painter.end();
        throw text::Failure(kCannotStart);
    }
    job->pages = 1;
    job_ = std::move(job);
}

void PrinterSurface::newPage() {
    if (!job_) throw text::Failure(kCannotStart);
    if (!job_->printer->newPage() || badState(*job_->printer)) {
        abortDoc();
        throw printFailed(QStringLiteral("新しいページを開始できません"));
    }
    ++job_->pages;
}

QString PrinterSurface::endDoc() {
    if (!job_) return {};
    std::unique_ptr<Job> job = std::move(job_);
    const bool ended = job->painter.end();
    if (!ended || badState(*job->printer))
        throw printFailed(QStringLiteral("ジョブを終了できません"));
    if (!job->spoolFile) return {};
    // The page is cut to the sheet the queue prints on, so that its filters place it as it is
    // rather than centred.
    if (const std::optional<QSizeF> sheet = queueSheetPoints(*job->printer)) {
        const int fd = ::open(job->spoolFile->path().constData(), O_RDWR | O_CLOEXEC);
        const int error =
            fd < 0
                ? errno
                : fitPagesToSheet(fd, job->printer->pageLayout().fullRectPoints().size(), *sheet);
        if (fd >= 0) ::close(fd);
        if (error) throw printFailed(QStringLiteral("ジョブを終了できません"));
    }
    return spoolFile(job->printer->printerName(), spoolerOptions(*job->printer),
                     job->spoolFile->toolkitPath());
}

void PrinterSurface::abortDoc() noexcept {
    if (!job_) return;
    std::unique_ptr<Job> job = std::move(job_);
    try {
        job->printer->abort();
        if (job->painter.isActive()) job->painter.end();
    } catch (...) {
    }
    // A spooled job's file goes with the job; a file printer's half-written output is removed
    // so that nobody takes it for a finished print.
    if (!job->spoolFile && job->printer->outputFormat() == QPrinter::PdfFormat &&
        !job->printer->outputFileName().isEmpty())
        QFile::remove(job->printer->outputFileName());
}

void PrinterSurface::playCard(const drawing::CardPicture& picture) {
    if (!job_) throw text::Failure(kCannotStart);
    playOnSheet(picture, job_->painter);
}

int PrinterSurface::pageNumber() const {
    return job_ ? job_->pages : 0;
}

QPainter* PrinterSurface::canvas() const {
    return job_ ? &job_->painter : nullptr;
}

} // namespace rinova::printing
