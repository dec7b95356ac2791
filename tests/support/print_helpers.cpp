#include "tests/support/print_helpers.h"

#include "drawing/playback.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <dlfcn.h>

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

// The print library reads CUPS_SERVER once and keeps its answer and its connection; when the
// library is already loaded (Qt's print support loads it), it is told to read it again.
void forgetPrintServer() {
    using SetServer = void (*)(const char*);
    if (auto set = reinterpret_cast<SetServer>(dlsym(RTLD_DEFAULT, "cupsSetServer"))) set(nullptr);
}

QString pdfInfo(const QString& path) {
    const CliRun r = runProgram(QStringLiteral("pdfinfo"), {path});
    return r.exitCode == 0 ? QString::fromUtf8(r.out) : QString();
}

} // namespace

PrintServerOverride::PrintServerOverride(const QString& server, const QString& configFolder,
                                         const QString& defaultQueue) {
    // A socket and a folder that do not exist: every request fails at once.
    const QByteArray nowhere("/nonexistent/rinova-no-print-service");
    using Value = std::optional<QByteArray>;
    const std::pair<const char*, Value> values[] = {
        {"CUPS_SERVER", server.isEmpty() ? nowhere : QFile::encodeName(server)},
        {"CUPS_SERVERROOT", configFolder.isEmpty() ? nowhere : QFile::encodeName(configFolder)},
        {"LPDEST", defaultQueue.isEmpty() ? Value() : Value(defaultQueue.toUtf8())},
        {"PRINTER", Value()}};
    for (const auto& [name, value] : values) {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? Value(qgetenv(name)) : Value());
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    forgetPrintServer();
}

PrintServerOverride::~PrintServerOverride() {
    for (const auto& [name, value] : saved_) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    forgetPrintServer();
}

PrivateScheduler::PrivateScheduler(const QString& queue) : queue_(queue) {
    if (!dir_.isValid()) {
        reason_ = QStringLiteral("no temporary folder");
        return;
    }
    QString output;
    const int code = script({QStringLiteral("start"), dir_.path(), queue_}, &output);
    if (code == 0) {
        state_ = State::Running;
        server_ = std::make_unique<PrintServerOverride>(
            server(), dir_.filePath(QStringLiteral("etc")), queue_);
    } else {
        state_ = code == 3 ? State::Unavailable : State::Failed;
        reason_ = output.trimmed();
        script({QStringLiteral("stop"), dir_.path()}); // whatever part of it came up
    }
}

PrivateScheduler::~PrivateScheduler() {
    if (state_ != State::Running) return;
    server_.reset();
    script({QStringLiteral("stop"), dir_.path()});
}

QString PrivateScheduler::server() const {
    return dir_.filePath(QStringLiteral("cups.sock"));
}

int PrivateScheduler::script(const QStringList& args, QString* output) const {
    const CliRun r = runProgram(
        QStringLiteral("bash"),
        QStringList{QStringLiteral(RINOVA_SOURCE_DIR "/scripts/cups-private.sh")} + args, 180000);
    if (output) *output = QString::fromLocal8Bit(r.out + r.err);
    return r.exitCode;
}

bool PrivateScheduler::addQueue(const QString& name) {
    return running() && script({QStringLiteral("queue"), dir_.path(), name}) == 0;
}

bool PrivateScheduler::removeQueue(const QString& name) {
    return running() &&
           runProgram(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}).exitCode == 0;
}

bool PrivateScheduler::addInstance(const QString& name, const QStringList& options) {
    QFile settings(dir_.filePath(QStringLiteral("etc/lpoptions")));
    if (!running() || !settings.open(QIODevice::Append)) return false;
    const QByteArray line = QStringLiteral("Dest %1 %2\n").arg(name, options.join(u' ')).toUtf8();
    return settings.write(line) == line.size();
}

