// How far a long job has got, on standard error when that is a terminal: one line, rewritten in
// place ("印刷中 120 / 1000 枚"), ended when the job ends however it ends.
#pragma once

#include "printing/card_job.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

namespace rinova::cli {

class TerminalProgress {
public:
    // Jobs of fewer cards pass too quickly to be worth a line.
    static constexpr int kLongJob = 20;

    // `what` names the work ("印刷中"); `out` is the stream the line goes to and `terminal`
    // whether it is shown at all (by default: standard error, when it is a terminal).
    explicit TerminalProgress(QString what, std::FILE* out = stderr, int terminal = -1);
    ~TerminalProgress(); // ends the line
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // The job's watcher: shows the count now and then.
    printing::CardDone watcher();

private:
    void show(int done, int total);

    QString what_;
    std::FILE* out_;
    bool terminal_;
    bool shown_ = false;
    QElapsedTimer sinceShown_;
};

} // namespace rinova::cli
