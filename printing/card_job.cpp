#include "printing/card_job.h"

#include "printing/printer_surface.h"
#include "text/failure.h"

#include <QScopeGuard>

namespace rinova::printing {

void CardJob::refuseWhileRunning() const {
    if (running()) throw text::Failure(QStringLiteral("現在印刷中です"));
}

JobEnd CardJob::run(PrinterSurface& surface, int first, int last,
                    const std::function<void(int row)>& drawCard, const CardDone& afterCard,
                    QString* waitingNotice, const std::function<bool(int row)>& prints) {
    refuseWhileRunning();
    int count = 0, lastPrinted = first - 1;
    for (int row = first; row <= last; ++row)
        if (!prints || prints(row)) {
            ++count;
            lastPrinted = row;
        }
    if (count == 0) throw text::Failure(QStringLiteral("印刷を開始できません"));
    stopAsked_ = false;
    surface.beginDoc();
    surface_ = &surface;
    first_ = first;
    last_ = last;
    total_ = count;
    done_ = 0;
    const auto over = qScopeGuard([this] { surface_ = nullptr; });
    try {
        for (int row = first;; ++row) {
            if (prints && !prints(row)) continue;
            drawCard(row);
            ++done_;
            if (afterCard) afterCard(done_, total());
            if (!surface.documentOpen())
                throw text::Failure(QStringLiteral("印刷に失敗しました: ジョブが中断されました"));
            if (stopAsked_) {
                surface.abortDoc();
                return JobEnd::Stopped;
            }
            if (row == lastPrinted) break;
            surface.newPage();
        }
    } catch (...) {
        surface.abortDoc();
        throw;
    }
    const QString notice = surface.endDoc();
    if (waitingNotice) *waitingNotice = notice;
    return JobEnd::Completed;
}

} // namespace rinova::printing
