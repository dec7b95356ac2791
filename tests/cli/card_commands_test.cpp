// rinova-cli card and png, run as a user runs them, on the sample address file.
#include "drawing/fonts.h"
#include "drawing/playback.h"
#include "tests/support/test_support.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using rinova::testing::sjis;
using rinova::testing::writeBytes;

// A run whose standard output is JSON lines, one recorded operation each.
struct CliRun : rinova::testing::CliRun {
    std::vector<QJsonObject> ops() const {
        std::vector<QJsonObject> result;
        for (const QByteArray& line : out.split('\n')) {
            if (line.isEmpty()) continue;
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
            result.push_back(doc.object());
        }
        return result;
    }
};

CliRun runCli(const QStringList& args) {
    return {rinova::testing::runCli(args)};
}

const QString kSample = QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv");

class CardCommand : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString ini(const std::string& body) {
        const QString path = dir.filePath(QStringLiteral("rinova.ini"));
        writeBytes(path, "[SET]\r\n" + body);
        return path;
    }
    QString noIni() const { return dir.filePath(QStringLiteral("absent.ini")); }
};

const QJsonObject* findText(const std::vector<QJsonObject>& ops, const QString& text) {
    for (const QJsonObject& o : ops)
        if (o["op"] == "text" && o["text"] == text) return &o;
    return nullptr;
}

int count(const std::vector<QJsonObject>& ops, const char* kind) {
    int n = 0;
    for (const QJsonObject& o : ops)
        n += o["op"] == QLatin1String(kind);
    return n;
}

TEST_F(CardCommand, ListsTheSampleRowInDrawingOrder) {
    const CliRun r = runCli({"card", kSample, "--row", "1", "--settings", noIni()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<QJsonObject> ops = r.ops();
    ASSERT_EQ(ops.size(), 1u + 8u + 2u + 2u + 7u + 3u + 2u + 5u);

    EXPECT_EQ(ops[0], QJsonDocument::fromJson(R"({"op":"rect","x1":0,"y1":0,"x2":1000,
        "y2":-1480,"pen":"#000000","fill":"#ffffff"})")
                          .object());
    // 123-4567: digits in the seven boxes, the blank included, each cell starting in its box.
    const int boxes[][2] = {{437, 500}, {508, 569}, {577, 637}, {577, 637},
                            {652, 712}, {720, 780}, {789, 849}, {857, 916}};
    const char* chars[] = {"1", "2", "3", " ", "4", "5", "6", "7"};
    for (int i = 0; i < 8; ++i) {
        const QJsonObject& o = ops[static_cast<std::size_t>(1 + i)];
        EXPECT_GE(o["x"].toInt(), boxes[i][0]);
        EXPECT_LT(o["x"].toInt(), boxes[i][1]);
        EXPECT_LT(o["y"].toInt(), -110);
        EXPECT_GT(o["y"].toInt(), -195 + 70);
        EXPECT_EQ(o["text"].toString(), QLatin1String(chars[i]));
        EXPECT_EQ(o["face"].toString(), QString::fromUtf16(u"ＭＳ Ｐゴシック"));
        EXPECT_EQ(o["height"].toInt(), 70);
        EXPECT_FALSE(o["vertical"].toBool());
    }
    const QJsonObject& address1 = ops[9];
    EXPECT_EQ(address1["text"].toString(), QString::fromUtf16(u"東京都架空区見本町一-二-三"));
    EXPECT_EQ(address1["x"].toInt(), 930);
    EXPECT_EQ(address1["y"].toInt(), -230);
    EXPECT_EQ(address1["face"].toString(), QString::fromUtf16(u"@ＤＦ行書体"));
    EXPECT_EQ(address1["height"].toInt(), 57);
    EXPECT_TRUE(address1["vertical"].toBool());
    const QJsonObject& name2 = ops[12];
    EXPECT_EQ(name2["text"].toString(), QString::fromUtf16(u"花子 様"));
    EXPECT_EQ(name2["x"].toInt(), 450);
    EXPECT_EQ(name2["y"].toInt(), -580);
    EXPECT_EQ(ops[13]["pen"].toString(), "#ff0000");
    EXPECT_TRUE(ops[13]["fill"].isNull());
    EXPECT_EQ(ops.back(), QJsonDocument::fromJson(R"({"op":"line","x1":300,"y1":-1219,
        "x2":300,"y2":-1283,"pen":"#ff0000"})")
                              .object());
}

