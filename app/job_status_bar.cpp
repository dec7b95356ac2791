#include "app/job_status_bar.h"

#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace rinova::app {

JobStatusBar::JobStatusBar(printing::CardJob& job, QWidget* parent)
    : QStatusBar(parent), job_(job) {
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
    stop_->setEnabled(true);
    return [this, doing](int done, int total) {
        // A stopped job is dropped at once; what the user is then told stands alone.
        if (job_.stopAsked()) {
            hide();
            return;
        }
        if (total < 2) return;
        label_->setText(QStringLiteral("%1… %2 / %3 枚").arg(doing).arg(done).arg(total));
        bar_->setRange(0, total);
        bar_->setValue(done);
        if (isHidden()) show();
    };
}

void JobStatusBar::finish() {
    hide();
    label_->clear();
}

void JobStatusBar::stop() {
    if (isHidden() || job_.stopAsked()) return;
    job_.stop();
    stop_->setEnabled(false);
    label_->setText(QStringLiteral("中止しています…"));
}

QString JobStatusBar::progressText() const {
    return label_->text();
}

} // namespace rinova::app
