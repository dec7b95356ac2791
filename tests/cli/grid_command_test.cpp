// rinova-cli grid, run as a separate process the way scripts use it.
#include "tests/support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using rinova::testing::CliRun;
using rinova::testing::runCli;

QJsonObject line(const QByteArray& out, int i) {
    return QJsonDocument::fromJson(out.split('\n').value(i)).object();
}

QStringList strings(const QJsonValue& v) {
    QStringList list;
    for (const QJsonValue& e : v.toArray())
        list << e.toString();
    return list;
}

} // namespace

TEST(GridCommand, WritesHeaderAndRowsDecodedAndInHex) {
    const CliRun r = runCli(
        {QStringLiteral("grid"), QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/grid_mixed.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    ASSERT_EQ(r.out.count('\n'), 5);
    const QJsonObject header = line(r.out, 0);
    EXPECT_EQ(header.value(QStringLiteral("row")).toInt(-1), 0);
    EXPECT_EQ(strings(header.value(QStringLiteral("cells"))),
              QStringList({"番号", "名前1", "名前2", "〒", "住所1", "住所2", "備考"}));

    const QJsonObject first = line(r.out, 1);
    EXPECT_EQ(strings(first.value(QStringLiteral("cells"))),
              QStringList({"1", "山田　太郎", "様", "100-0001", "東京都千代田区,　千代田1-1", " ",
                           "社長　\"代表\""}));
    EXPECT_EQ(strings(first.value(QStringLiteral("hex"))).value(1),
              QStringLiteral("8e529363814091be9859"));

    const QJsonObject invalid = line(r.out, 3);
    EXPECT_EQ(strings(invalid.value(QStringLiteral("hex"))),
              QStringList({"33", "955c835c", "80fd822c832c78", "", "", "", ""}));
    EXPECT_EQ(strings(invalid.value(QStringLiteral("cells"))).value(2),
              QStringLiteral("\uFFFD\uFFFD\uFFFD,\uFFFD,x"));
    EXPECT_EQ(strings(line(r.out, 4).value(QStringLiteral("cells"))).mid(1, 2),
              QStringList({"鈴木", "花子"}));
}

TEST(GridCommand, ControlCharactersAreEscaped) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.csv"));
    rinova::testing::writeBytes(path, "\"a\x01\tb\\\"");
    const CliRun r = runCli({QStringLiteral("grid"), path});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(R"("a\u0001\u0009b\\")")) << r.out.constData();
    EXPECT_EQ(strings(line(r.out, 1).value(QStringLiteral("cells"))).value(1),
              QStringLiteral("a\u0001\tb\\"));
}

TEST(GridCommand, StatsCountAddressRowsAndTheirBytes) {
    const CliRun r = runCli({QStringLiteral("grid"), QStringLiteral("--stats"),
                             QStringLiteral(RINOVA_SOURCE_DIR "/tests/data/grid_mixed.csv")});
    ASSERT_EQ(r.exitCode, 0);
    // Row bytes: 1+10+2+8+26+1+12, 1+1, 1+4+7, 1+4+4.
    EXPECT_EQ(r.out, QByteArray("{\"rows\":4,\"bytes\":83}\n"));
}

TEST(GridCommand, FailuresAndBadArguments) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("無い.csv"));
    CliRun r = runCli({QStringLiteral("grid"), missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(
        QString::fromUtf8(r.err).contains(QStringLiteral("ファイル %1 は開けません").arg(missing)));

    for (const QStringList& args :
         {QStringList{QStringLiteral("grid")},
          QStringList{QStringLiteral("grid"), QStringLiteral("a"), QStringLiteral("b")},
          QStringList{QStringLiteral("grid"), QStringLiteral("--rows"), QStringLiteral("a")}}) {
        r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
