#include "app/print_command.h"

#include "addresses/row_check.h"
#include "printing/paper.h"
#include "text/failure.h"
#include "widgets/prompts.h"

#include <QCoreApplication>
#include <QPrinter>
#include <algorithm>

namespace rinova::app {

PrintCommand::PrintCommand(printing::CardJob& job, printing::PrinterSource source)
    : job_(job), surface_(std::move(source)) {}

void PrintCommand::adopt(std::unique_ptr<QPrinter> chosen) {
    // The dialog may have run inside a job's event handling; the running job keeps its printer.
    if (job_.runsOn(surface_)) throw text::Failure(QStringLiteral("現在印刷中です"));
    surface_.setPrinter(std::move(chosen));
}

void PrintCommand::print(int rowA, int rowB, const DrawRow& drawRow,
                         const printing::CardDone& afterCard, const RowPrints& prints) {
    const int top = std::min(rowA, rowB);
    const int bottom = std::max(rowA, rowB);
    if (bottom < 1) return;
    // Fixed here: a selection changed while the job spools does not alter it.
    const int first = std::max(top, 1);
    const int last = bottom;
    const int count = printedCount(first, last, prints);
    if (count == 0) {
        widgets::Prompts::current().message(addresses::nothingToPrint(first, last));
        return;
    }
    if (first != last) {
        const QString question = QStringLiteral("用紙枚数は") + QString::number(count) +
                                 QStringLiteral("枚です。印刷しますね。") +
                                 addresses::skippedRowsSentence(last - first + 1 - count);
        if (!widgets::Prompts::current().confirm(question)) return;
    }

    std::unique_ptr<QPrinter> chosen = printing::clonePrinter(surface_.printer());
    if (!widgets::Prompts::current().printDialog(*chosen)) return;
    adopt(std::move(chosen));

    // Rinova never picks the paper, but a card on other paper is worth a word first.
    const QString notice = printing::paperNotice(surface_.printer().pageLayout());
    if (!notice.isEmpty() && !widgets::Prompts::current().goOnWithPaper(
                                 notice + QStringLiteral("。\nこのまま印刷しますか？")))
        return;

    QString waiting;
    const printing::JobEnd end = job_.run(
        surface_, first, last, [&](int row) { drawRow(surface_, row); }, withEvents(afterCard),
        &waiting, prints);
    if (end == printing::JobEnd::Stopped)
        widgets::Prompts::current().message(
            stoppedMessage(QStringLiteral("印刷"), QStringLiteral("印刷"), first, last, count));
    // The job waits in the queue of a stopped printer: the user must know to start it.
    else if (!waiting.isEmpty())
        widgets::Prompts::current().message(waiting);
}

printing::CardDone withEvents(const printing::CardDone& afterCard) {
    return [afterCard](int done, int total) {
        QCoreApplication::processEvents();
        if (afterCard) afterCard(done, total);
    };
}

QString stoppedMessage(const QString& job, const QString& verb, int first, int last, int count) {
    const QString rows = first == last ? QStringLiteral("行 %1").arg(first)
                                       : QStringLiteral("行 %1〜%2").arg(first).arg(last);
    return QStringLiteral("%1を中止しました。%2 の %3 枚は 1 枚も%4されていません")
        .arg(job, rows, QString::number(count), verb);
}

int printedCount(int first, int last, const RowPrints& prints) {
    int count = 0;
    for (int row = first; row <= last; ++row)
        if (!prints || prints(row)) ++count;
    return count;
}

void PrintCommand::setUp() {
    std::unique_ptr<QPrinter> chosen = printing::clonePrinter(surface_.printer());
    if (!widgets::Prompts::current().printerSetup(*chosen)) return;
    adopt(std::move(chosen));
}

} // namespace rinova::app
