#include "printing/pdf_export.h"

#include "files/file_name.h"
#include "files/replacement.h"
#include "printing/printer_surface.h"
#include "printing/sheet_fit.h"
#include "text/failure.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace rinova::printing {
namespace {

// 2540 dots per inch make one device pixel 0.01 mm, so the natural size is exactly the card.
constexpr int kPdfResolution = 2540;
// The PDF writer sets pages in whole points: 284 x 420 pt is the smallest page that holds the
// whole 100 x 148 mm card (283.46 x 419.53 pt) from its top-left corner.
constexpr int kPageWidthPt = 284;
// Once written, the pages are narrowed to the card's own 100 x 148 mm, their top-left corner
// kept.
constexpr int kPageHeightPt = 420;

// The PDF writer does not report failed writes: a file cut short does not end where its own
// cross-reference says it does.
const QString kCutShort =
    QStringLiteral("書き込んだ内容が途中で切れています。ディスクがいっぱいかもしれません");

// True when the file ends with the trailer of a PDF whose cross-reference section starts where
// the trailer says.
bool pdfIsWhole(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 32) return false;
    QByteArray tail(static_cast<qsizetype>(std::min<off_t>(st.st_size, 1024)), '\0');
    if (::pread(fd, tail.data(), tail.size(), st.st_size - tail.size()) != tail.size())
        return false;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"))
            .match(QString::fromLatin1(tail));
    if (!m.hasMatch()) return false;
    const off_t xref = m.captured(1).toLongLong();
    char at[16] = {};
    if (xref <= 0 || xref >= st.st_size || ::pread(fd, at, sizeof at - 1, xref) <= 0) return false;
    // A cross-reference table, or a cross-reference stream's object.
    return QByteArray(at).startsWith("xref") || QRegularExpression(QStringLiteral("^\\d+ \\d+ obj"))
                                                    .match(QString::fromLatin1(at))
                                                    .hasMatch();
}

} // namespace

std::unique_ptr<QPrinter> cardPdfPrinter(const QString& file) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setResolution(kPdfResolution);
    printer->setPageLayout(
        QPageLayout(QPageSize(QSize(kPageWidthPt, kPageHeightPt), QPageSize::Point, QString(),
                              QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(), QPageLayout::Point));
    printer->setFullPage(true);
    printer->setCreator(QStringLiteral("Rinova"));
    return printer;
}

JobEnd writeCardPdf(CardJob& job, const QString& target, int first, int last,
                    const std::function<drawing::CardPicture(int row)>& cardOf,
                    const CardDone& afterCard, const QStringList& inputs,
                    const std::function<bool(int row)>& prints) {
    job.refuseWhileRunning();
    QList<QByteArray> read;
    for (const QString& input : inputs)
        read << files::existingFileName(input);
    files::Replacement out(files::fileNameToBytes(target), files::displayFileName(target), read);
    out.open();

    PrinterSurface surface([&out] { return cardPdfPrinter(out.writerPath()); });
    bool drawing = false;
    JobEnd end = JobEnd::Completed;
    try {
        end = job.run(
            surface, first, last,
            [&](int row) {
                drawing = true;
                const drawing::CardPicture picture = cardOf(row);
                drawing = false;
                surface.playCard(picture);
            },
            afterCard, nullptr, prints);
    } catch (const text::Failure& f) {
        // A card that cannot be drawn says so itself; the file's own troubles name the file.
        if (drawing) throw;
        out.fail(kCutShort);
    }
    if (end == JobEnd::Stopped) return end;
    if (!pdfIsWhole(out.descriptor())) out.fail(kCutShort);
    if (const int error =
            fitPagesToSheet(out.descriptor(), QSize(kPageWidthPt, kPageHeightPt),
                            exactPoints(QPageSize(QSizeF(100, 148), QPageSize::Millimeter))))
        out.fail(error);
    out.commit();
    return end;
}

} // namespace rinova::printing