bool PrivateScheduler::removeInstance(const QString& name) {
    const QString path = dir_.filePath(QStringLiteral("etc/lpoptions"));
    const QByteArray dest = QStringLiteral("Dest %1 ").arg(name).toUtf8();
    QFile settings(path);
    if (!running() || !settings.open(QIODevice::ReadOnly)) return false;
    QByteArray kept;
    bool found = false;
    for (const QByteArray& line : settings.readAll().split('\n')) {
        if (line.startsWith(dest))
            found = true;
        else if (!line.isEmpty())
            kept += line + '\n';
    }
    settings.close();
    if (!found || !settings.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return settings.write(kept) == kept.size();
}

QStringList PrivateScheduler::printedPdfs(int limitSeconds) {
    if (!running()) return {};
    script({QStringLiteral("wait"), dir_.path(), QString::number(limitSeconds)});
    // job-N.pdf, in the order of N; each appears whole, by rename.
    const QDir out(dir_.filePath(QStringLiteral("out")));
    std::vector<std::pair<int, QString>> jobs;
    for (const QFileInfo& f : out.entryInfoList({QStringLiteral("job-*.pdf")}, QDir::Files))
        jobs.emplace_back(f.completeBaseName().mid(4).toInt(), f.absoluteFilePath());
    std::sort(jobs.begin(), jobs.end());
    QStringList paths;
    for (const auto& job : jobs)
        paths << job.second;
    return paths;
}

int pdfPageCount(const QString& path) {
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(pdfInfo(path));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QSizeF pdfPageSizePt(const QString& path) {
    return pdfPageSizesPt(path).value(0);
}

QList<QSizeF> pdfPageSizesPt(const QString& path) {
    const int pages = pdfPageCount(path);
    if (pages < 1) return {};
    const CliRun r =
        runProgram(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                               QStringLiteral("-l"), QString::number(pages), path});
    QList<QSizeF> sizes;
    auto m = QRegularExpression(QStringLiteral("Page +\\d+ size: +([\\d.]+) x ([\\d.]+) pts"))
                 .globalMatch(QString::fromUtf8(r.out));
    while (m.hasNext()) {
        const QRegularExpressionMatch page = m.next();
        sizes << QSizeF(page.captured(1).toDouble(), page.captured(2).toDouble());
    }
    return sizes;
}

QImage pdfPage(const QString& path, int page, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    runProgram(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                QString::number(page), QStringLiteral("-l"), QString::number(page),
                QStringLiteral("-singlefile"), path, prefix});
    return QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
}

std::optional<QPointF> pdfInkCentreMm(const QString& path, int page, QRectF areaMm, int dpi) {
    const double pxPerMm = dpi / 25.4;
    const QRect crop(QPoint(int(areaMm.left() * pxPerMm), int(areaMm.top() * pxPerMm)),
                     QPoint(int(areaMm.right() * pxPerMm), int(areaMm.bottom() * pxPerMm)));
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("crop"));
    runProgram(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                QString::number(page), QStringLiteral("-l"), QString::number(page),
                QStringLiteral("-x"), QString::number(crop.x()), QStringLiteral("-y"),
                QString::number(crop.y()), QStringLiteral("-W"), QString::number(crop.width()),
                QStringLiteral("-H"), QString::number(crop.height()), QStringLiteral("-gray"),
                QStringLiteral("-singlefile"), path, prefix});
    const QImage image(prefix + QStringLiteral(".pgm"));
    double sum = 0, sx = 0, sy = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double ink = 255 - qGray(image.pixel(x, y));
            sum += ink;
            sx += ink * (x + 0.5);
            sy += ink * (y + 0.5);
        }
    if (sum < 255) return std::nullopt;
    return QPointF((crop.x() + sx / sum) / pxPerMm, (crop.y() + sy / sum) / pxPerMm);
}

QImage cardImage(const drawing::CardPicture& picture, double pxPerMm) {
    QImage image(drawing::naturalWidth(pxPerMm), drawing::naturalHeight(pxPerMm),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawing::playNatural(picture, p, 0, 0, pxPerMm, pxPerMm);
    return image;
}

bool isDark(QRgb c) {
    return qGray(c) < 128;
}

bool isGuideRed(QRgb c) {
    return qRed(c) > 160 && qGreen(c) < 110 && qBlue(c) < 110;
}

int countPixels(const QImage& image, bool (*test)(QRgb), QRect area) {
    area = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

QRect inkBox(const QImage& image, QRect area) {
    area = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isDark(image.pixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

int darkDifference(const QImage& a, const QImage& b, QRect area) {
    const QRect both = a.rect().intersected(b.rect());
    area = area.isEmpty() ? both : area.intersected(both);
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += isDark(a.pixel(x, y)) != isDark(b.pixel(x, y));
    return n;
}

namespace {

constexpr int kSquaresAcross = 100, kSquaresDown = 148;

std::vector<bool> inkSquares(const QImage& image, double pxPerMm) {
    std::vector<bool> squares(kSquaresAcross * kSquaresDown, false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int sx = static_cast<int>(x / pxPerMm), sy = static_cast<int>(y / pxPerMm);
            if (sx < kSquaresAcross && sy < kSquaresDown && isDark(image.pixel(x, y)))
                squares[sy * kSquaresAcross + sx] = true;
        }
    return squares;
}

bool inkNear(const std::vector<bool>& squares, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && nx < kSquaresAcross && ny >= 0 && ny < kSquaresDown &&
                squares[ny * kSquaresAcross + nx])
                return true;
        }
    return false;
}

} // namespace

int inkSquareDifference(const QImage& a, const QImage& b, double pxPerMm) {
    const std::vector<bool> sa = inkSquares(a, pxPerMm), sb = inkSquares(b, pxPerMm);
    int n = 0;
    for (int y = 0; y < kSquaresDown; ++y)
        for (int x = 0; x < kSquaresAcross; ++x) {
            n += sa[y * kSquaresAcross + x] && !inkNear(sb, x, y);
            n += sb[y * kSquaresAcross + x] && !inkNear(sa, x, y);
        }
    return n;
}

} // namespace rinova::testing
