// The main window's status bar while a job of several cards runs: how many cards of how many
// are done, and the command that stops the job. Hidden when no such job runs.
#pragma once

#include "printing/printer_surface.h"

#include <QStatusBar>

class QLabel;
class QProgressBar;
class QPushButton;

namespace rinova::app {

class JobStatusBar : public QStatusBar {
public:
    explicit JobStatusBar(QWidget* parent = nullptr);

    // The watcher of one job, `doing` naming the work ("印刷中"): it shows the bar once a job of
    // more than one card is under way, keeps the count and answers false once stop() was asked.
    printing::CardDone watch(const QString& doing);
    // The job is over: the bar goes.
    void finish();
    // The stop command.
    void stop();

    bool stopAsked() const { return stopAsked_; }
    QString progressText() const;
    QPushButton& stopButton() { return *stop_; }

private:
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* stop_;
    bool stopAsked_ = false;
};

} // namespace rinova::app
