// The settings kept in the INI file: the eighteen raw texts of section "SET", and the eight card
// layout values derived from them. The file is read and written through ProfileFile: read only
// when it is a regular file of at most 1 MiB, replaced whole, writers taking turns.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rinova::settings {

// Keys in the order the main window declares its raw values.
enum class Key {
    Edit1Value0,
    Edit1Value1,
    Edit1Value2,
    Edit2Value0,
    Edit2Value1,
    Edit2Value2,
    Edit3Value01,
    Edit3Value2,
    FontName,
    SashiPrint,
    CardType,
    SashiYuban3,
    SashiYuban4,
    SashiAdd1,
    SashiAdd2,
    SashiName1,
    SashiName2,
    Bikou,
};
constexpr int kKeyCount = 18;

// The key's name in the file, e.g. "Edit3Value01".
const char* keyName(Key key);

// The raw text of each key as last read (Shift-JIS bytes).
struct RawSettings {
    std::array<std::string, kKeyCount> values;
    std::string& operator[](Key k) { return values[static_cast<int>(k)]; }
    const std::string& operator[](Key k) const { return values[static_cast<int>(k)]; }
};

// Eight signed 32-bit values in 0.1 mm; each is its key's integer plus a fixed base.
struct CardLayout {
    std::int32_t NameSize = 0;
    std::int32_t NameX = 0;
    std::int32_t NameY = 0;
    std::int32_t AddressSize = 0;
    std::int32_t Address1X = 0;
    std::int32_t Address1Y = 0;
    std::int32_t Address2X = 0;
    std::int32_t Address2Y = 0;
    bool operator==(const CardLayout&) const = default;
};

// Card elements chosen in the settings window, and the three spin edits.
enum Element { Address1 = 0, Address2 = 1, Names = 2 };
enum Spin { Horizontal = 1, Vertical = 2, Size = 3 };

// The key, base and layout field that one spin edit edits for one element.
struct OffsetSlot {
    Key key;
    std::int32_t base;
    std::int32_t CardLayout::*field;
};
OffsetSlot offsetSlot(int element, Spin spin);

// The layout of a file that holds no offsets: every value its base.
CardLayout defaultLayout();

// 32-bit two's-complement addition, as the layout arithmetic is defined.
constexpr std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Settings file of an executable: its path with the extension replaced by ".ini".
QString settingsPathFor(const QString& executablePath);

class SettingsStore {
public:
    explicit SettingsStore(QString iniPath);
    const QString& path() const { return path_; }

    // Section "SET". A missing or unreadable file, section or key gives the empty text; a file
    // that cannot be a settings file (not a regular file, larger than 1 MiB) throws
    // text::Failure naming it.
    std::string read(std::string_view key) const;
    std::string read(Key key) const { return read(keyName(key)); }
    // Makes the file's folder (the user's alone) when it is missing, then writes the key. Throws
    // text::Failure "%s に書き込めません" with the file's full path.
    void write(std::string_view key, std::string_view value);
    void write(Key key, std::string_view value) { write(keyName(key), value); }
    // The same for a key of another section.
    std::string readIn(std::string_view section, std::string_view key) const;
    void writeIn(std::string_view section, std::string_view key, std::string_view value);

    // Reads all eighteen keys, fills empty numeric ones with "0" and computes the layout.
    // Throws the integer rule's text::Failure at the first key that is not an integer; the values
    // computed before it are kept, the rest stay as they were. A file that cannot be a settings
    // file (not a regular file, too large) is read as no file: the message saying so is
    // returned, and the load goes on with the defaults.
    QString startupLoad(RawSettings& raw, CardLayout& layout) const;
    // Reads the three keys of one element again into the raw values ("" becomes "0"); throws as
    // read().
    void rereadElement(int element, RawSettings& raw) const;
    // Sets the layout value to value + base, then writes the key as decimal text; throws as
    // write(), the layout value already set.
    void storeOffset(int element, Spin spin, std::int32_t value, CardLayout& layout);

private:
    QString path_;
};

} // namespace rinova::settings