TEST_F(CardCommand, TargetName2AndEmptyRows) {
    CliRun r = runCli({"card", kSample, "--row", "1", "--settings", noIni(), "--no-name2"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(findText(r.ops(), QString::fromUtf16(u"花子 様")), nullptr);
    EXPECT_NE(findText(r.ops(), QString::fromUtf16(u"山田太郎 様")), nullptr);

    r = runCli({"card", kSample, "--row", "1", "--settings", noIni(), "--target", "printer"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(count(r.ops(), "rect"), 0);
    EXPECT_EQ(count(r.ops(), "line"), 0);
    EXPECT_EQ(count(r.ops(), "text"), 8 + 2 + 2);

    // Row 2's name 2 was an empty field (one blank): no second name.
    r = runCli({"card", kSample, "--row", "2", "--settings", noIni()});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(count(r.ops(), "text"), 8 + 2 + 1);

    // Beyond the file: refused, as a row range beyond it is.
    r = runCli({"card", kSample, "--row", "99", "--settings", noIni()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CardCommand, SettingsWindowChoicesComeFromTheIni) {
    const QString path = ini("FontName=3\r\nSashiPrint=1\r\nCardType=1\r\nSashiYuban3=100\r\n"
                             "SashiYuban4=0001\r\nEdit1Value0=+12\r\nEdit3Value2=-30\r\n" +
                             sjis(u"SashiName1=見本次郎\r\nBikou=転居\r\n"));
    const CliRun r = runCli({"card", kSample, "--row", "1", "--settings", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<QJsonObject> ops = r.ops();
    const QJsonObject* address1 = findText(ops, QString::fromUtf16(u"東京都架空区見本町一-二-三"));
    ASSERT_NE(address1, nullptr);
    EXPECT_EQ((*address1)["x"].toInt(), 942);
    EXPECT_EQ((*address1)["face"].toString(), QString::fromUtf16(u"@HG行書体"));
    const QJsonObject* name1 = findText(ops, QString::fromUtf16(u"山田太郎 様"));
    ASSERT_NE(name1, nullptr);
    EXPECT_EQ((*name1)["height"].toInt(), 100);
    const QJsonObject* sender = findText(ops, QString::fromUtf16(u"見本次郎"));
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ((*sender)["x"].toInt(), 200);
    EXPECT_EQ((*sender)["y"].toInt(), -950); // official postcard: 150 lower
    const QJsonObject* remark = findText(ops, QString::fromUtf16(u"転居"));
    ASSERT_NE(remark, nullptr);
    EXPECT_EQ((*remark)["height"].toInt(), 22);
    int digits = 0;
    for (const QJsonObject& o : ops)
        if (o["op"] == "text" && o["height"].toInt() == 40 && !o["vertical"].toBool()) {
            // In the official postcard's sender boxes, 136.3 to 142.9 mm down.
            EXPECT_LT(o["y"].toInt(), -1363);
            EXPECT_GT(o["y"].toInt(), -1429 + 40);
            EXPECT_EQ(o["face"].toString(), QString::fromUtf16(u"@HG行書体"));
            EXPECT_FALSE(o["vertical"].toBool());
            ++digits;
        }
    EXPECT_EQ(digits, 7);
    EXPECT_TRUE(r.err.isEmpty() || !r.err.contains("整数")) << r.err.toStdString();
}

TEST_F(CardCommand, FailedSettingsLoadGoesOnAsStartUpDoes) {
    // NameSize is computed first, so every layout value stays 0 ...
    CliRun r = runCli(
        {"card", kSample, "--row", "1", "--settings", ini("Edit3Value2=abc\r\nSashiPrint=1\r\n")});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(
        QString::fromUtf8(r.err).contains(QString::fromUtf16(u"'abc' は整数ではありません")))
        << r.err.toStdString();
    std::vector<QJsonObject> ops = r.ops();
    const QJsonObject* name1 = findText(ops, QString::fromUtf16(u"山田太郎 様"));
    ASSERT_NE(name1, nullptr);
    EXPECT_EQ((*name1)["x"].toInt(), 0);
    EXPECT_EQ((*name1)["height"].toInt(), 0);
    EXPECT_EQ(count(r.ops(), "text"), 8 + 2 + 2 + 5 + 0) << "sender block still printed";

    // ... except those the settings window's spin edits set again when their value is not 0.
    r = runCli(
        {"card", kSample, "--row", "1", "--settings", ini("Edit3Value2=abc\r\nEdit1Value0=5\r\n")});
    ASSERT_EQ(r.exitCode, 0);
    ops = r.ops();
    const QJsonObject* address1 = findText(ops, QString::fromUtf16(u"東京都架空区見本町一-二-三"));
    ASSERT_NE(address1, nullptr);
    EXPECT_EQ((*address1)["x"].toInt(), 935);
    EXPECT_EQ((*address1)["y"].toInt(), 0);

    // A bad "FontName" leaves the window's first states: first face, no sender block.
    r = runCli({"card", kSample, "--row", "1", "--settings",
                ini("FontName=x\r\nSashiPrint=1\r\nCardType=1\r\n")});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf16(u"'x' は整数ではありません")));
    EXPECT_EQ(count(r.ops(), "text"), 8 + 2 + 2);
    EXPECT_EQ(count(r.ops(), "line"), 3 + 5) << "card type 0 guides";
}

TEST_F(CardCommand, BadArgumentsAndUnreadableFiles) {
    for (const QStringList& args : std::vector<QStringList>{
             {"card", kSample},
             {"card", kSample, "--row", "0"},
             {"card", kSample, "--row", "x"},
             {"card", "--row", "1"},
             {"card", kSample, "--row", "1", "--target", "paper"},
             {"card", kSample, "--row", "1", "--bogus"},
             {"png", kSample, "--row", "1", "--width", "0", "-o", "x.png"},
             {"png", kSample, "--row", "1", "--width", "100"},
         }) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf16(u"使い方")));
        EXPECT_TRUE(r.out.isEmpty());
    }
    const CliRun r = runCli({"card", dir.filePath("missing.csv"), "--row", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("missing.csv")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CardCommand, PngIsThePreviewAtTheGivenWidth) {
    for (auto [w, h] : {std::pair{105, 155}, std::pair{250, 370}}) {
        const QString out = dir.filePath(QStringLiteral("card%1.png").arg(w));
        const CliRun r = runCli({"png", kSample, "--row", "1", "--width", QString::number(w), "-o",
                                 out, "--settings", noIni()});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QImage image(out);
        EXPECT_EQ(image.size(), QSize(w, h));
    }

    const QString out = dir.filePath(QStringLiteral("card400.png"));
    ASSERT_EQ(
        runCli({"png", kSample, "--row", "1", "--width", "400", "-o", out, "--settings", noIni()})
            .exitCode,
        0);
    const QImage image = QImage(out).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(400, 592));
    const rinova::drawing::CardMapping m(0, 0, 400, 592);
    auto at = [&](int x, int y) { return QColor(image.pixel(m.pixelX(x), m.pixelY(y))); };
    EXPECT_EQ(at(437, -150), QColor(Qt::red)) << "left edge of the first postal-code box";
    EXPECT_EQ(at(100, -300), QColor(Qt::white)) << "blank card";
    // Ink of the digit 1 inside the first box, and of the address column left of x 930.
    auto inkIn = [&](int x1, int y1, int x2, int y2) {
        int ink = 0;
        for (int y = m.pixelY(y1); y <= m.pixelY(y2); ++y)
            for (int x = m.pixelX(x1); x <= m.pixelX(x2); ++x)
                ink += qGray(image.pixel(x, y)) < 128;
        return ink;
    };
    EXPECT_GT(inkIn(445, -115, 495, -190), 0);
    EXPECT_GT(inkIn(873, -230, 930, -700), 20);
    EXPECT_EQ(inkIn(100, -700, 250, -1000), 0);

    EXPECT_EQ(runCli({"png", kSample, "--row", "1", "--width", "50", "-o",
                      dir.filePath("no/such/dir/x.png"), "--settings", noIni()})
                  .exitCode,
              1);
}

} // namespace

// fonts: one line a face, the font it is drawn with; with a face and its substitute missing,
// the font that stands in and the package that brings the substitute.
TEST(FontsCommand, NamesTheFontEachFaceIsDrawnWithAndWhatToInstall) {
    QTemporaryDir dir;
    const QString onlyGothic = dir.filePath(QStringLiteral("fonts.conf"));
    writeBytes(onlyGothic, "<?xml version=\"1.0\"?><fontconfig>"
                           "<dir>/usr/share/fonts/opentype/ipaexfont-gothic</dir><cachedir>" +
                               dir.filePath(QStringLiteral("cache")).toStdString() +
                               "</cachedir></fontconfig>");
    const struct {
        QString config; // FONTCONFIG_FILE, or the machine's
        QStringList families, packages;
    } cases[] = {
        {{},
         {"AoyagiKouzanFontT", "IPAexMincho", "IPAexGothic", "KouzanBrushFontGyousyo",
          "RocknRoll One"},
         {"", "", "", "", ""}},
        {onlyGothic,
         {"IPAexGothic", "IPAexGothic", "IPAexGothic", "IPAexGothic", "IPAexGothic"},
         {"fonts-aoyagi-kouzan-t", "fonts-ipaexfont-mincho", "", "fonts-kouzan-mouhitsu",
          "fonts-rocknroll"}},
    };
    const QByteArray saved = qgetenv("FONTCONFIG_FILE");
    for (const auto& c : cases) {
        if (c.config.isEmpty())
            qunsetenv("FONTCONFIG_FILE");
        else
            qputenv("FONTCONFIG_FILE", c.config.toLocal8Bit());
        const CliRun r = runCli({"fonts"});
        saved.isNull() ? qunsetenv("FONTCONFIG_FILE") : qputenv("FONTCONFIG_FILE", saved);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 5);
        for (int i = 0; i < 5; ++i) {
            const QStringList cells = lines[i].split('\t');
            ASSERT_EQ(cells.size(), 3) << lines[i].toStdString();
            EXPECT_EQ(cells[0], QString::number(i));
            EXPECT_EQ(cells[1], QString::fromUtf16(rinova::drawing::VerticalFaces[i]));
            EXPECT_TRUE(cells[2].startsWith(c.families[i] + " (/")) << lines[i].toStdString();
            const QString file = cells[2].section(" (", 1).section(')', 0, 0);
            EXPECT_TRUE(QFileInfo(file).isFile()) << lines[i].toStdString();
            EXPECT_EQ(cells[2].contains("をインストールしてください"), !c.packages[i].isEmpty());
            EXPECT_TRUE(cells[2].contains(c.packages[i])) << lines[i].toStdString();
        }
    }
}
