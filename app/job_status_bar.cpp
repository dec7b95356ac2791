#include "app/job_status_bar.h"

#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace rinova::app {

JobStatusBar::JobStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    label_ = new QLabel;
    bar_ = new QProgressBar;
    bar_->setTextVisible(false);
    bar_->setMaximumWidth(160);
    stop_ = new QPushButton(QStringLiteral("中止(&S)"));
    stop_->setToolTip(QStringLiteral("ジョブを中止します。何も印刷されません (Esc)"));
    addWidget(label_, 1);
    addPermanentWidget(bar_);
    addPermanentWidget(stop_);
    connect(stop_, &QPushButton::clicked, this, &JobStatusBar::stop);
    // Only while the bar is shown: a hidden widget's shortcut does not fire.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &JobStatusBar::stop);
    hide();
}

printing::CardDone JobStatusBar::watch(const QString& doing) {
    stopAsked_ = false;
    stop_->setEnabled(true);
    return [this, doing](int done, int total) {
        if (total > 1 && !stopAsked_) {
            label_->setText(QStringLiteral("%1… %2 / %3 枚").arg(doing).arg(done).arg(total));
            bar_->setRange(0, total);
            bar_->setValue(done);
            if (isHidden()) show();
        }
        // A stopped job is dropped at once; what the user is then told stands alone.
        if (stopAsked_) hide();
        return !stopAsked_;
    };
}

void JobStatusBar::finish() {
    hide();
    label_->clear();
    stopAsked_ = false;
}

void JobStatusBar::stop() {
    if (isHidden() || stopAsked_) return;
    stopAsked_ = true;
    stop_->setEnabled(false);
    label_->setText(QStringLiteral("中止しています…"));
}

QString JobStatusBar::progressText() const {
    return label_->text();
}

} // namespace rinova::app
