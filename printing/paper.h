// Papers as a Japanese user knows them: their names, the postcard check made before a job, and
// the printer's own default paper. Rinova never picks a paper; it only names and checks it.
#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <memory>
#include <optional>

class QPrinter;
class QPrinterInfo;

namespace rinova::printing {

// The paper's Japanese name: "はがき", "往復はがき", "A4", "B5 (JIS)", "長形3号", "レター" …;
// "ユーザー定義" for a size without a name.
QString japanesePaperName(const QPageSize& size);
// The name and the size across and down, as lists show it: "はがき 100 × 148 mm".
QString paperLabel(const QPageSize& size);

// True when the page, turned as it will print, is 100 × 148 mm (within half a millimetre; a
// spooler's postcard in whole points is 99.8 × 148.2 mm).
bool isPostcardPage(const QPageLayout& layout);
// What the user is told before a job on any other paper; empty on postcard paper.
QString paperNotice(const QPageLayout& layout);

// The papers of a printer in the order a list offers them: postcard first, double postcard
// next, the rest as the printer reports them.
QList<QPageSize> papersForList(QList<QPageSize> papers);

// A printer for the queue, on the queue's own default paper.
std::unique_ptr<QPrinter> printerFor(const QPrinterInfo& info);

// The printer's paper that a name given by the user stands for: the spooler's name ("A4",
// "Postcard"), the printer's own name, or the Japanese one ("はがき"), in any letter case.
std::optional<QPageSize> findPaper(const QPrinterInfo& info, const QString& name);

} // namespace rinova::printing
