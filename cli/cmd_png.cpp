// rinova-cli png: a row's card as the main window's preview shows it, saved as a PNG image.
#include "cli/card_source.h"
#include "cli/commands.h"
#include "surface/playback.h"

#include <QImage>
#include <QPainter>
#include <cstdio>

namespace rinova::cli {
namespace {

const char* kPngUsage = "使い方: rinova-cli png FILE --row N --width W -o OUT.png "
                        "[--settings PATH] [--no-name2]\n";

// Wider than this is not a preview any more (and 10000 px already needs some 600 MB).
constexpr int kMaxWidth = 10000;

int usage() {
    std::fputs(kPngUsage, stderr);
    return 2;
}

} // namespace

int cmdPng(const QStringList& args) {
    QString file, output, settingsPath = defaultSettingsPath();
    std::optional<int> row, width;
    bool noName2 = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--row") && hasValue) {
            row = parsePositive(args[++i]);
            if (!row) return usage();
        } else if (a == QLatin1String("--width") && hasValue) {
            width = parsePositive(args[++i]);
            if (!width || *width > kMaxWidth) return usage();
        } else if (a == QLatin1String("-o") && hasValue) {
            output = args[++i];
        } else if (a == QLatin1String("--settings") && hasValue) {
            settingsPath = args[++i];
        } else if (a == QLatin1String("--no-name2")) {
            noName2 = true;
        } else if (!a.startsWith(QLatin1Char('-')) && file.isEmpty()) {
            file = a;
        } else {
            return usage();
        }
    }
    if (file.isEmpty() || output.isEmpty() || !row || !width) return usage();

    addresses::AddressGrid grid;
    importAddressFile(grid, file);
    Loaded loaded = loadSettings(settingsPath);
    for (const QString& e : loaded.errors)
        printError(e);
    loaded.printName2 = !noName2;
    card::CardInputs in = inputsForRow(grid, *row, loaded);
    in.target = card::Target::Preview;
    const surface::CardPicture picture = card::RenderCard(in);

    // The preview box: W wide and W x 1.48 truncated high.
    const int w = *width;
    const int h = static_cast<int>(static_cast<long long>(w) * 148 / 100);
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) {
        printError(QStringLiteral("%1 × %2 の画像を作れません").arg(w).arg(h));
        return 1;
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        surface::playStretched(picture, painter, 0, 0, w, h);
    }
    if (!image.save(output, "PNG")) {
        printError(QStringLiteral("%1 に書き込めません").arg(output));
        return 1;
    }
    return 0;
}

} // namespace rinova::cli
