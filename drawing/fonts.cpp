#include "drawing/fonts.h"

#include "text/cp932.h"

#include <QFileInfo>
#include <QFont>
#include <fontconfig/fontconfig.h>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace rinova::drawing {

namespace {

struct Substitute {
    const char16_t* face;
    std::vector<const char*> families;
    const char* package; // the Debian package of the first family
};

// The faces of the card (the vertical ones without their "@") and the free families that stand
// in for them, best first.
const std::vector<Substitute>& substitutes() {
    static const std::vector<Substitute> table = {
        {VerticalFaces[0] + 1, {"AoyagiKouzanFontT"}, "fonts-aoyagi-kouzan-t"},
        {VerticalFaces[1] + 1, {"IPAexMincho", "IPAMincho"}, "fonts-ipaexfont-mincho"},
        {VerticalFaces[2] + 1, {"IPAexGothic", "IPAGothic"}, "fonts-ipaexfont-gothic"},
        {VerticalFaces[3] + 1, {"KouzanBrushFontGyousyo"}, "fonts-kouzan-mouhitsu"},
        {VerticalFaces[4] + 1, {"RocknRoll One"}, "fonts-rocknroll"},
        {DefaultFace, {"IPAPGothic"}, "fonts-ipafont-gothic"},
    };
    return table;
}

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

FcConfig* config() {
    static FcConfig* const cfg = [] {
        FcInit();
        return FcConfigGetCurrent();
    }();
    return cfg;
}

// Every family name fontconfig lists (a font may carry several, e.g. Latin and Japanese).
const std::set<QString>& installedFamilies() {
    static const std::set<QString> families = [] {
        std::set<QString> out;
        Pattern pattern(FcPatternCreate());
        FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* fs = FcFontList(config(), pattern.get(), os);
        FcObjectSetDestroy(os);
        if (!fs) return out;
        for (int i = 0; i < fs->nfont; ++i) {
            FcChar8* name = nullptr;
            for (int n = 0; FcPatternGetString(fs->fonts[i], FC_FAMILY, n, &name) == FcResultMatch;
                 ++n)
                out.insert(QString::fromUtf8(reinterpret_cast<const char*>(name)));
        }
        FcFontSetDestroy(fs);
        return out;
    }();
    return families;
}

bool isInstalled(const QString& family) {
    return installedFamilies().count(family) != 0;
}

// The first family of fontconfig's best match for a pattern, with its file.
std::optional<std::pair<QString, FontFile>> match(FcPattern* pattern) {
    FcConfigSubstitute(config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    Pattern found(FcFontMatch(config(), pattern, &result));
    if (!found) return std::nullopt;
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(found.get(), FC_FAMILY, 0, &family) != FcResultMatch ||
        FcPatternGetString(found.get(), FC_FILE, 0, &file) != FcResultMatch)
        return std::nullopt;
    FcPatternGetInteger(found.get(), FC_INDEX, 0, &index);
    return std::make_pair(QString::fromUtf8(reinterpret_cast<const char*>(family)),
                          FontFile{QByteArray(reinterpret_cast<const char*>(file)), index});
}

const QString& japaneseDefaultFamily() {
    static const QString family = [] {
        Pattern pattern(FcPatternCreate());
        FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
        auto found = match(pattern.get());
        return found ? found->first : QStringLiteral("IPAexGothic");
    }();
    return family;
}

// The file fontconfig gives for a family, looked up once per family: every face shares the
// fallbacks, and every unknown face the Japanese default.
FontFile fileFor(const QString& family) {
    static std::map<QString, FontFile> cache;
    auto it = cache.find(family);
    if (it != cache.end()) return it->second;
    Pattern pattern(FcPatternCreate());
    const QByteArray utf8 = family.toUtf8();
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.data()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
    FontFile file;
    if (auto found = match(pattern.get())) file = found->second;
    cache.emplace(family, file);
    return file;
}

// Fonts tried, in order, for characters a face lacks or draws empty: the installed ones of these
// families, then fontconfig's Japanese default.
const std::vector<Font>& fallbackFonts() {
    static const std::vector<Font> fonts = [] {
        QStringList families;
        for (const char* f :
             {"IPAexMincho", "Noto Serif CJK JP", "IPAMincho", "Noto Sans CJK JP", "IPAexGothic"})
            if (isInstalled(QString::fromLatin1(f))) families.append(QString::fromLatin1(f));
        const QString& ja = japaneseDefaultFamily();
        if (!families.contains(ja)) families.append(ja);
        std::vector<Font> out;
        for (const QString& family : families)
            out.push_back({family, fileFor(family)});
        return out;
    }();
    return fonts;
}

} // namespace

