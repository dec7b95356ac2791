// rinova-cli pdf: the cards of a row range as the printer gets them, one per 100 x 148 mm page.
#include "cli/args.h"
#include "cli/batch_print.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "printing/pdf_export.h"
#include "text/failure.h"
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace rinova::cli {
namespace {

const char* kPdfUsage = "使い方: rinova-cli pdf FILE [--rows A-B] [--settings PATH] "
                        "[--format plain|sheet|sheet-utf8] [--strict] -o OUT.pdf\n";

int usage() {
    return usageError(kPdfUsage);
}

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

int cmdPdf(const QStringList& args) {
    keepFreedMemory();
    const std::optional<Args> parsed =
        parseArgs(args,
                  {QStringLiteral("--rows"), QStringLiteral("-o"), QStringLiteral("--settings"),
                   QStringLiteral("--format")},
                  {QStringLiteral("--strict")});
    if (!parsed) return usage();
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usage();
    const QString& file = parsed->file;
    const QString output = parsed->value(QStringLiteral("-o"));
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    std::optional<RowRange> asked;
    if (parsed->has(QStringLiteral("--rows"))) {
        asked = parseRows(parsed->value(QStringLiteral("--rows")));
        if (!asked) return usage();
    }
    if (file.isEmpty() || output.isEmpty()) return usage();

    addresses::AddressGrid grid;
    RowRange rows;
    if (const std::optional<int> code = loadBatch(file, *format, asked, grid, rows)) return *code;
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);
    if (const std::optional<int> code =
            checkRowsToPrint(grid, rows, *settings, parsed->has(QStringLiteral("--strict"))))
        return *code;

    // Written beside the target and renamed over it at the end: a failed export leaves no half
    // file, and an older file of that name stays as it was.
    AtomicFile out(output, {file, settingsPath});

    std::unique_ptr<QPrinter> printer = printing::cardPdfPrinter(out.writerPath());
    printing::PrinterSurface surface([&printer] { return std::move(printer); });

    printCards(surface, grid, *settings, rows, QStringLiteral("PDF 作成中"));
    // The PDF writer does not report failed writes: a file cut short does not end where its
    // own cross-reference says it does.
    if (!pdfIsWhole(out.descriptor()))
        out.fail(
            QStringLiteral("書き込んだ内容が途中で切れています。ディスクがいっぱいかもしれません"));
    out.commit();
    return 0;
}

} // namespace rinova::cli
