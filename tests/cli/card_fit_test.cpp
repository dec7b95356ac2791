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
    // 16 hex digits), for three choices of face, card type and sender block.
    struct Case {
        int face, cardType;
        bool sender;
        const char* digests; // rows 1 to 6
    };
    const Case cases[] = {
        {1, 0, true,
         "ca38bcaa53ee1531 9fd56055750ef306 d9527780602eb7cf 081b6fd4e27ef4d7 12784d324547d131 "
         "384235c4d24b8d80"},
        {4, 1, false,
         "146402668e7fabd5 c3920ccf0f5297e9 cfa8d1b145163530 2bff0a5e9e5faeea ca3db15529aaf2b6 "
         "ee27b703a896e2f3"},
        {0, 0, false,
         "b5c6f0698cfc74b6 dcce8b4b6db1f066 3d0d8b4cee0c8e23 9e569f2847982675 a88231fbbd4c9480 "
         "2c9efdbf2f56a4f8"},
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
