#include "printing/sheet_fit.h"

#include "printing/printer_surface.h"

#include <QByteArray>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The driver description is the one place that says what a queue's filters take a paper to
// be; its interface is marked as going away, but the print service still reads it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>

namespace rinova::printing {

QSizeF exactPoints(const QPageSize& size) {
    const QSizeF d = size.definitionSize();
    double perUnit = 1;
    switch (size.definitionUnits()) {
    case QPageSize::Millimeter:
        perUnit = 72 / 25.4;
        break;
    case QPageSize::Point:
        perUnit = 1;
        break;
    case QPageSize::Inch:
        perUnit = 72;
        break;
    case QPageSize::Pica:
        perUnit = 12;
        break;
    case QPageSize::Didot:
        perUnit = 72 / 25.4 * 0.375;
        break;
    case QPageSize::Cicero:
        perUnit = 72 / 25.4 * 4.5;
        break;
    }
    return d * perUnit;
}

std::optional<QSizeF> queueSheetPoints(const QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::NativeFormat) return std::nullopt;
    const QString name = printer.printerName();
    const qsizetype slash = name.indexOf(u'/');
    const QByteArray queue = (slash < 0 ? name : name.left(slash)).toUtf8();
    const QByteArray instance = slash < 0 ? QByteArray() : name.mid(slash + 1).toUtf8();
    if (queue.isEmpty()) return std::nullopt;

    const char* described = cupsGetPPD2(CUPS_HTTP_DEFAULT, queue.constData());
    if (!described) return std::nullopt;
    const QByteArray file(described);
    ppd_file_t* ppd = ppdOpenFile(file.constData());
    ::unlink(file.constData());
    if (!ppd) return std::nullopt;

    // The queue's defaults, the user's for it (an instance's too), then the job's own.
    int count = 0;
    cups_option_t* options = nullptr;
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                             instance.isEmpty() ? nullptr : instance.constData())) {
        for (int i = 0; i < dest->num_options; ++i)
            count = cupsAddOption(dest->options[i].name, dest->options[i].value, count, &options);
        cupsFreeDests(1, dest);
    }
    for (const auto& [option, value] : spoolerOptions(printer))
        count =
            cupsAddOption(option.toUtf8().constData(), value.toUtf8().constData(), count, &options);
    ppdMarkDefaults(ppd);
    cupsMarkOptions(ppd, count, options);
    cupsFreeOptions(count, options);

    std::optional<QSizeF> sheet;
    if (const ppd_size_t* size = ppdPageSize(ppd, nullptr);
        size && size->width > 0 && size->length > 0)
        sheet = QSizeF(size->width, size->length);
    ppdClose(ppd);
    return sheet;
}

namespace {

// The page box the toolkit writes, on a line of its own in each page's dictionary.
QByteArray writtenBox(QSize written) {
    return "\n/MediaBox [0 0 " + QByteArray::number(written.width(), 'f', 6) + ' ' +
           QByteArray::number(written.height(), 'f', 6) + "]\n";
}

// The same page's box with the sheet's size, its top edge where it was, cut rather than rounded
// so that the page never exceeds the sheet; padded to `length` with blanks so that no byte of
// the file moves. Empty when it does not fit.
QByteArray sheetBox(QSize written, QSizeF sheet, qsizetype length) {
    for (int decimals = 6; decimals >= 2; --decimals) {
        const double unit = std::pow(10.0, decimals);
        const double bottom = std::ceil((written.height() - sheet.height()) * unit - 1e-6) / unit;
        const double width = std::floor(sheet.width() * unit + 1e-6) / unit;
        QByteArray box = "\n/MediaBox [0 " + QByteArray::number(bottom, 'f', decimals) + ' ' +
                         QByteArray::number(width, 'f', decimals) + ' ' +
                         QByteArray::number(written.height()) + ']';
        if (box.size() + 1 <= length) return box + QByteArray(length - box.size() - 1, ' ') + '\n';
    }
    return {};
}

} // namespace

int fitPagesToSheet(int fd, QSize written, QSizeF sheet) {
    if (written.isEmpty() || sheet.isEmpty() || !std::isfinite(sheet.width()) ||
        !std::isfinite(sheet.height()))
        return 0;
    // A page turned across its sheet keeps the sheet turned the same way.
    if ((written.width() > written.height()) != (sheet.width() > sheet.height())) sheet.transpose();
    if (std::abs(sheet.width() - written.width()) < 0.001 &&
        std::abs(sheet.height() - written.height()) < 0.001)
        return 0;
    const QByteArray from = writtenBox(written);
    const QByteArray to = sheetBox(written, sheet, from.size());
    if (to.isEmpty()) return 0;

    // A block at a time, the tail kept that may hold the start of a box cut by the block's end.
    const qsizetype box = from.size();
    constexpr qsizetype block = 64 << 10;
    QByteArray data(block + box, '\0');
    off_t at = 0; // where data[0] lies in the file
    qsizetype held = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, data.data() + held, block, at + held);
        if (got < 0) return errno;
        held += got;
        const QByteArrayView view(data.constData(), held);
        for (qsizetype i = view.indexOf(from); i >= 0; i = view.indexOf(from, i + box)) {
            if (::pwrite(fd, to.constData(), box, at + i) != box) return errno ? errno : EIO;
            std::memcpy(data.data() + i, to.constData(), box);
        }
        if (got == 0) return 0;
        const qsizetype keep = std::min<qsizetype>(held, box - 1);
        std::memmove(data.data(), data.data() + held - keep, keep);
        at += held - keep;
        held = keep;
    }
}

} // namespace rinova::printing

#pragma GCC diagnostic pop
