#include "app/pdf_command.h"

#include "addresses/row_check.h"
#include "app/print_command.h"
#include "printing/pdf_export.h"
#include "widgets/prompts.h"

#include <QFileInfo>
#include <algorithm>

namespace rinova::app {

std::optional<QString> PdfCommand::save(int rowA, int rowB, const QString& suggested,
                                        const CardOf& cardOf, const printing::CardDone& afterCard,
                                        const QStringList& inputs,
                                        const std::function<bool(int row)>& prints) {
    job_.refuseWhileRunning();
    const int first = std::max(std::min(rowA, rowB), 1);
    const int last = std::max(rowA, rowB);
    if (last < 1) return std::nullopt;
    widgets::Prompts& prompts = widgets::Prompts::current();
    const int count = printedCount(first, last, prints);
    if (count == 0) {
        prompts.message(addresses::nothingToPrint(first, last));
        return std::nullopt;
    }
    if (first != last &&
        !prompts.confirm(QStringLiteral("ページ数は%1枚です。PDFに保存しますね。").arg(count) +
                         addresses::skippedRowsSentence(last - first + 1 - count)))
        return std::nullopt;
    const std::optional<QString> target = prompts.savePdfFile(suggested);
    if (!target) return std::nullopt;

    const bool existed = QFileInfo::exists(*target);
    const printing::JobEnd end = printing::writeCardPdf(job_, *target, first, last, cardOf,
                                                        withEvents(afterCard), inputs, prints);
    if (end == printing::JobEnd::Completed) return target;
    QString told =
        stoppedMessage(QStringLiteral("PDFへの保存"), QStringLiteral("保存"), first, last, count);
    if (existed)
        told += QStringLiteral("\n以前の %1 はそのままです").arg(QFileInfo(*target).fileName());
    prompts.message(told);
    return std::nullopt;
}

} // namespace rinova::app
