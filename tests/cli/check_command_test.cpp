// rinova-cli check: the check before printing as JSON lines, against the cut of the real postal
// data, and without any.
#include "tests/support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using rinova::testing::CliRun;
using rinova::testing::runCli;

namespace {

QString writeList(const QTemporaryDir& dir, const char16_t* lines) {
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    rinova::testing::writeBytes(path, rinova::testing::sjis(lines));
    return path;
}

std::vector<QJsonObject> findings(const CliRun& r) {
    std::vector<QJsonObject> out;
    for (const QByteArray& line : r.out.split('\n'))
        if (!line.isEmpty()) out.push_back(QJsonDocument::fromJson(line).object());
    return out;
}

} // namespace

TEST(CheckCommand, OneObjectPerFindingAndFindingsAreNoFailure) {
    qputenv("RINOVA_POSTAL_DIR", RINOVA_SOURCE_DIR "/tests/data/postal");
    QTemporaryDir dir;
    const QString list = writeList(dir, u"山田,様,100-0013,東京都千代田区霞が関1-1,,\r\n"
                                        u"鈴木,様,600001,札幌市中央区,北1条西2丁目,\r\n"
                                        u"佐藤,様,330-0063,埼玉県浦和市高砂3-1,,\r\n"
                                        u",,,,,\r\n"
                                        u"田中,様,123-4567,東京都千代田区丸の内1-1,,\r\n");
    const CliRun r = runCli({"check", list, "--settings", dir.filePath("absent.ini")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const std::vector<QJsonObject> found = findings(r);
    const std::vector<std::pair<int, const char*>> want = {{2, "postal-digits"},
                                                           {2, "postal-six-digits"},
                                                           {3, "postal-other-place"},
                                                           {4, "empty-row"},
                                                           {5, "postal-not-held"}};
    ASSERT_EQ(found.size(), want.size()) << r.out.constData();
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(found[i].value("row").toInt(), want[i].first);
        EXPECT_EQ(found[i].value("kind").toString(), QLatin1String(want[i].second));
        for (const char* key : {"message", "code", "data_says", "row_says"})
            EXPECT_TRUE(found[i].value(key).isString()) << key;
        EXPECT_TRUE(found[i].value("suggestions").isArray());
    }
    EXPECT_EQ(found[1].value("suggestions").toArray().at(0).toObject().value("code").toString(),
              u"0600001"_qs);
    const QJsonObject& stale = found[2];
    EXPECT_EQ(stale.value("code").toString(), u"3300063"_qs);
    EXPECT_EQ(stale.value("data_says").toString(), u"埼玉県さいたま市浦和区高砂"_qs);
    EXPECT_EQ(stale.value("row_says").toString(), u"埼玉県浦和市高砂3-1"_qs);
    EXPECT_EQ(found[4].value("message").toString(),
              u"郵便番号 123-4567 は辞書にありません（住所に合う番号: 100-0005）"_qs);
    EXPECT_EQ(found[4].value("suggestions").toArray().at(0).toObject().value("address").toString(),
              u"東京都千代田区丸の内"_qs);

    // A range checks only its rows; one outside the file is a usage error.
    const CliRun range = runCli({"check", list, "--rows", "3-4", "--settings", "absent.ini"});
    EXPECT_EQ(findings(range).size(), 2u);
    EXPECT_EQ(runCli({"check", list, "--rows", "9"}).exitCode, 2);
    EXPECT_EQ(runCli({"check", list, "--strict"}).exitCode, 2);
    EXPECT_EQ(runCli({"check"}).exitCode, 2);
    EXPECT_EQ(runCli({"check", dir.filePath("none.csv")}).exitCode, 1);
}

TEST(CheckCommand, WithoutThePostalDataTheRestIsCheckedAndThatIsSaidOnce) {
    QTemporaryDir dir, empty;
    qputenv("RINOVA_POSTAL_DIR", empty.path().toUtf8());
    const QString list = writeList(dir, u"a,様,123-4567,東京都,,\r\nb,様,765-4321,大阪府,,\r\n"
                                        u"c,様,60001,北海道,,\r\n");
    const CliRun r = runCli({"check", list});
    ASSERT_EQ(r.exitCode, 0);
    const std::vector<QJsonObject> found = findings(r);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].value("kind").toString(), u"postal-digits"_qs);
    EXPECT_EQ(found[0].value("code").toString(), u"60001"_qs);
    EXPECT_EQ(QString::fromUtf8(r.err).count(u"skkdic-extra"_qs), 1) << r.err.constData();
    // The help says where the data is, or that it is missing.
    EXPECT_TRUE(
        QString::fromUtf8(runCli({"--help"}).out)
            .contains(QStringLiteral("郵便番号の辞書が %1 にありません").arg(empty.path())));
}
