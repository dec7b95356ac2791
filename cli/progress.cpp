#include "cli/progress.h"

#include <unistd.h>

namespace rinova::cli {

namespace {
// Often enough to look alive, rarely enough to cost nothing.
constexpr qint64 kIntervalMs = 100;
} // namespace

TerminalProgress::TerminalProgress(QString what, std::FILE* out, int terminal)
    : what_(std::move(what)), out_(out),
      terminal_(terminal < 0 ? ::isatty(::fileno(out)) == 1 : terminal != 0) {}

TerminalProgress::~TerminalProgress() {
    if (shown_) std::fputc('\n', out_);
    std::fflush(out_);
}

printing::CardDone TerminalProgress::watcher() {
    return [this](int done, int total) {
        if (terminal_ && total >= kLongJob &&
            (!shown_ || done == total || sinceShown_.elapsed() >= kIntervalMs))
            show(done, total);
    };
}

void TerminalProgress::show(int done, int total) {
    const QByteArray line =
        QStringLiteral("\r%1 %2 / %3 枚").arg(what_).arg(done).arg(total).toUtf8();
    std::fputs(line.constData(), out_);
    std::fflush(out_);
    shown_ = true;
    sinceShown_.start();
}

} // namespace rinova::cli
