// rinova-cli fonts: the card's faces and the fonts they are really drawn with on this machine.
#include "cli/args.h"
#include "cli/commands.h"
#include "drawing/fonts.h"

#include <cstdio>

namespace rinova::cli {

int cmdFonts(const QStringList& args) {
    if (!args.isEmpty()) return usageError("使い方: rinova-cli fonts\n");
    QString out;
    for (std::size_t i = 0; i < drawing::VerticalFaces.size(); ++i) {
        const QString face = QString::fromUtf16(drawing::VerticalFaces[i]);
        out += QStringLiteral("%1\t%2\t%3\n").arg(i).arg(face, drawing::fontInUseText(face));
    }
    std::fputs(out.toUtf8().constData(), stdout);
    return std::ferror(stdout) ? 1 : 0;
}

} // namespace rinova::cli
