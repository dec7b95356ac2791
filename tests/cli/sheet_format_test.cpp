// rinova-cli with spreadsheet files (--format) and the check before printing (--strict).
#include "tests/support/print_helpers.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using rinova::testing::CliRun;
using rinova::testing::runCli;

namespace {

QString dataFile(const char* name) {
    return QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/") + QLatin1String(name);
}

// Standard error without Qt's own warnings about the environment.
QString err(const CliRun& r) {
    QString text;
    for (const QString& line : QString::fromUtf8(r.err).split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(u"QStandardPaths:"_qs)) text += line + u'\n';
    return text;
}

} // namespace

TEST(CliFormat, EveryCommandThatReadsAFileTakesItsType) {
    QTemporaryDir dir;
    const QString utf8 = dataFile("sheet_utf8.csv");
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString absent = dir.filePath(QStringLiteral("absent.ini"));
    const QStringList commands[] = {
        {"grid", utf8},
        {"card", utf8, "--row", "2", "--settings", absent},
        {"png", utf8, "--row", "2", "--width", "100", "-o", out, "--settings", absent},
        {"pdf", utf8, "--rows", "2", "-o", out, "--settings", absent},
        {"print", utf8, "--rows", "2", "--printer", "", "--settings", absent},
        {"check", utf8, "--rows", "2", "--settings", absent},
    };
    for (const QStringList& command : commands) {
        const CliRun bad = runCli(command + QStringList{"--format", "utf8"});
        EXPECT_EQ(bad.exitCode, 2) << command[0].toStdString();
        if (command[0] == "print") continue; // an empty printer name is a usage error too
        const CliRun run = runCli(command + QStringList{"--format", "sheet-utf8"});
        EXPECT_EQ(run.exitCode, 0) << command[0].toStdString() << err(run).toStdString();
        if (command[0] == "grid" || command[0] == "card") {
            EXPECT_TRUE(QString::fromUtf8(run.out).contains(u"髙橋　一郎"_qs))
                << command[0].toStdString();
        }
    }

    // Without --format, and with the plain type, a file reads as it always has.
    const CliRun plain = runCli({"grid", dataFile("sheet_sjis.csv")});
    // The grid's header, then the rows under the file's header row, which line breaks inside
    // cells split; the file's 敬称 column follows the six.
    EXPECT_EQ(plain.out.count('\n'), 10);
    EXPECT_TRUE(plain.out.startsWith(QStringLiteral("{\"row\":0,\"cells\":[\"番号\",\"名前1\","
                                                    "\"名前2\",\"〒\",\"住所1\",\"住所2\",\"備考\","
                                                    "\"敬称\",\"連名1\",\"連名2\",\"印刷\"]")
                                         .toUtf8()));
    EXPECT_EQ(runCli({"grid", dataFile("sheet_sjis.csv"), "--format", "plain"}).out, plain.out);
    EXPECT_EQ(runCli({"grid", dataFile("sheet_sjis.csv"), "--format", "sheet"}).out,
              runCli({"grid", dataFile("sheet_utf8_bom.csv"), "--format", "sheet-utf8"}).out);

    // Replaced characters are told on standard error; the import goes on.
    const QString file = dir.filePath(QStringLiteral("u.csv"));
    rinova::testing::writeBytes(file, "a\n\xF0\xA0\xAE\xB7\xE9\x87\x8E\n");
    const CliRun replaced = runCli({"grid", file, "--format", "sheet-utf8"});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_TRUE(err(replaced).contains(u"「〓」に置き換えました: 2 行目"_qs))
        << err(replaced).toStdString();
}

TEST(CliCheck, PdfAndPrintTellDoubtfulRowsAndRefuseThemWithStrict) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("cards.pdf"));
    const QString absent = dir.filePath(QStringLiteral("absent.ini"));
    const QString sheet = dataFile("sheet_sjis.csv");
    const QString list = u"次の行を確かめてください:\n"
                         "2 行目: 郵便番号が 6 桁です（先頭の 0 が落ちていませんか）\n"
                         "4 行目: 空の行です\n"_qs;

    CliRun r = runCli({"pdf", sheet, "--format", "sheet", "-o", pdf, "--settings", absent});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(err(r).endsWith(list)) << err(r).toStdString();
    EXPECT_TRUE(QFile::remove(pdf));

    r = runCli({"pdf", sheet, "--format", "sheet", "--strict", "-o", pdf, "--settings", absent});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(err(r).endsWith(list + u"--strict が指定されているので印刷しません\n"_qs));
    EXPECT_FALSE(QFile::exists(pdf));

    // print refuses before it looks for a printer.
    r = runCli({"print", sheet, "--format", "sheet", "--rows", "1-2", "--strict", "--printer",
                "rinova-no-such-queue"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(err(r).contains(u"2 行目: 郵便番号が 6 桁です"_qs));

    // Rows that look right: nothing is said and --strict changes nothing.
    r = runCli({"pdf", sheet, "--format", "sheet", "--rows", "5-6", "--strict", "-o", pdf,
                "--settings", absent});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(err(r).contains(u"行目"_qs)) << err(r).toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST(CliCheck, PdfPassesOverRowsMarkedNotToPrintAndNamesThem) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("marks.csv"));
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const QString absent = dir.filePath(QStringLiteral("absent.ini"));
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(rinova::testing::sjis(u"名前,郵便番号,住所1,印刷\n"
                                  "山田,1000001,東京都,\n"
                                  "鈴木,1000002,東京都,しない\n"
                                  "佐藤,1000003,東京都,する\n")
                .c_str());
    f.close();
    const struct {
        const char* rows;
        int exitCode;
        QString said;
        int pages; // 0: no file written
    } cases[] = {
        {"1-3", 0, u"「印刷しない」の行は印刷しません: 2 行目"_qs, 2},
        {"2", 1, u"印刷する行がありません"_qs, 0},
    };
    for (const auto& c : cases) {
        QFile::remove(pdf);
        const CliRun r = runCli(
            {"pdf", list, "--format", "sheet", "--rows", c.rows, "-o", pdf, "--settings", absent});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.rows;
        EXPECT_TRUE(err(r).contains(c.said)) << err(r).toStdString();
        EXPECT_EQ(QFile::exists(pdf) ? rinova::testing::pdfPageCount(pdf) : 0, c.pages) << c.rows;
    }
}
