// Face names of the card resolved to installed fonts, and the printer font list.
#include "drawing/fonts.h"
#include "drawing/recording_canvas.h"
#include "text/cp932.h"

#include <QFileInfo>
#include <QFont>
#include <QRawFont>
#include <QSet>
#include <gtest/gtest.h>

namespace rinova::drawing {
namespace {

QString primaryFamily(const QString& face) {
    return fontSetFor(face).primary.family;
}

TEST(Fonts, TheFiveVerticalFacesAndTheDefaultResolveToTheirSubstitutes) {
    EXPECT_EQ(primaryFamily(QStringLiteral(u"@ＤＦ行書体")), QStringLiteral("AoyagiKouzanFontT"));
    EXPECT_EQ(primaryFamily(QStringLiteral(u"@ＭＳ 明朝")), QStringLiteral("IPAexMincho"));
    EXPECT_EQ(primaryFamily(QStringLiteral(u"@ＭＳ ゴシック")), QStringLiteral("IPAexGothic"));
    EXPECT_EQ(primaryFamily(QStringLiteral(u"@HG行書体")),
              QStringLiteral("KouzanBrushFontGyousyo"));
    EXPECT_EQ(primaryFamily(QStringLiteral(u"@HG創英角ﾎﾟｯﾌﾟ体")), QStringLiteral("RocknRoll One"));
    EXPECT_EQ(primaryFamily(QStringLiteral(u"ＭＳ Ｐゴシック")), QStringLiteral("IPAPGothic"));
    // The "@" only marks the vertical variant.
    EXPECT_EQ(primaryFamily(QStringLiteral(u"ＭＳ 明朝")), QStringLiteral("IPAexMincho"));
    // Full-width and half-width letters are different names.
    EXPECT_FALSE(installedFamilyFor(QStringLiteral(u"@MS 明朝")));
}

TEST(Fonts, FaceComesFromTheRecordedShiftJisField) {
    LogFont f = defaultCanvasFont();
    EXPECT_EQ(faceOf(f), QStringLiteral(u"ＭＳ Ｐゴシック"));
    f.setFace(text::fromUnicode(u"@HG創英角ﾎﾟｯﾌﾟ体"));
    EXPECT_EQ(primaryFamily(faceOf(f)), QStringLiteral("RocknRoll One"));
}

TEST(Fonts, InstalledFaceWinsAndEmptyOrUnknownFacesGetAJapaneseFace) {
    EXPECT_EQ(primaryFamily(QStringLiteral("@IPAMincho")), QStringLiteral("IPAMincho"));
    EXPECT_EQ(primaryFamily(QStringLiteral(u"IPAex明朝")), QStringLiteral(u"IPAex明朝"));

    const QString chosen = primaryFamily(QString());
    ASSERT_FALSE(chosen.isEmpty());
    QFont font(chosen);
    font.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont raw = QRawFont::fromFont(font);
    EXPECT_TRUE(raw.supportsCharacter(QChar(u'あ'))) << chosen.toStdString();
    EXPECT_TRUE(raw.supportsCharacter(QChar(u'漢'))) << chosen.toStdString();
    EXPECT_EQ(primaryFamily(QStringLiteral("@")), chosen);
    EXPECT_EQ(primaryFamily(QStringLiteral(u"@ＭＳ 行書")), chosen);
    EXPECT_FALSE(installedFamilyFor(QStringLiteral(u"@ＭＳ 行書")));
}

QStringList familiesOf(const std::vector<Font>& fonts) {
    QStringList out;
    for (const Font& font : fonts)
        out.append(font.family);
    return out;
}

TEST(Fonts, FontFileIsTheOneFontconfigGivesForTheFamily) {
    const FontSet& gothic = fontSetFor(QStringLiteral(u"@ＭＳ ゴシック"));
    const QStringList fallbacks = familiesOf(gothic.fallbacks);
    const qsizetype mincho = fallbacks.indexOf(QStringLiteral("IPAexMincho"));
    const qsizetype serif = fallbacks.indexOf(QStringLiteral("Noto Serif CJK JP"));
    ASSERT_GE(mincho, 0);
    ASSERT_GE(serif, 0);
    const QByteArray& minchoPath = gothic.fallbacks[std::size_t(mincho)].file.path;
    EXPECT_TRUE(minchoPath.endsWith(".ttf")) << minchoPath.toStdString();
    const QByteArray& serifPath = gothic.fallbacks[std::size_t(serif)].file.path;
    EXPECT_TRUE(serifPath.contains("NotoSerifCJK-Regular")) << serifPath.toStdString();
}

TEST(Fonts, EachVerticalFaceHasAReadablePrimaryAndTheSerifFallbacksFirstWithoutItself) {
    for (const char16_t* face :
         {u"@ＤＦ行書体", u"@ＭＳ 明朝", u"@ＭＳ ゴシック", u"@HG行書体", u"@HG創英角ﾎﾟｯﾌﾟ体"}) {
        SCOPED_TRACE(QString::fromUtf16(face).toStdString());
        const FontSet& set = fontSetFor(QString::fromUtf16(face));
        EXPECT_TRUE(QFileInfo(QString::fromUtf8(set.primary.file.path)).isReadable())
            << set.primary.file.path.toStdString();
        QStringList serifFirst = {QStringLiteral("IPAexMincho"),
                                  QStringLiteral("Noto Serif CJK JP")};
        serifFirst.removeAll(set.primary.family);
        const QStringList fallbacks = familiesOf(set.fallbacks);
        EXPECT_EQ(fallbacks.mid(0, serifFirst.size()), serifFirst);
        EXPECT_FALSE(fallbacks.contains(set.primary.family));
        for (const Font& font : set.fallbacks)
            EXPECT_TRUE(QFileInfo(QString::fromUtf8(font.file.path)).isReadable())
                << font.family.toStdString();
    }
}

TEST(Fonts, PrinterFontNamesHoldInstalledFamiliesAndEveryResolvableFaceWithItsVerticalName) {
    const QStringList names = printerFontNames();
    for (const char16_t* face : {u"ＤＦ行書体", u"ＭＳ 明朝", u"ＭＳ ゴシック", u"HG行書体",
                                 u"HG創英角ﾎﾟｯﾌﾟ体", u"ＭＳ Ｐゴシック"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf16(face)));
        EXPECT_TRUE(names.contains(QLatin1Char('@') + QString::fromUtf16(face)));
    }
    EXPECT_TRUE(names.contains(QStringLiteral("IPAexMincho")));
    EXPECT_TRUE(names.contains(QStringLiteral(u"IPAex明朝")));
    EXPECT_TRUE(names.contains(QStringLiteral("RocknRoll One")));
    // Membership is exact: no face that does not resolve, no vertical names of plain families.
    EXPECT_FALSE(names.contains(QStringLiteral(u"@ＭＳ Ｐ明朝")));
    EXPECT_FALSE(names.contains(QStringLiteral("@IPAexMincho")));
    EXPECT_FALSE(names.contains(QStringLiteral(u"@ＭＳ 明朝 ")));
    EXPECT_EQ(names.size(), QSet<QString>(names.begin(), names.end()).size());
}

} // namespace
} // namespace rinova::drawing
