#include "cli/commands.h"

namespace rinova::cli {

int cmdGrid(const QStringList&) {
    printError(QStringLiteral("このコマンドはまだ使えません"));
    return 2;
}

} // namespace rinova::cli
