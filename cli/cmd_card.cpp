// rinova-cli card: lists what one row's card records, one JSON object per operation.
#include "cli/args.h"
#include "cli/card_source.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "drawing/vertical_text.h"
#include "text/cp932.h"

#include <QByteArray>
#include <optional>

namespace rinova::cli {
namespace {

const char* kCardUsage = "使い方: rinova-cli card FILE --row N [--target preview|printer] "
                         "[--settings PATH] [--no-name2] [--format plain|sheet|sheet-utf8]\n";

QByteArray colour(drawing::Rgb rgb) {
    return "\"#" + QByteArray::number(rgb & 0xFFFFFFu, 16).rightJustified(6, '0') + '"';
}

QByteArray num(std::int32_t v) {
    return QByteArray::number(v);
}

QByteArray toJson(const drawing::PictureOp& op) {
    QByteArray out;
    if (const auto* t = std::get_if<drawing::TextOp>(&op)) {
        out = "{\"op\":\"text\",\"x\":" + num(t->x) + ",\"y\":" + num(t->y) + ",\"text\":";
        appendJsonString(out, t->text);
        out += ",\"face\":";
        appendJsonString(out, text::toUnicode(t->font.face()));
        out += ",\"height\":" + num(t->font.height) +
               ",\"vertical\":" + (t->font.isVertical() ? "true" : "false");
        // For a checker: where the column ends and its pitch, both in card units.
        if (t->font.isVertical())
            out += ",\"end\":" + num(drawing::columnEnd(*t)) + ",\"advance\":" +
                   (t->advance > 0 ? num(t->advance)
                                   : QByteArray::number(drawing::cellUnits(*t), 'f', 0));
        if (t->digitPairs) out += ",\"digitPairs\":true";
        out += "}";
    } else if (const auto* r = std::get_if<drawing::RectOp>(&op)) {
        out = "{\"op\":\"rect\",\"x1\":" + num(r->x1) + ",\"y1\":" + num(r->y1) +
              ",\"x2\":" + num(r->x2) + ",\"y2\":" + num(r->y2) + ",\"pen\":" + colour(r->pen) +
              ",\"fill\":" + (r->fill ? colour(*r->fill) : QByteArray("null")) + "}";
    } else if (const auto* l = std::get_if<drawing::LineOp>(&op)) {
        out = "{\"op\":\"line\",\"x1\":" + num(l->x1) + ",\"y1\":" + num(l->y1) +
              ",\"x2\":" + num(l->x2) + ",\"y2\":" + num(l->y2) + ",\"pen\":" + colour(l->pen) +
              "}";
    }
    return out;
}

int usage() {
    return usageError(kCardUsage);
}

} // namespace

int cmdCard(const QStringList& args) {
    const std::optional<Args> parsed =
        parseArgs(args,
                  {QStringLiteral("--row"), QStringLiteral("--target"),
                   QStringLiteral("--settings"), QStringLiteral("--format")},
                  {QStringLiteral("--no-name2")});
    if (!parsed) return usage();
    const std::optional<addresses::FileFormat> format = formatOption(*parsed);
    if (!format) return usage();
    const QString& file = parsed->file;
    const QString settingsPath = parsed->value(QStringLiteral("--settings"), defaultSettingsPath());
    const bool noName2 = parsed->has(QStringLiteral("--no-name2"));
    const std::optional<int> row = parsePositive(parsed->value(QStringLiteral("--row")));
    card::Target target = card::Target::Preview;
    const QString t = parsed->value(QStringLiteral("--target"), QStringLiteral("preview"));
    if (t == QLatin1String("printer"))
        target = card::Target::Printer;
    else if (t != QLatin1String("preview"))
        return usage();
    if (file.isEmpty() || !row) return usage();

    addresses::AddressGrid grid;
    importAddressFile(grid, file, *format, settingsPath);
    if (const std::optional<int> code = requireRow(grid, *row)) return *code;
    const drawing::CardPicture picture =
        card::renderCard(rowInputs(grid, settingsPath, *row, !noName2, target));
    QByteArray out;
    for (const drawing::PictureOp& op : picture.ops) {
        out += toJson(op);
        out += '\n';
    }
    writeOut(out);
    return finishOut();
}

} // namespace rinova::cli
