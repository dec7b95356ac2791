// `rinova-cli pdf` counts the cards of a long job when standard error is a terminal, and says
// nothing otherwise.
#include "tests/support/test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

TEST(TerminalProgress, ALongJobIsCountedOnATerminalOnly) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("rows.csv"));
    std::string lines;
    for (int i = 0; i < 30; ++i)
        lines += testing::sjis(u"山田太郎,,100-0001,東京都架空区見本町1-1,,\r\n");
    testing::writeBytes(csv, lines);
    auto args = [&](const char* rows) {
        return QStringList{QStringLiteral("pdf"),        csv,
                           QStringLiteral("--rows"),     QLatin1String(rows),
                           QStringLiteral("--settings"), dir.filePath(QStringLiteral("none.ini")),
                           QStringLiteral("-o"),         dir.filePath(QStringLiteral("out.pdf"))};
    };
    // script(1) runs the command on a terminal of its own and passes on what it shows there.
    auto onTerminal = [](const QStringList& cli) {
        QProcess p;
        p.start(QStringLiteral("script"),
                {QStringLiteral("-qec"),
                 QStringLiteral(RINOVA_BINARY_DIR "/cli/rinova-cli ") + cli.join(u' '),
                 QStringLiteral("/dev/null")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).replace(u"\r\n"_qs, u"\n"_qs);
    };
    EXPECT_TRUE(onTerminal(args("1-30")).contains(u"\rPDF 作成中 30 / 30 枚\n"_qs));
    // Too short to be worth a line, and never into a file or a pipe.
    EXPECT_FALSE(onTerminal(args("1-5")).contains(u"作成中"_qs));
    const testing::CliRun piped = testing::runCli(args("1-30"));
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_FALSE(QString::fromUtf8(piped.err).contains(u"作成中"_qs));
}

} // namespace
} // namespace rinova
