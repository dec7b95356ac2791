// A shorter soak than bench_soak: a large file and a few thousand previews in one process;
// resident memory must level off once the first few hundred redraws have warmed the caches.
#include "tests/app/soak.h"
#include "tests/support/print_helpers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RINOVA_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define RINOVA_SOAK_ASAN 1
#endif

namespace rinova {
namespace {

TEST(Soak, PreviewRedrawsOverALargeFileDoNotGrowMemory) {
#ifdef RINOVA_SOAK_ASAN
    // The sanitizer keeps freed blocks in quarantine, so resident memory says nothing here; the
    // run still looks for faults, on fewer redraws.
    constexpr int lines = 20000, redraws = 600;
#else
    constexpr int lines = 100000, redraws = 3000;
#endif
    // The program's start-up lists the default printer's fonts: a scheduler of the test's own
    // provides one.
    testing::PrivateScheduler cups(QStringLiteral("RinovaSoak"));
    RINOVA_REQUIRE_SCHEDULER(cups);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const soak::Result r = soak::run(dir.path(), lines, redraws, 100);

    std::printf("rows %d, import %.0f ms, %d redraws in %.0f ms; RSS after import %ld kB, "
                "after 500 %ld kB, end %ld kB, peak %ld kB\n",
                r.rows, r.importMs, r.previewDraws, r.redrawMs, r.rssAfterImportKb, r.rssAt(500),
                r.rssEndKb, r.peakKb);
    EXPECT_EQ(r.rows, lines);
    EXPECT_EQ(r.previewDraws, redraws); // every redraw really drew the card
    EXPECT_TRUE(r.errors.isEmpty()) << qPrintable(r.errors.join(u'\n'));
#ifndef RINOVA_SOAK_ASAN
    // Past the warm-up, a few MB of allocator noise at most.
    EXPECT_LE(r.rssEndKb - r.rssAt(500), 4 * 1024);
    EXPECT_LE(r.rssEndKb - r.rssAt(1500), 3 * 1024);
#endif
}

} // namespace
} // namespace rinova
