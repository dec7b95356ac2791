// Copies of unsaved work when several copies of the program run at once: each keeps its own,
// none offers or removes the work of one still running, and work left by one that died is taken
// over by the next to start, one at a time.
#include "files/recovery_copy.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using rinova::files::RecoveryCopy;

TEST(RecoveryCopy, EachRunningCopyKeepsItsOwnWorkAndTakesOverWorkLeftBehind) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("rinova.recovery"));
    auto a = std::make_unique<RecoveryCopy>(base);
    auto b = std::make_unique<RecoveryCopy>(base);
    EXPECT_EQ(a->path(), base); // the name a single copy has always used
    EXPECT_NE(b->path(), a->path());
    a->keep(QStringLiteral("/lists/a.csv"), 1, "A");
    b->keep(QStringLiteral("/lists/b.csv"), 2, "B");
    {
        RecoveryCopy third(base);
        EXPECT_FALSE(third.read()) << "work of copies still running is theirs";
    }
    ASSERT_TRUE(a->read());
    EXPECT_EQ(a->read()->content, "A");

    a.reset(); // dies with its work unsaved
    RecoveryCopy next(base);
    EXPECT_EQ(next.path(), base);
    const auto left = next.read();
    ASSERT_TRUE(left);
    EXPECT_EQ(left->source, QStringLiteral("/lists/a.csv"));
    EXPECT_EQ(left->kind, 1);
    EXPECT_EQ(left->content, "A");
    next.remove();
    EXPECT_FALSE(next.read()) << "b still runs";

    b.reset();
    const auto later = next.read();
    ASSERT_TRUE(later);
    EXPECT_EQ(later->content, "B");
    next.remove();
    EXPECT_FALSE(next.read());
}
