// The main window's status bar while a job of several cards runs: how many cards of how many
// are done, and the command that stops the job. Hidden when no such job runs.
#pragma once

#include "printing/card_job.h"

#include <QStatusBar>

class QLabel;
class QProgressBar;
class QPushButton;

namespace rinova::app {

class JobStatusBar : public QStatusBar {
public:
    // Shows the jobs that run as `job`.
    explicit JobStatusBar(printing::CardJob& job, QWidget* parent = nullptr);

    // The watcher of one job, `doing` naming the work ("印刷中"): it shows the bar once a job of
    // more than one card is under way and keeps the count, and takes the bar away once the job
    // is asked to stop.
    printing::CardDone watch(const QString& doing);
    // The job is over: the bar goes.
    void finish();
    // The stop command (中止, Esc) while the bar is shown: asks the job to stop.
    void stop();

    QString progressText() const;
    QPushButton& stopButton() { return *stop_; }

private:
    printing::CardJob& job_;
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* stop_;
};

} // namespace rinova::app
