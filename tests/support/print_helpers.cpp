#include "tests/support/print_helpers.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace rinova::testing {

std::unique_ptr<QPrinter> pdfPrinter(const QString& path) {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(path);
    p->setResolution(600);
    p->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                 QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    return p;
}

namespace {
QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

int pdfPageCount(const QString& path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QSizeF pdfPageSizePt(const QString& path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const auto m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QImage pdfPage(const QString& path, int page, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
         QString::number(page), QStringLiteral("-l"), QString::number(page),
         QStringLiteral("-singlefile"), path, prefix});
    return QImage(prefix + QStringLiteral(".pgm"));
}

QRect inkBox(const QImage& image, int threshold) {
    const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
    int left = g.width(), top = g.height(), right = -1, bottom = -1;
    for (int y = 0; y < g.height(); ++y) {
        const uchar* line = g.constScanLine(y);
        for (int x = 0; x < g.width(); ++x) {
            if (line[x] < threshold) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace rinova::testing
