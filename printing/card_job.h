// The one job of cards that runs at a time, whoever starts it (the print command, the PDF
// command, rinova-cli): whether it runs, its rows and its stop.
#pragma once

#include <QString>
#include <functional>

namespace rinova::printing {

class PrinterSurface;

// What a job's watcher hears after each card: how many are done and how many the job has.
using CardDone = std::function<void(int done, int total)>;
enum class JobEnd { Completed, Stopped };

class CardJob {
public:
    CardJob() = default;
    CardJob(const CardJob&) = delete;
    CardJob& operator=(const CardJob&) = delete;

    bool running() const { return surface_ != nullptr; }
    // True while the running job prints on that surface.
    bool runsOn(const PrinterSurface& surface) const { return surface_ == &surface; }
    // Throws "現在印刷中です" while a job runs.
    void refuseWhileRunning() const;

    // The rows of the running (or last) job, fixed when it started, the cards it prints of them
    // and the cards done.
    int first() const { return first_; }
    int last() const { return last_; }
    int total() const { return total_; }
    int done() const { return done_; }

    // The stop command: the running job ends once the card it is on is done, and is dropped.
    // Nothing when no job runs.
    void stop() {
        if (running()) stopAsked_ = true;
    }
    bool stopAsked() const { return stopAsked_; }

    // Rows first..last (first <= last), one card per page on the surface: begins the job, calls
    // drawCard for each row with the page ready on surface.canvas(), tells afterCard (which
    // handles events while a long job spools) and starts the next page; ends the job after the
    // last. A stop asked for meanwhile drops the job, so nothing of it reaches the printer, and
    // Stopped is returned. Any failure, or a job that vanished meanwhile, drops the job and is
    // thrown. A job that a stopped printer keeps waiting in its queue leaves its notice in
    // waitingNotice. Refused with "現在印刷中です" while another job runs. Rows that `prints`
    // turns down are passed over: no card, no page.
    JobEnd run(PrinterSurface& surface, int first, int last,
               const std::function<void(int row)>& drawCard, const CardDone& afterCard = {},
               QString* waitingNotice = nullptr, const std::function<bool(int row)>& prints = {});

private:
    PrinterSurface* surface_ = nullptr;
    int first_ = 1;
    int last_ = 0;
    int total_ = 0;
    int done_ = 0;
    bool stopAsked_ = false;
};

} // namespace rinova::printing
