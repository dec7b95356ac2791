#include "printing/pdf_export.h"

#include "printing/printer_surface.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rinova::printing {
namespace {

// 2540 dots per inch make one device pixel 0.01 mm, so the natural size is exactly the card.
constexpr int kPdfResolution = 2540;
// PDF pages come in whole points: 284 x 420 pt (100.19 x 148.17 mm) is the smallest page that
// holds the whole 100 x 148 mm card (283.46 x 419.53 pt) from its top-left corner.
constexpr int kPageWidthPt = 284;
constexpr int kPageHeightPt = 420;

const QString kUnfinished =
    QStringLiteral("ファイルを最後まで書けませんでした。ディスクの空きを確かめてください");

text::Failure cannotSave(const QString& target, const QString& why) {
    return text::Failure(QStringLiteral("PDF を %1 に保存できません (%2)").arg(target, why));
}

QString systemReason(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("ディスクに空きがありません");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("書き込みが許可されていません");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Reads the finished file back: a PDF ends with its end-of-file mark, and a write that the
// disk refused leaves it short. The data is then flushed to the disk.
void checkComplete(const QString& path, const QString& target) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw cannotSave(target, systemReason(errno));
    struct stat st {};
    char tail[1024] = {};
    ssize_t got = -1;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const off_t from = st.st_size > off_t(sizeof tail) ? st.st_size - off_t(sizeof tail) : 0;
        got = ::pread(fd, tail, sizeof tail, from);
    }
    const bool synced = ::fsync(fd) == 0;
    const int syncError = errno;
    ::close(fd);
    if (got <= 0 || !QByteArray(tail, int(got)).contains("%%EOF"))
        throw cannotSave(target, kUnfinished);
    if (!synced) throw cannotSave(target, systemReason(syncError));
}

} // namespace

std::unique_ptr<QPrinter> cardPdfPrinter(const QString& file) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setResolution(kPdfResolution);
    printer->setPageLayout(
        QPageLayout(QPageSize(QSize(kPageWidthPt, kPageHeightPt), QPageSize::Point, QString(),
                              QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(), QPageLayout::Point));
    printer->setFullPage(true);
    printer->setCreator(QStringLiteral("Rinova"));
    return printer;
}

JobEnd writeCardPdf(CardJob& job, const QString& target, int first, int last,
                    const std::function<drawing::CardPicture(int row)>& cardOf,
                    const CardDone& afterCard) {
    job.refuseWhileRunning();
    QFileInfo file(target);
    // Through a link to the file it names, so the link stays a link.
    if (file.isSymLink() && !file.symLinkTarget().isEmpty()) file = QFileInfo(file.symLinkTarget());
    const QString path = file.absoluteFilePath();
    if (file.isDir()) throw cannotSave(target, QStringLiteral("同じ名前のフォルダがあります"));
    if (file.exists() && !file.isWritable())
        throw cannotSave(target, QStringLiteral("書き込みが禁止されています"));

    QTemporaryFile part(
        file.absoluteDir().filePath(file.fileName() + QStringLiteral(".XXXXXX.part")));
    if (!part.open()) throw cannotSave(target, QStringLiteral("フォルダに書き込めません"));
    part.close();

    PrinterSurface surface([&part] { return cardPdfPrinter(part.fileName()); });
    bool drawing = false;
    JobEnd end = JobEnd::Completed;
    try {
        end = job.run(
            surface, first, last,
            [&](int row) {
                drawing = true;
                const drawing::CardPicture picture = cardOf(row);
                drawing = false;
                surface.playCard(picture);
            },
            afterCard);
    } catch (const text::Failure& f) {
        // A card that cannot be drawn says so itself; the file's own troubles name the file.
        if (drawing) throw;
        throw cannotSave(target, kUnfinished);
    }
    if (end == JobEnd::Stopped) return end;

    checkComplete(part.fileName(), target);
    // An earlier file keeps its modes; a new one gets those of any new file.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(QFile::encodeName(part.fileName()).constData(), mode);
    if (::rename(QFile::encodeName(part.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0)
        throw cannotSave(target, systemReason(errno));
    part.setAutoRemove(false);
    return end;
}

} // namespace rinova::printing
