// Face names of the card resolved to installed fonts, and the printer font list.
#include "surface/fonts.h"
#include "surface/recording_canvas.h"
#include "text/cp932.h"

#include <QFont>
#include <QRawFont>
#include <QSet>
#include <gtest/gtest.h>

namespace rinova::surface {
namespace {

TEST(Fonts, TheFiveVerticalFacesAndTheDefaultResolveToTheirSubstitutes) {
    EXPECT_EQ(resolveFamily(QStringLiteral(u"@ＤＦ行書体")), QStringLiteral("AoyagiKouzanFontT"));
    EXPECT_EQ(resolveFamily(QStringLiteral(u"@ＭＳ 明朝")), QStringLiteral("IPAexMincho"));
    EXPECT_EQ(resolveFamily(QStringLiteral(u"@ＭＳ ゴシック")), QStringLiteral("IPAexGothic"));
    EXPECT_EQ(resolveFamily(QStringLiteral(u"@HG行書体")),
              QStringLiteral("KouzanBrushFontGyousyo"));
    EXPECT_EQ(resolveFamily(QStringLiteral(u"@HG創英角ﾎﾟｯﾌﾟ体")), QStringLiteral("RocknRoll One"));
    EXPECT_EQ(resolveFamily(QStringLiteral(u"ＭＳ Ｐゴシック")), QStringLiteral("IPAPGothic"));
    // The "@" only marks the vertical variant.
    EXPECT_EQ(resolveFamily(QStringLiteral(u"ＭＳ 明朝")), QStringLiteral("IPAexMincho"));
    // Full-width and half-width letters are different names.
    EXPECT_FALSE(installedFamilyFor(QStringLiteral(u"@MS 明朝")));
}

TEST(Fonts, FaceComesFromTheRecordedShiftJisField) {
    LogFont f = defaultCanvasFont();
    EXPECT_EQ(faceOf(f), QStringLiteral(u"ＭＳ Ｐゴシック"));
    f.setFace(text::fromUnicode(u"@HG創英角ﾎﾟｯﾌﾟ体"));
    EXPECT_EQ(resolveFamily(faceOf(f)), QStringLiteral("RocknRoll One"));
}

TEST(Fonts, InstalledFaceWinsAndEmptyOrUnknownFacesGetAJapaneseFace) {
    EXPECT_EQ(resolveFamily(QStringLiteral("@IPAMincho")), QStringLiteral("IPAMincho"));
    EXPECT_EQ(resolveFamily(QStringLiteral(u"IPAex明朝")), QStringLiteral(u"IPAex明朝"));

    const QString chosen = resolveFamily(QString());
    ASSERT_FALSE(chosen.isEmpty());
    QFont font(chosen);
    font.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont raw = QRawFont::fromFont(font);
    EXPECT_TRUE(raw.supportsCharacter(QChar(u'あ'))) << chosen.toStdString();
    EXPECT_TRUE(raw.supportsCharacter(QChar(u'漢'))) << chosen.toStdString();
    EXPECT_EQ(resolveFamily(QStringLiteral("@")), chosen);
    EXPECT_EQ(resolveFamily(QStringLiteral(u"@ＭＳ 行書")), chosen);
    EXPECT_FALSE(installedFamilyFor(QStringLiteral(u"@ＭＳ 行書")));
}

TEST(Fonts, FontFileIsTheOneFontconfigGivesForTheFamily) {
    const FontFile mincho = fontFileFor(QStringLiteral("IPAexMincho"));
    EXPECT_TRUE(mincho.path.endsWith(".ttf")) << mincho.path.toStdString();
    const FontFile serif = fontFileFor(QStringLiteral("Noto Serif CJK JP"));
    EXPECT_TRUE(serif.path.contains("NotoSerifCJK-Regular")) << serif.path.toStdString();
    EXPECT_TRUE(fallbackFamilies().contains(QStringLiteral("IPAexMincho")));
    EXPECT_TRUE(fallbackFamilies().contains(QStringLiteral("Noto Serif CJK JP")));
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
} // namespace rinova::surface
