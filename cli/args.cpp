#include "cli/args.h"

#include <cstdio>

namespace rinova::cli {

std::optional<Args> parseArgs(const QStringList& args, const QStringList& valueOptions,
                              const QStringList& flagOptions, bool needsFile) {
    Args out;
    bool haveFile = false, optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool option = !optionsEnded && a.startsWith(u'-');
        if (option && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (option && valueOptions.contains(a)) {
            if (i + 1 >= args.size() || out.has(a)) return std::nullopt;
            out.values[a] = args[++i];
        } else if (option && flagOptions.contains(a)) {
            if (out.has(a)) return std::nullopt;
            out.flags.insert(a);
        } else if (!option && !haveFile) {
            out.file = a;
            haveFile = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveFile && needsFile) return std::nullopt;
    return out;
}

int usageError(const char* usage) {
    std::fputs(usage, stderr);
    return 2;
}

} // namespace rinova::cli
