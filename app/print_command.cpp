#include "app/print_command.h"

#include "text/failure.h"
#include "widgets/prompts.h"

#include <QCoreApplication>
#include <QPrinter>
#include <algorithm>

namespace rinova::app {

PrintCommand::PrintCommand(surface::PrinterSource source) : surface_(std::move(source)) {}

void PrintCommand::adopt(std::unique_ptr<QPrinter> chosen) {
    // The dialog may have run inside a job's event handling; the running job keeps its printer.
    if (surface_.printing()) throw text::Failure(QStringLiteral("現在印刷中です"));
    surface_.setPrinter(std::move(chosen));
}

void PrintCommand::print(int rowA, int rowB, const DrawRow& drawRow) {
    const int top = std::min(rowA, rowB);
    const int bottom = std::max(rowA, rowB);
    if (bottom < 1) return;
    // Fixed here: a selection changed while the job spools does not alter it.
    const int first = std::max(top, 1);
    const int last = bottom;
    if (first != last) {
        const long long count = static_cast<long long>(last) - first + 1;
        const QString question = QStringLiteral("用紙枚数は") + QString::number(count) +
                                 QStringLiteral("枚です。印刷しますね。");
        if (!widgets::Prompts::current().confirm(question)) return;
    }

    std::unique_ptr<QPrinter> chosen = surface::clonePrinter(surface_.printer());
    if (!widgets::Prompts::current().printDialog(*chosen)) return;
    adopt(std::move(chosen));

    const QString notice = surface::printCardJob(
        surface_, first, last, [&](int row) { drawRow(surface_, row); },
        // Repaints and menus stay alive while a long job spools.
        [] { QCoreApplication::processEvents(); });
    // The job waits in the queue of a stopped printer: the user must know to start it.
    if (!notice.isEmpty()) widgets::Prompts::current().message(notice);
}

void PrintCommand::setUp() {
    std::unique_ptr<QPrinter> chosen = surface::clonePrinter(surface_.printer());
    if (!widgets::Prompts::current().printerSetup(*chosen)) return;
    adopt(std::move(chosen));
}

} // namespace rinova::app
