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

    explicit ProfileFile(QString path);
    const QString& path() const { return path_; }

    // The value, or "" when the file, the section or the key is missing.
    std::string read(std::string_view section, std::string_view key) const;
    // Creates the file and the section when missing; replaces the file atomically.
    // Throws text::Failure "%s に書き込めません" when the file cannot be written.
    void write(std::string_view section, std::string_view key, std::string_view value);

private:
    QString path_;
};

} // namespace rinova::settings
