// 文字設定 of the real program driven by real X key events (keyboard_walk.sh under xvfb-run): the
// settings file it leaves says which control took each key.
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova::testing {
namespace {

TEST(KeyboardWalk, BackspaceChoosesNothingAndTwoTabCyclesReachEveryControl) {
    for (const char* tool : {"xvfb-run", "Xvfb", "xauth", "xdotool", "import"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    const QString rinova = QStringLiteral(RINOVA_BINARY_DIR "/app/rinova");
    ASSERT_TRUE(QFileInfo(rinova).isExecutable()) << "build the rinova target first";
    QTemporaryDir work;
    const QString program = work.filePath(QStringLiteral("program"));
    const QString shots = QStringLiteral(RINOVA_BINARY_DIR "/keyboard_walk");
    QDir(shots).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(program));
    ASSERT_TRUE(QFile::copy(rinova, program + QStringLiteral("/rinova")));

    QString log;
    const int code = runSession(
        QStringLiteral("xvfb-run"),
        xvfbRun({QStringLiteral(RINOVA_SOURCE_DIR "/tests/app/keyboard_walk.sh"), program, shots}),
        120000, &log);
    std::printf("%s", qPrintable(log));
    ASSERT_EQ(code, 0) << "the walk stopped; screenshots in " << qPrintable(shots);

    EXPECT_EQ(readBytes(program + QStringLiteral("/rinova.ini")),
              "[SET]\r\nEdit1Value0=0\r\nEdit1Value2=1\r\nEdit2Value2=1\r\nEdit3Value2=1\r\n"
              "Numbers=1\r\n"
              "FontName=-1\r\nSashiPrint=1\r\nCardType=1\r\nSashiYuban3=1\r\nSashiYuban4=2\r\n"
              "SashiAdd1=3\r\nSashiAdd2=4\r\nSashiName1=5\r\nSashiName2=6\r\nBikou=8\r\n");
}

} // namespace
} // namespace rinova::testing
