// Profile file reading and writing on the bytes of the file, so that values keep their Shift-JIS
// bytes and every line the program does not touch stays exactly as it was.
#include "settings/profile_file.h"

#include "files/file_name.h"
#include "files/file_read.h"
#include "files/folder_lock.h"
#include "files/replacement.h"
#include "text/cp932.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>
#include <vector>

namespace rinova::settings {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

enum class Kind { Blank, Section, Key, Other };

struct Line {
    std::size_t begin = 0;      // first byte of the line's content
    std::size_t contentEnd = 0; // the line break starts here
    std::size_t end = 0;        // one past the line break
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, blanks trimmed
    std::string_view value; // raw text after "=" (key lines)
    std::size_t nameBegin = 0;
};

// Splits the file into lines (CR LF, LF or a lone CR end a line) and classifies each.
std::vector<Line> parseLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") pos = 3; // editors may add a UTF-8 mark
    while (pos < bytes.size()) {
        Line line;
        line.begin = pos;
        std::size_t brk = bytes.find_first_of("\r\n", pos);
        if (brk == std::string_view::npos) {
            line.contentEnd = line.end = bytes.size();
        } else {
            line.contentEnd = brk;
            line.end = brk + 1;
            if (bytes[brk] == '\r' && brk + 1 < bytes.size() && bytes[brk + 1] == '\n')
                line.end = brk + 2;
        }
        pos = line.end;

        std::string_view content = bytes.substr(line.begin, line.contentEnd - line.begin);
        std::string_view body = trimBlanks(content);
        line.nameBegin = line.begin + (body.empty() ? 0 : body.data() - content.data());
        if (body.empty()) {
            line.kind = Kind::Blank;
        } else if (body.front() == '[') {
            line.kind = Kind::Section;
            std::string_view inner = body.substr(1);
            inner = inner.substr(0, inner.find(']'));
            line.name = trimBlanks(inner);
        } else if (body.front() == ';') {
            line.kind = Kind::Other;
        } else if (std::size_t eq = body.find('='); eq != std::string_view::npos) {
            line.kind = Kind::Key;
            line.name = trimBlanks(body.substr(0, eq));
            line.value = body.substr(eq + 1);
        }
        lines.push_back(line);
    }
    return lines;
}

struct Location {
    int keyLine = -1;         // first line of the key in a section of that name
    int sectionLastLine = -1; // last non-blank line of the first section of that name
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location at;
    bool inSection = false;
    bool inFirstSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const Line& line = lines[i];
        if (line.kind == Kind::Section) {
            inSection = sameName(line.name, section);
            inFirstSection = inSection && at.sectionLastLine < 0;
            if (inFirstSection) at.sectionLastLine = i;
            continue;
        }
        if (inFirstSection && line.kind != Kind::Blank) at.sectionLastLine = i;
        if (inSection && line.kind == Kind::Key && at.keyLine < 0 && sameName(line.name, key))
            at.keyLine = i;
    }
    return at;
}

// The value as a C string would hold it, with blanks and enclosing quotes dropped.
std::string_view cleanValue(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    raw = trimBlanks(raw);
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    return raw;
}

// At most max bytes, never ending between the two bytes of one character.
std::string_view cutToBytes(std::string_view s, std::size_t max) {
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t len = text::charLength(s, i);
        if (i + len > max) break;
        i += len;
    }
    return s.substr(0, i);
}

// A value must stay on its own line: it ends at a NUL, and each CR or LF becomes a blank.
std::string safeValue(std::string_view value) {
    std::string out(value.substr(0, value.find('\0')));
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string_view lineBreakOf(std::string_view bytes, const std::vector<Line>& lines) {
    for (const Line& line : lines)
        if (line.end > line.contentEnd)
            return bytes.substr(line.contentEnd, line.end - line.contentEnd);
    return "\r\n";
}

std::string withKey(const std::string& bytes, std::string_view section, std::string_view key,
                    std::string_view value) {
    std::vector<Line> lines = parseLines(bytes);
    Location at = locate(lines, section, key);
    std::string eol(lineBreakOf(bytes, lines));
    std::string out;
    out.reserve(bytes.size() + key.size() + value.size() + section.size() + 8);

    if (at.keyLine >= 0) {
        // Keep the line's indentation, its spelling of the key and its line break.
        const Line& line = lines[at.keyLine];
        out.append(bytes, 0, line.nameBegin);
        out.append(line.name);
        out.push_back('=');
        out.append(value);
        out.append(bytes, line.contentEnd);
    } else if (at.sectionLastLine >= 0) {
        const Line& line = lines[at.sectionLastLine];
        out.append(bytes, 0, line.end);
        if (line.end == line.contentEnd) out.append(eol);
        out.append(key);
        out.push_back('=');
        out.append(value);
        // A lone CR before a line that starts with LF would join it into one CR LF break and
        // swallow that (empty) line.
        if (eol == "\r" && line.end < bytes.size() && bytes[line.end] == '\n')
            out.append("\r\n");
        else
            out.append(eol);
        out.append(bytes, line.end);
    } else {
        out = bytes;
        if (!lines.empty() && lines.back().end == lines.back().contentEnd) out.append(eol);
        out.push_back('[');
        out.append(section);
        out.push_back(']');
        out.append(eol);
        out.append(key);
        out.push_back('=');
        out.append(value);
        out.append(eol);
    }
    return out;
}

QString fullPath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

[[noreturn]] void cannotWrite(const QString& path) {
    throw text::Failure(QStringLiteral("%1 に書き込めません").arg(fullPath(path)));
}

} // namespace

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

std::string ProfileFile::contents() const {
    // The name's bytes need not be UTF-8 (rinova-cli --settings with a Shift-JIS name).
    files::FileContent file = files::readRegularFile(files::existingFileName(path_), kMaxFileBytes);
    switch (file.outcome) {
    case files::ReadOutcome::Read:
        return std::move(file.bytes);
    case files::ReadOutcome::NotRegular:
        throw text::Failure(
            QStringLiteral("%1 は通常のファイルではないため、設定ファイルとして使えません")
                .arg(fullPath(path_)));
    case files::ReadOutcome::TooLarge:
        throw text::Failure(
            QStringLiteral("%1 は 1 MiB を超えているため、設定ファイルとして使えません")
                .arg(fullPath(path_)));
    default:
        return {};
    }
}

std::string ProfileFile::valueIn(std::string_view contents, std::string_view section,
                                 std::string_view key) {
    std::vector<Line> lines = parseLines(contents);
    Location at = locate(lines, section, key);
    if (at.keyLine < 0) return {};
    return std::string(cutToBytes(cleanValue(lines[at.keyLine].value), kMaxValueBytes));
}

std::string ProfileFile::read(std::string_view section, std::string_view key) const {
    return valueIn(contents(), section, key);
}

void ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    try {
        files::Replacement file(QFile::encodeName(QFileInfo(path_).absoluteFilePath()),
                                fullPath(path_));
        // Held from the read to the write, so that no other writer's key is lost.
        const files::FolderLock lock(file.folder());
        const files::FileContent old = files::readRegularFile(file.file(), kMaxFileBytes);
        const bool exists = old.outcome != files::ReadOutcome::Missing;
        if (exists && old.outcome != files::ReadOutcome::Read) cannotWrite(path_);
        const std::string updated = withKey(old.bytes, section, key, safeValue(value));
        if (exists && updated == old.bytes) return;
        file.write(updated);
        file.commit();
    } catch (const text::Failure&) {
        // Whatever the reason, the settings file's message names only the file.
        cannotWrite(path_);
    }
}

} // namespace rinova::settings
