// `rinova-cli pdf` shows how far a long job has got when standard error is a terminal, and
// nothing otherwise.
#include "tests/support/test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rinova {
namespace {

const QString kCli = QStringLiteral(RINOVA_BINARY_DIR "/cli/rinova-cli");

TEST(TerminalProgress, ALongJobIsCountedOnATerminalOnly) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("rows.csv"));
    std::string lines;
    for (int i = 0; i < 30; ++i)
        lines += testing::sjis(u"山田太郎,,100-0001,東京都架空区見本町1-1,,\r\n");
    testing::writeBytes(csv, lines);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const QString ini = dir.filePath(QStringLiteral("none.ini"));
    const struct {
        const char* rows;
        bool terminal;
        const char16_t* shown; // empty: nothing at all
    } cases[] = {
        {"1-30", true, u"\rPDF 作成中 30 / 30 枚\n"},
        {"1-30", false, u""},
        // Too short to be worth a line.
        {"1-5", true, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rows) + (c.terminal ? " on a terminal" : ""));
        const QStringList args{
            QStringLiteral("pdf"),        csv, QStringLiteral("--rows"), QLatin1String(c.rows),
            QStringLiteral("--settings"), ini, QStringLiteral("-o"),     pdf};
        QString said;
        int code = -1;
        if (c.terminal) {
            // script(1) runs the command on a terminal of its own and passes on what it shows.
            QProcess p;
            p.start(QStringLiteral("script"),
                    {QStringLiteral("-qec"), kCli + u' ' + args.join(u' '),
                     QStringLiteral("/dev/null")});
            ASSERT_TRUE(p.waitForFinished(60000));
            code = p.exitCode();
            // The terminal ends its lines with CR LF.
            said = QString::fromUtf8(p.readAllStandardOutput()).replace(u"\r\n"_qs, u"\n"_qs);
        } else {
            const testing::CliRun r = testing::runCli(args);
            code = r.exitCode;
            said = QString::fromUtf8(r.err);
        }
        EXPECT_EQ(code, 0) << said.toStdString();
        const QString shown = QString::fromUtf16(c.shown);
        if (shown.isEmpty())
            EXPECT_FALSE(said.contains(u"作成中"_qs)) << said.toStdString();
        else
            EXPECT_TRUE(said.contains(shown)) << said.toStdString();
    }
}

} // namespace
} // namespace rinova
