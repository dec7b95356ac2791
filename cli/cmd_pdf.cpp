// rinova-cli pdf: the cards of a row range as the printer gets them, one per 100 x 148 mm page.
#include "cli/args.h"
#include "cli/batch_print.h"
#include "cli/commands.h"
#include "surface/pdf_export.h"
#include "text/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>
#include <cstdio>
#include <sys/stat.h>

namespace rinova::cli {
namespace {

const char* kPdfUsage = "使い方: rinova-cli pdf FILE [--rows A-B] [--settings PATH] "
                        "[--format plain|sheet|sheet-utf8] [--strict] -o OUT.pdf\n";

int usage() {
    return usageError(kPdfUsage);
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
    if (const std::optional<int> code =
            checkRowsToPrint(grid, rows, parsed->has(QStringLiteral("--strict"))))
        return *code;
    const std::unique_ptr<settings::SettingsModel> settings = loadSettings(settingsPath);

    // Written beside the target and renamed at the end: a failed export leaves no half file
    // and an older file of that name stays as it was.
    const QFileInfo target(output);
    QTemporaryFile part(
        target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.part")));
    if (!part.open()) {
        printError(QStringLiteral("%1 に書き込めません").arg(output));
        return 1;
    }
    part.close();

    std::unique_ptr<QPrinter> printer = surface::cardPdfPrinter(part.fileName());
    surface::PrinterSurface surface([&printer] { return std::move(printer); });

    printCards(surface, grid, *settings, rows, QStringLiteral("PDF 作成中"));
    if (std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        printError(QStringLiteral("%1 に書き込めません").arg(output));
        return 1;
    }
    part.setAutoRemove(false);
    // The temporary file was private; the export gets the modes of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(target.absoluteFilePath()).constData(), 0666 & ~mask);
    return 0;
}

} // namespace rinova::cli
