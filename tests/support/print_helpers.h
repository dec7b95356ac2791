// Printing in tests: PDF printers, a print scheduler of the test's own, and readings of the PDF
// files that come out (pages, page size, rasterised pages, their ink and how two pages differ).
// No test uses the machine's own printing system.
#pragma once

#include "drawing/card_picture.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QPrinter>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace rinova::testing {

// A printer writing a PDF to `path` on A4 with 10 mm margins, like a driver that cannot print
// to the sheet's edge.
std::unique_ptr<QPrinter> pdfPrinter(const QString& path);

// While it lives, this process and the programs it starts reach the print service at `server`
// (a socket path), read the client settings of `configFolder`, and take `defaultQueue` as their
// default printer (through LPDEST, which comes before the user's and the machine's choice).
// An empty `server` is no print service at all: no printers, no default printer.
class PrintServerOverride {
public:
    PrintServerOverride(const QString& server, const QString& configFolder,
                        const QString& defaultQueue);
    ~PrintServerOverride();
    PrintServerOverride(const PrintServerOverride&) = delete;
    PrintServerOverride& operator=(const PrintServerOverride&) = delete;

private:
    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

struct NoPrintService : PrintServerOverride {
    NoPrintService() : PrintServerOverride(QString(), QString(), QString()) {}
};

// A print scheduler of the test's own (scripts/cups-private.sh) in a temporary folder, with
// one PDF queue as its default; this process and its children use it while it lives, so tests
// running side by side never meet. It is stopped, and its folder removed, at the end.
class PrivateScheduler {
public:
    explicit PrivateScheduler(const QString& queue = QStringLiteral("RinovaTest"));
    ~PrivateScheduler();
    PrivateScheduler(const PrivateScheduler&) = delete;
    PrivateScheduler& operator=(const PrivateScheduler&) = delete;

    bool running() const { return state_ == State::Running; }
    // It cannot run on this machine (no root, a tool missing): tests skip rather than fail.
    bool unavailable() const { return state_ == State::Unavailable; }
    // What the script said when it did not start.
    const QString& reason() const { return reason_; }
    const QString& queue() const { return queue_; }
    QString server() const;

    // Another PDF queue writing where the first one does, and the removal of a queue as an
    // administrator would remove it.
    bool addQueue(const QString& name);
    bool removeQueue(const QString& name);
    // An instance ("QUEUE/INSTANCE") with its options ("Collate=True"), as a user makes one with
    // lpoptions, kept in this scheduler's own client settings rather than the user's. Programs
    // started later see it; this process only when this is its first scheduler, as the print
    // library reads where its settings are once (ctest runs each test in a process of its own).
    bool addInstance(const QString& name, const QStringList& options);
    // Removes an instance made with addInstance, as `lpoptions -x` would.
    bool removeInstance(const QString& name);
    // The PDF files written so far, in the order the jobs were taken, once no job is pending
    // (waiting at most `limitSeconds`).
    QStringList printedPdfs(int limitSeconds = 120);

private:
    enum class State { Running, Unavailable, Failed };
    int script(const QStringList& args, QString* output = nullptr) const;

    QTemporaryDir dir_;
    QString queue_, reason_;
    State state_ = State::Failed;
    std::unique_ptr<PrintServerOverride> server_;
};

// In a test body or SetUp: skips the test when no private scheduler can run here, fails it when
// one should have started and did not.
#define RINOVA_REQUIRE_SCHEDULER(scheduler)                                                        \
    do {                                                                                           \
        if ((scheduler).unavailable())                                                             \
            GTEST_SKIP() << "no print scheduler of its own here: "                                 \
                         << (scheduler).reason().toStdString();                                    \
        ASSERT_TRUE((scheduler).running()) << (scheduler).reason().toStdString();                  \
    } while (0)

// Pages of a PDF as pdfinfo reads them; -1 when it cannot be read.
int pdfPageCount(const QString& path);
// Page size in points as pdfinfo reads it (first page); empty when it cannot be read.
QSizeF pdfPageSizePt(const QString& path);
// The size in points of every page, as pdfinfo reads them; empty when the file cannot be read.
QList<QSizeF> pdfPageSizesPt(const QString& path);
// One page rasterised by pdftoppm at the given resolution, in colour; null when it fails.
QImage pdfPage(const QString& path, int page, int dpi);

// Where the ink of `areaMm` (millimetres from the page's top-left corner) has its centre, its
// darkness weighing each pixel, with the page rasterised at `dpi`; nothing without ink.
std::optional<QPointF> pdfInkCentreMm(const QString& path, int page, QRectF areaMm, int dpi = 1200);

// A card drawn at natural size on white at the given resolution, as the printer gets it.
QImage cardImage(const drawing::CardPicture& picture, double pxPerMm);

bool isDark(QRgb c);
// The red of the preview's guides, which never reach paper.
bool isGuideRed(QRgb c);
// Pixels of `area` (the whole image when empty) for which `test` holds.
int countPixels(const QImage& image, bool (*test)(QRgb), QRect area = {});
// The bounding box of the dark pixels of `area` (the whole image when empty); empty when there
// are none.
QRect inkBox(const QImage& image, QRect area = {});
// Pixels of `area` dark in one image and not in the other.
int darkDifference(const QImage& a, const QImage& b, QRect area = {});
// Millimetre squares of a card inked in one image with no ink in the same or a neighbouring
// square of the other. Squares rather than pixels let two rasterisers differ by a pixel along
// every stroke.
int inkSquareDifference(const QImage& a, const QImage& b, double pxPerMm);

} // namespace rinova::testing