QString baseFaceName(const QString& face) {
    return face.startsWith(u'@') ? face.mid(1) : face;
}

std::optional<QString> installedFamilyFor(const QString& face) {
    const QString base = baseFaceName(face);
    if (base.isEmpty()) return std::nullopt;
    if (isInstalled(base)) return base;
    for (const Substitute& s : substitutes()) {
        if (base != QString::fromUtf16(s.face)) continue;
        for (const char* family : s.families)
            if (isInstalled(QString::fromLatin1(family))) return QString::fromLatin1(family);
    }
    return std::nullopt;
}

QString substitutePackage(const QString& face) {
    const QString base = baseFaceName(face);
    for (const Substitute& s : substitutes())
        if (base == QString::fromUtf16(s.face)) return QString::fromLatin1(s.package);
    return {};
}

QString fontInUseText(const QString& face) {
    const Font& font = fontSetFor(face).primary;
    QString text = font.family;
    // The file itself, not the alternatives link fontconfig may name.
    if (!font.file.path.isEmpty()) {
        const QString path = QString::fromLocal8Bit(font.file.path);
        const QString real = QFileInfo(path).canonicalFilePath();
        text += QStringLiteral(" (%1)").arg(real.isEmpty() ? path : real);
    }
    const QString package = substitutePackage(face);
    if (!installedFamilyFor(face) && !package.isEmpty())
        text += QStringLiteral(
                    "（%1とその代わりのフォントがありません。%2 をインストールしてください）")
                    .arg(baseFaceName(face), package);
    return text;
}

QString faceOf(const LogFont& font) {
    return text::toUnicode(font.face());
}

QStringList printerFontNames() {
    QStringList names;
    for (const QString& family : installedFamilies())
        names.append(family);
    for (const Substitute& s : substitutes()) {
        const QString face = QString::fromUtf16(s.face);
        if (!installedFamilyFor(face)) continue;
        for (const QString& name : {face, QLatin1Char('@') + face})
            if (!names.contains(name)) names.append(name);
    }
    return names;
}

void installFaceSubstitutions() {
    for (const Substitute& s : substitutes()) {
        const QString face = QString::fromUtf16(s.face);
        if (isInstalled(face)) continue;
        QStringList families;
        for (const char* family : s.families)
            families.append(QString::fromLatin1(family));
        families.append(japaneseDefaultFamily());
        QFont::insertSubstitutions(face, families);
        QFont::insertSubstitutions(QLatin1Char('@') + face, families);
    }
}

QFont windowFont() {
    installFaceSubstitutions();
    QFont font(QString::fromUtf16(DefaultFace));
    font.setPixelSize(12);
    return font;
}

const FontSet& fontSetFor(const QString& face) {
    static std::map<QString, FontSet> cache;
    auto it = cache.find(face);
    if (it != cache.end()) return it->second;
    FontSet set;
    const QString family = installedFamilyFor(face).value_or(japaneseDefaultFamily());
    set.primary = {family, fileFor(family)};
    for (const Font& font : fallbackFonts())
        if (font.family != family) set.fallbacks.push_back(font);
    return cache.emplace(face, std::move(set)).first->second;
}

} // namespace rinova::drawing
