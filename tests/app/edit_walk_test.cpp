// Editing in the real program with real X events (edit_walk.sh under xvfb-run): the file it
// saves holds the edits, rows it did not touch keep their bytes, and an edit left unsaved when
// the program was killed comes back at the next start.
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova::testing {
namespace {

TEST(EditWalk, EditsAddsDeletesUndoesSavesAndRecoversAfterAKill) {
    for (const char* tool : {"xvfb-run", "Xvfb", "xauth", "xdotool", "import"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    const QString rinova = QStringLiteral(RINOVA_BINARY_DIR "/app/rinova");
    ASSERT_TRUE(QFileInfo(rinova).isExecutable()) << "build the rinova target first";
    QTemporaryDir work;
    const QString program = work.filePath(QStringLiteral("program"));
    const QString shots = QStringLiteral(RINOVA_BINARY_DIR "/edit_walk");
    QDir(shots).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(program));
    ASSERT_TRUE(QFile::copy(rinova, program + QStringLiteral("/rinova")));
    const QString sample = QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv");
    const QString list = program + QStringLiteral("/addresses.csv");
    ASSERT_TRUE(QFile::copy(sample, list));
    QFile::setPermissions(list, QFile::ReadOwner | QFile::WriteOwner);

    QString log;
    const int code =
        runSession(QStringLiteral("xvfb-run"),
                   {QStringLiteral("-a"), QStringLiteral("-s"),
                    QStringLiteral("-screen 0 1280x1024x24"), QStringLiteral("bash"),
                    QStringLiteral(RINOVA_SOURCE_DIR "/tests/app/edit_walk.sh"), program, shots},
                   180000, &log);
    std::printf("%s", qPrintable(log));
    ASSERT_EQ(code, 0) << "the walk stopped; screenshots in " << qPrintable(shots);

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
