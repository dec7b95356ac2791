// Editing in the real program with real X events (edit_walk.sh under xvfb-run): the file it
// saves holds the edits, rows it did not touch keep their bytes, and an edit left unsaved when
// the program was killed comes back at the next start.
#include "tests/support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

namespace rinova::testing {
namespace {

TEST(EditWalk, EditsAddsDeletesUndoesSavesAndRecoversAfterAKill) {
    XWalk walk("edit_walk");
    if (!walk.missing.isEmpty()) GTEST_SKIP() << qPrintable(walk.missing);
    const QString program = walk.program;
    const QString sample = QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv");
    const QString list = program + QStringLiteral("/addresses.csv");
    ASSERT_TRUE(QFile::copy(sample, list));
    QFile::setPermissions(list, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(walk.run("edit_walk.sh", 180000), 0)
        << "the walk stopped; screenshots in " << qPrintable(walk.shots);

    // Row 1 edited, row 4 deleted, row 5 edited after the save and recovered, one row added;
    // every other line as the sample has it.
    std::vector<std::string> lines;
    const std::string original = readBytes(sample);
    for (std::size_t from = 0; from < original.size();) {
        const std::size_t end = original.find("\r\n", from);
        lines.push_back(original.substr(from, end + 2 - from));
        from = end + 2;
    }
    ASSERT_EQ(lines.size(), 6u);
    const std::string expected = "Edited,Second" + lines[0].substr(lines[0].find(",123-4567")) +
                                 lines[1] + lines[2] + sjis(u"中村さくら　Kept") +
                                 lines[4].substr(lines[4].find(',')) + lines[5] +
                                 "Added,Partner,1000001,,,\r\n";
    EXPECT_EQ(readBytes(list), expected);
    EXPECT_FALSE(QFile::exists(program + QStringLiteral("/rinova.recovery")));
}

} // namespace
} // namespace rinova::testing
