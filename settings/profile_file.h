// A private profile (INI) file with the rules programs expect of one: section and key names
// match without regard to case, values are read trimmed and unquoted, and a write keeps every
// other byte of the file.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rinova::settings {

class ProfileFile {
public:
    static constexpr std::size_t kMaxValueBytes = 2047;
    // A real settings file holds a few KB; anything larger is not taken for one.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

    explicit ProfileFile(QString path);
    const QString& path() const { return path_; }

    // The file's bytes; "" when it is missing or cannot be opened. Opens without blocking and
    // reads at most kMaxFileBytes: throws text::Failure naming the file when it is not a regular
    // file or is larger than that.
    std::string contents() const;
    // The value of a key in a file's bytes; "" when the section or the key is missing.
    static std::string valueIn(std::string_view contents, std::string_view section,
                               std::string_view key);
    // The value, or "" when the file, the section or the key is missing; throws as contents().
    std::string read(std::string_view section, std::string_view key) const;
    // Creates the file and the section when missing; a write that changes nothing leaves the
    // file alone. Written through files::Replacement (links followed to the file they end at,
    // replaced whole, in place where the folder takes no new file), while writers in other
    // processes take turns through files::FolderLock, held from the read to the write. Throws
    // text::Failure "%s に書き込めません" when the file cannot be written, also when it is not
    // a regular file or too large to be a settings file.
    void write(std::string_view section, std::string_view key, std::string_view value);

private:
    QString path_;
};

} // namespace rinova::settings
