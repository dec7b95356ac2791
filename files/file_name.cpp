#include "files/file_name.h"

#include "text/cp932.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>

namespace rinova::files {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + a byte of 0x80..0xFF

bool isEscape(char16_t u) {
    return u >= 0xDC80 && u <= 0xDCFF;
}

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when it is not valid.
int utf8Sequence(QByteArrayView s, qsizetype i, char32_t& c) {
    const auto b = [&](qsizetype k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = b(i);
    int n = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, c = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (int k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.isEmpty() ? "." : path.constData(), &st) == 0;
}

// The one entry of `folder` other than `part` itself that stands for the text of `part`.
std::optional<QByteArray> findAgain(const QByteArray& folder, const QByteArray& part) {
    const QString text = fileNameFromBytes(part);
    if (text::canEncode(text)) {
        const std::string sjis = text::fromUnicode(text);
        const QByteArray candidate(sjis.data(), static_cast<qsizetype>(sjis.size()));
        if (candidate != part && exists(folder + candidate)) return candidate;
    }
    DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir) return std::nullopt;
    std::optional<QByteArray> found;
    int matches = 0;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray entry(e->d_name);
        if (entry != part && QFile::decodeName(entry) == text) {
            found = entry;
            ++matches;
        }
    }
    ::closedir(dir);
    if (matches != 1) return std::nullopt;
    return found;
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t c = 0;
        const int n = utf8Sequence(bytes, i, c);
        if (n == 0) {
            out += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(static_cast<char16_t>(c));
        }
        i += n;
    }
    return out;
}

QByteArray fileNameToBytes(QStringView name) {
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        char32_t c = u;
        if (isEscape(u)) {
            out += static_cast<char>(u - kEscapeBase);
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(u, name[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(u)) {
            c = 0xFFFD;
        }
        text::appendUtf8(out, c);
    }
    return out;
}

QString displayFileName(QStringView name) {
    QString out;
    const QList<QStringView> parts = name.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView part = parts[i];
        if (i > 0) out += u'/';
        if (std::none_of(part.begin(), part.end(), [](QChar c) { return isEscape(c.unicode()); })) {
            out += part;
            continue;
        }
        const QByteArray bytes = fileNameToBytes(part);
        const QString sjis = text::toUnicode(std::string_view(bytes.constData(), bytes.size()));
        out += sjis.contains(QChar::ReplacementCharacter) ? QString::fromUtf8(bytes) : sjis;
    }
    return out;
}

QByteArray existingFileName(QStringView name) {
    const QByteArray bytes = fileNameToBytes(name);
    if (bytes.isEmpty() || exists(bytes) || errno != ENOENT) return bytes;
    const QList<QByteArray> parts = bytes.split('/');
    QByteArray path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) path += '/';
        const QByteArray& part = parts[i];
        if (part.isEmpty() || exists(path + part)) {
            path += part;
            continue;
        }
        const std::optional<QByteArray> again = findAgain(path, part);
        if (!again) return bytes;
        path += *again;
    }
    return path;
}

} // namespace rinova::files
