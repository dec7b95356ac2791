// The one job of cards: one at a time whoever starts it, its rows fixed, and its stop.
#include "printing/card_job.h"
#include "printing/pdf_export.h"
#include "printing/printer_surface.h"
#include "tests/support/print_helpers.h"
#include "text/failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace rinova {
namespace {

using printing::CardJob;
using printing::JobEnd;
using printing::PrinterSurface;

QString failureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const text::Failure& e) {
        return e.message();
    }
    return {};
}

TEST(CardJob, RunsOneJobAtATimeOnItsRowsUntilItIsStopped) {
    QTemporaryDir dir;
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    const QString other = dir.filePath(QStringLiteral("other.pdf"));
    const QString exported = dir.filePath(QStringLiteral("exported.pdf"));
    PrinterSurface printer([&] { return testing::pdfPrinter(printed); });
    PrinterSurface second([&] { return testing::pdfPrinter(other); });
    CardJob job;
    job.stop(); // no job yet: nothing to stop
    EXPECT_FALSE(job.stopAsked());

    // While rows 3..7 print, every other job is refused, on any surface or as a PDF.
    std::vector<int> rows, pages;
    std::vector<QString> refusals;
    const JobEnd end = job.run(
        printer, 3, 7,
        [&](int row) {
            rows.push_back(row);
            pages.push_back(printer.pageNumber());
        },
        [&](int done, int total) {
            EXPECT_EQ(total, 5);
            EXPECT_EQ(job.done(), done);
            if (done != 2) return;
            EXPECT_TRUE(job.running());
            EXPECT_TRUE(job.runsOn(printer));
            EXPECT_FALSE(job.runsOn(second));
            refusals.push_back(failureOf([&] { job.run(second, 1, 1, [](int) {}); }));
            refusals.push_back(failureOf([&] { job.run(printer, 1, 1, [](int) {}); }));
            refusals.push_back(failureOf([&] {
                printing::writeCardPdf(job, exported, 1, 1,
                                       [](int) { return drawing::CardPicture{}; });
            }));
        });
    EXPECT_EQ(end, JobEnd::Completed);
    EXPECT_EQ(rows, (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(refusals, std::vector<QString>(3, QStringLiteral("現在印刷中です")));
    EXPECT_FALSE(job.running());
    EXPECT_FALSE(job.runsOn(printer));
    EXPECT_EQ(testing::pdfPageCount(printed), 5);
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_FALSE(QFile::exists(exported));

    // Stopped after its sixth card, a job is dropped whole; the next one starts afresh.
    const JobEnd stopped = job.run(
        second, 1, 50, [](int) {},
        [&](int done, int) {
            if (done == 6) job.stop();
        });
    EXPECT_EQ(stopped, JobEnd::Stopped);
    EXPECT_EQ(job.done(), 6);
    EXPECT_EQ(job.first(), 1);
    EXPECT_EQ(job.last(), 50);
    EXPECT_FALSE(job.running());
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_EQ(job.run(second, 2, 3, [](int) {}), JobEnd::Completed);
    EXPECT_EQ(testing::pdfPageCount(other), 2);

    // A card that fails drops the job and leaves it idle.
    EXPECT_EQ(failureOf([&] {
                  job.run(printer, 1, 3, [](int row) {
                      if (row == 2) throw text::Failure(QStringLiteral("描画できません"));
                  });
              }),
              QStringLiteral("描画できません"));
    EXPECT_FALSE(job.running());
    EXPECT_FALSE(printer.documentOpen());
}

} // namespace
} // namespace rinova
