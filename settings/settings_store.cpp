// The settings of section "SET" and the card layout computed from them.
#include "settings/settings_store.h"

#include "settings/int_text.h"
#include "settings/profile_file.h"
#include "text/failure.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>
#include <sys/stat.h>

namespace rinova::settings {

namespace {

constexpr const char* kSection = "SET";

constexpr Key kLoadOrder[kKeyCount] = {
    Key::Edit1Value0, Key::Edit2Value0, Key::Edit3Value01, Key::Edit1Value1, Key::Edit2Value1,
    Key::Edit1Value2, Key::Edit2Value2, Key::Edit3Value2,  Key::FontName,    Key::SashiPrint,
    Key::CardType,    Key::SashiYuban3, Key::SashiYuban4,  Key::SashiAdd1,   Key::SashiAdd2,
    Key::SashiName1,  Key::SashiName2,  Key::Bikou,
};
// The first eleven keys of the load order are numeric and default to "0".
constexpr int kNumericKeys = 11;

struct LayoutStep {
    int element;
    Spin spin;
};
// NameSize, NameX, NameY, AddressSize, Address1X, Address1Y, Address2X, Address2Y.
constexpr LayoutStep kLayoutOrder[] = {
    {Names, Size},          {Names, Horizontal},  {Names, Vertical},      {Address1, Size},
    {Address1, Horizontal}, {Address1, Vertical}, {Address2, Horizontal}, {Address2, Vertical},
};

// A settings file in the user's configuration folder is made with its folder on first write;
// the folders made are the user's alone. A folder that cannot be made fails the write itself.
void makeFolder(const QString& folder) {
    if (QFileInfo::exists(folder)) return;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder) makeFolder(parent);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
}

bool isElement(int element) {
    return element >= Address1 && element <= Names;
}

} // namespace

const char* keyName(Key key) {
    static constexpr const char* names[kKeyCount] = {
        "Edit1Value0",  "Edit1Value1", "Edit1Value2", "Edit2Value0", "Edit2Value1", "Edit2Value2",
        "Edit3Value01", "Edit3Value2", "FontName",    "SashiPrint",  "CardType",    "SashiYuban3",
        "SashiYuban4",  "SashiAdd1",   "SashiAdd2",   "SashiName1",  "SashiName2",  "Bikou",
    };
    int index = static_cast<int>(key);
    if (index < 0 || index >= kKeyCount) throw std::out_of_range("settings key");
    return names[index];
}

OffsetSlot offsetSlot(int element, Spin spin) {
    switch (element) {
    case Address1:
        switch (spin) {
        case Horizontal:
            return {Key::Edit1Value0, 930, &CardLayout::Address1X};
        case Vertical:
            return {Key::Edit2Value0, -230, &CardLayout::Address1Y};
        case Size:
            return {Key::Edit3Value01, 57, &CardLayout::AddressSize};
        }
        break;
    case Address2:
        switch (spin) {
        case Horizontal:
            return {Key::Edit1Value1, 830, &CardLayout::Address2X};
        case Vertical:
            return {Key::Edit2Value1, -500, &CardLayout::Address2Y};
        // Address line 2 has no size of its own: it shares the address size.
        case Size:
            return {Key::Edit3Value01, 57, &CardLayout::AddressSize};
        }
        break;
    case Names:
        switch (spin) {
        case Horizontal:
            return {Key::Edit1Value2, 580, &CardLayout::NameX};
        case Vertical:
            return {Key::Edit2Value2, -320, &CardLayout::NameY};
        case Size:
            return {Key::Edit3Value2, 130, &CardLayout::NameSize};
        }
        break;
    }
    throw std::out_of_range("card element or spin edit");
}

CardLayout defaultLayout() {
    CardLayout layout;
    for (int element : {Address1, Address2, Names})
        for (Spin spin : {Horizontal, Vertical, Size}) {
            const OffsetSlot slot = offsetSlot(element, spin);
            layout.*slot.field = slot.base;
        }
    return layout;
}

QString settingsPathFor(const QString& executablePath) {
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? executablePath.left(dot) : executablePath;
    return stem + QLatin1String(".ini");
}

SettingsStore::SettingsStore(QString iniPath) : path_(std::move(iniPath)) {}

std::string SettingsStore::read(std::string_view key) const {
    return readIn(kSection, key);
}

void SettingsStore::write(std::string_view key, std::string_view value) {
    writeIn(kSection, key, value);
}

std::string SettingsStore::readIn(std::string_view section, std::string_view key) const {
    return ProfileFile(path_).read(section, key);
}

void SettingsStore::writeIn(std::string_view section, std::string_view key,
                            std::string_view value) {
    makeFolder(QFileInfo(path_).absolutePath());
    ProfileFile(path_).write(section, key, value);
}

QString SettingsStore::startupLoad(RawSettings& raw, CardLayout& layout) const {
    // One read of the file serves all eighteen keys.
    std::string contents;
    QString notice;
    try {
        contents = ProfileFile(path_).contents();
    } catch (const text::Failure& f) {
        notice = f.message();
    }
    for (Key key : kLoadOrder)
        raw[key] = ProfileFile::valueIn(contents, kSection, keyName(key));
    for (int i = 0; i < kNumericKeys; ++i)
        if (raw[kLoadOrder[i]].empty()) raw[kLoadOrder[i]] = "0";
    for (const LayoutStep& step : kLayoutOrder) {
        const OffsetSlot slot = offsetSlot(step.element, step.spin);
        layout.*slot.field = wrapAdd(parseInt32(raw[slot.key]), slot.base);
    }
    return notice;
}

void SettingsStore::rereadElement(int element, RawSettings& raw) const {
    if (!isElement(element)) return;
    const std::string contents = ProfileFile(path_).contents();
    for (Spin spin : {Horizontal, Vertical, Size}) {
        const Key key = offsetSlot(element, spin).key;
        raw[key] = ProfileFile::valueIn(contents, kSection, keyName(key));
        if (raw[key].empty()) raw[key] = "0";
    }
}

void SettingsStore::storeOffset(int element, Spin spin, std::int32_t value, CardLayout& layout) {
    if (!isElement(element)) return;
    const OffsetSlot slot = offsetSlot(element, spin);
    layout.*slot.field = wrapAdd(value, slot.base);
    write(slot.key, int32Text(value));
}

} // namespace rinova::settings
