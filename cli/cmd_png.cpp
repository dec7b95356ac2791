#include "cli/commands.h"

namespace rinova::cli {

int cmdPng(const QStringList&) {
    printError(QStringLiteral("このコマンドはまだ使えません"));
    return 2;
}

} // namespace rinova::cli
