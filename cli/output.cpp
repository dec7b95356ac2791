#include "cli/output.h"

#include "cli/commands.h"
#include "files/system_error.h"

#include <cerrno>
#include <cstdio>

namespace rinova::cli {
namespace {

bool outFailed = false;

void outFailure(int error) {
    outFailed = true;
    printError(QStringLiteral("標準出力に書き込めません (%1)").arg(files::writeErrorText(error)));
}

} // namespace

bool writeOut(QByteArrayView data) {
    if (outFailed) return false;
    const auto size = static_cast<std::size_t>(data.size());
    if (size && std::fwrite(data.data(), 1, size, stdout) != size) outFailure(errno);
    return !outFailed;
}

int finishOut() {
    if (!outFailed && (std::fflush(stdout) != 0 || std::ferror(stdout))) outFailure(errno);
    return outFailed ? 1 : 0;
}

void appendJsonString(QByteArray& out, const QString& s) {
    out += '"';
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += QStringView(s).mid(i, 2).toUtf8();
            ++i;
        } else if (u == '"' || u == '\\') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u < 0x20 || QChar::isSurrogate(u)) {
            // Control characters and lone surrogates stay readable and lossless as escapes.
            out += QByteArray("\\u") + QByteArray::number(u, 16).rightJustified(4, '0');
        } else {
            out += QStringView(s).mid(i, 1).toUtf8();
        }
    }
    out += '"';
}

} // namespace rinova::cli
