// rinova-cli png: a row's card as the main window's preview shows it, saved as a PNG image.
#include "cli/args.h"
#include "cli/card_source.h"
#include "cli/commands.h"
#include "drawing/playback.h"
#include "files/file_name.h"
#include "files/replacement.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <climits>
#include <cstdio>

namespace rinova::cli {
namespace {

const char* kPngUsage = "使い方: rinova-cli png FILE --row N --width W -o OUT.png "
                        "[--settings PATH] [--no-name2] [--format plain|sheet|sheet-utf8]\n";

// Wider than this is not a preview any more (and 10000 px already needs some 600 MB).
constexpr int kMaxWidth = 10000;

int usage() {
    return usageError(kPngUsage);
}

} // namespace

int cmdPng(const QStringList& args) {
    const std::optional<Args> parsed =
        parseArgs(args,
                  {QStringLiteral("--row"), QStringLiteral("--width"), QStringLiteral("-o"),
                   QStringLiteral("--settings"), QStringLiteral("--format")},
                  {QStringLiteral("--no-name2")});
    if (!parsed) return usage();
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usage();
    const QString& file = parsed->file;
    const QString output = parsed->value(QStringLiteral("-o"));
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    const bool noName2 = parsed->has(QStringLiteral("--no-name2"));
    const std::optional<int> row = parsePositive(parsed->value(QStringLiteral("--row")));
    const std::optional<int> width = parsePositive(parsed->value(QStringLiteral("--width")));
    if (width && *width > kMaxWidth) return usage();
    if (file.isEmpty() || output.isEmpty() || !row || !width) return usage();

    addresses::AddressGrid grid;
    importAddressFile(grid, file, *format, settingsPath);
    if (const std::optional<int> code = requireRow(grid, *row)) return *code;
    files::Replacement out(files::fileNameToBytes(output), files::displayFileName(output),
                           {files::existingFileName(file), files::existingFileName(settingsPath)});
    out.open();
    const drawing::CardPicture picture =
        card::renderCard(rowInputs(grid, settingsPath, *row, !noName2, card::Target::Preview));

    const QRect card = drawing::previewCardRect(QSize(*width, INT_MAX));
    const int w = card.width();
    const int h = card.height();
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) {
        printError(QStringLiteral("%1 × %2 の画像を作れません").arg(w).arg(h));
        return 1;
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawing::playStretched(picture, painter, 0, 0, w, h);
    }
    // Encoded in memory, so that every write of the file itself is checked.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) out.fail(QStringLiteral("PNG に変換できません"));
    buffer.close();
    image = QImage();
    out.write(png);
    out.commit();
    return 0;
}

} // namespace rinova::cli
