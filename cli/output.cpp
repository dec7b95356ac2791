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

} // namespace rinova::cli
