// Face names of the card (Shift-JIS names of the original faces, "@" for the vertical variant)
// mapped onto installed fonts: the face itself when installed, else a free substitute, else
// fontconfig's choice of a Japanese face. Also the list of faces a printer "has".
#pragma once

#include "drawing/card_picture.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class QFont;

namespace rinova::drawing {

// The five vertical faces of the card, in the order of the settings window's list, whose index
// is the stored font choice; "@" marks the vertical variant of a face.
inline constexpr std::array<const char16_t*, 5> VerticalFaces = {
    u"@ＤＦ行書体", u"@ＭＳ 明朝", u"@ＭＳ ゴシック", u"@HG行書体", u"@HG創英角ﾎﾟｯﾌﾟ体",
};
// The upright face a new canvas starts with, and the face of the program's windows.
inline constexpr const char16_t* DefaultFace = u"ＭＳ Ｐゴシック";

// The face without its leading "@" (the vertical-variant mark).
QString baseFaceName(const QString& face);

// The installed family that stands for the face: the face itself, else the first installed
// substitute. Empty when neither is installed. The "@" is ignored.
std::optional<QString> installedFamilyFor(const QString& face);

// The Debian package whose font stands in for the face when the face itself is not installed;
// empty for a face without a substitute. The "@" is ignored.
QString substitutePackage(const QString& face);

// What a face is really drawn with, for people: the family and its file, and when neither the
// face nor its substitute is installed, that and the package to install.
QString fontInUseText(const QString& face);

// The face name of a recorded font as UTF-16.
QString faceOf(const LogFont& font);

// The installed families, plus the name and the "@" name of every face of the card that
// resolves to an installed font.
QStringList printerFontNames();

// Registers the substitutes with QFont, so widgets asking for a face of the card get its
// substitute. Safe to call more than once.
void installFaceSubstitutions();
// The font of the program's windows: the default face at 12 pixels, its substitutes registered.
QFont windowFont();

// A font file as fontconfig knows it.
struct FontFile {
    QByteArray path;
    int index = 0;
    bool operator==(const FontFile&) const = default;
};

// A family with the file fontconfig gives for it (the one Qt draws with); empty path when
// fontconfig knows no file.
struct Font {
    QString family;
    FontFile file;
};

// What a text in a face is drawn with. The primary is installedFamilyFor(face), or, for an empty
// or unknown face, fontconfig's choice of a Japanese face. The fallbacks are tried in order for
// characters the primary lacks or draws empty; the primary's own family is not among them.
struct FontSet {
    Font primary;
    std::vector<Font> fallbacks;
};

// The font set of a face, resolved once per face name. Fontconfig's answers do not change while
// the program runs, so the reference stays valid for good.
const FontSet& fontSetFor(const QString& face);

} // namespace rinova::drawing
