// rinova-cli card and fitting: every column tells where it ends and its pitch, FitText=0 keeps
// the listing of the release before fitting, and a checker sees from the listing what fits.
#include "tests/support/test_support.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using rinova::testing::runCli;
using rinova::testing::sjis;
using rinova::testing::writeBytes;

const QString kSample = QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv");

std::string settings(int face, int cardType, bool sender) {
    return "[SET]\r\nFontName=" + std::to_string(face) + "\r\nSashiPrint=" + (sender ? "1" : "0") +
           "\r\nCardType=" + std::to_string(cardType) +
           "\r\nSashiYuban3=100\r\nSashiYuban4=0001\r\n" +
           sjis(u"SashiAdd1=大阪府架空市北区見本1-1\r\nSashiAdd2=ハイツ見本202\r\n"
                u"SashiName1=見本次郎\r\nSashiName2=良子\r\nBikou=転居しました\r\n");
}

TEST(CardFit, ListingBeforeFittingStaysWithEndAndAdvanceAddedToColumns) {
    // The listing of the sample file as the release before fitting printed it (SHA-256, first
    // 16 hex digits), for three choices of face, card type and sender block; without the postal
    // codes' upright digits, which are now centred in their boxes by their ink.
    struct Case {
        int face, cardType;
        bool sender;
        const char* digests; // rows 1 to 6
    };
    const Case cases[] = {
        {1, 0, true,
         "39a13dfdc787e252 4fc40106246e183d 47205fd8f89a89fa 22a901c6a7454462 f9a868255e5d9599 "
         "925f96901146b15d"},
        {4, 1, false,
         "519ad30dfac85a44 5e9417a4d39a407f a15ebe81965c4228 7dfc7707136801fd 0d1c6dd53307d1c2 "
         "33a21f1e2332f283"},
        {0, 0, false,
         "9a5983a7a77c5aff 643d33af23c530a9 b82cf88101d77e1e e3e61db6b7f27da6 dc9e6556290fe009 "
         "7455f2007bf04e1c"},
    };
    const QRegularExpression added(QStringLiteral(R"(,"end":-?\d+,"advance":\d+\}$)"));
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    for (const Case& c : cases)
        for (const char* fitText : {"0", "1"})
            for (int row = 1; row <= 6; ++row) {
                writeBytes(ini,
                           settings(c.face, c.cardType, c.sender) + "FitText=" + fitText + "\r\n");
                const auto run = runCli({QStringLiteral("card"), kSample, QStringLiteral("--row"),
                                         QString::number(row), QStringLiteral("--settings"), ini});
                ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
                QByteArray before;
                bool compressed = false;
                int outside = 0; // recipient columns that a checker sees end in the lottery area
                for (const QByteArray& line : run.out.split('\n')) {
                    if (line.isEmpty()) continue;
                    const QString text = QString::fromUtf8(line);
                    EXPECT_EQ(text.contains(added), line.contains("\"vertical\":true"))
                        << line.toStdString();
                    const QJsonObject o = QJsonDocument::fromJson(line).object();
                    compressed |= o.contains("advance") && o["advance"] != o["height"];
                    if (o["vertical"].toBool() && o["x"].toInt() > 300 && c.cardType == 0)
                        outside += o["end"].toInt() < (o["x"].toInt() > 730 ? -1250 : -1290);
                    if (o["op"] == QLatin1String("text") && !o["vertical"].toBool()) continue;
                    before += QString(text).replace(added, QStringLiteral("}")).toUtf8() + '\n';
                }
                const QByteArray digest =
                    QCryptographicHash::hash(before, QCryptographicHash::Sha256).toHex().left(16);
                // Row 3 starts name 2 in the postal-code boxes: fitting moves both names down.
                // Rows 2 and 5 run into the New Year card's lottery area: set tighter, and
                // smaller where the full-cell dash of 5-18 stops the pitch.
                const bool fit = *fitText == '1';
                const bool longRow = c.cardType == 0 && (row == 2 || row == 5);
                const std::string where = "face " + std::to_string(c.face) + " row " +
                                          std::to_string(row) + " FitText=" + fitText;
                if (!(fit && longRow)) {
                    EXPECT_EQ(digest == QByteArray(c.digests).split(' ')[row - 1],
                              !(fit && row == 3))
                        << where;
                }
                EXPECT_EQ(compressed, fit && longRow) << where;
                EXPECT_EQ(outside > 0, !fit && longRow) << where;
            }
}

} // namespace
