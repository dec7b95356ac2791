#include "settings/settings_model.h"

#include "files/file_name.h"
#include "settings/int_text.h"
#include "text/cp932.h"
#include "text/failure.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace rinova::settings {

SettingsModel::SettingsModel(QString iniPath, QObject* parent)
    : QObject(parent), store_(std::move(iniPath)) {
    keepStored_.fill(true);
}

namespace {

constexpr const char* kOpenFileTypeKey = "OpenFileType";
constexpr int kOpenFileTypes = 3;
constexpr const char* kFitTextKey = "FitText";
constexpr const char* kNumbersKey = "Numbers";
constexpr int kNumberStyles = 3;

// A one-digit choice below `count`, else 0.
int choiceOf(const std::string& text, int count) {
    return text.size() == 1 && text[0] >= '0' && text[0] < '0' + count ? text[0] - '0' : 0;
}
constexpr const char* kLastFileKey = "LastFile";
constexpr const char* kColumnMapSection = "ColumnMap";

// A key for any header text: its FNV-1a hash, as INI keys cannot hold every character.
std::string headerKey(std::string_view headerText) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : headerText) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char key[24];
    std::snprintf(key, sizeof key, "H%016llx", static_cast<unsigned long long>(h));
    return key;
}

} // namespace

std::string SettingsModel::columnChoice(std::string_view headerText) const {
    try {
        return store_.readIn(kColumnMapSection, headerKey(headerText));
    } catch (const text::Failure&) {
        return {};
    }
}

void SettingsModel::setColumnChoice(std::string_view headerText, std::string_view choice) {
    store_.writeIn(kColumnMapSection, headerKey(headerText), choice);
}

QString SettingsModel::load() {
    // Read before the eighteen keys: a key that stops their load must not stop these. A file
    // that cannot be a settings file leaves them at their defaults and is reported below.
    try {
        fitText_ = store_.read(kFitTextKey) != "0";
        openFileType_ = choiceOf(store_.read(kOpenFileTypeKey), kOpenFileTypes);
        numberStyle_ = choiceOf(store_.read(kNumbersKey), kNumberStyles);
        lastAddressFile_ = files::fileNameFromBytes(store_.read(kLastFileKey));
    } catch (const text::Failure&) {
    }
    return store_.startupLoad(raw_, layout_);
}

void SettingsModel::takeWindowChoices() {
    choices_ = windowChoices(raw_);
    keepStored_.fill(false);
    loadedBytes_ = choices_.senderTexts;
    for (std::size_t i = 0; i < loadedTexts_.size(); ++i)
        loadedTexts_[i] = text::toUnicode(loadedBytes_[i]);
}

std::int32_t SettingsModel::offsetValue(int element, Spin spin) const {
    return parseInt32(raw_[offsetSlot(element, spin).key]);
}

void SettingsModel::rereadElement(int element) {
    store_.rereadElement(element, raw_);
}

void SettingsModel::storeOffset(int element, Spin spin, std::int32_t value) {
    store_.storeOffset(element, spin, value, layout_);
    emit changed();
}

void SettingsModel::setFaceIndex(int index) {
    choices_.fontIndex = index;
    keepStored_[FaceKey] = false;
    emit changed();
}

void SettingsModel::setPrintSender(bool on) {
    choices_.printSender = on;
    keepStored_[SenderPrintKey] = false;
    emit changed();
}

void SettingsModel::setCardType(int type) {
    choices_.cardType = type;
    keepStored_[CardTypeKey] = false;
    emit changed();
}

void SettingsModel::setPrintName2(bool on) {
    printName2_ = on;
    emit changed();
}

void SettingsModel::setOpenFileType(int type) {
    if (type < 0 || type >= kOpenFileTypes || type == openFileType_) return;
    store_.write(kOpenFileTypeKey, std::string(1, static_cast<char>('0' + type)));
    openFileType_ = type;
}

void SettingsModel::setLastAddressFile(const QString& path) {
    const QByteArray bytes = files::fileNameToBytes(path);
    if (path == lastAddressFile_ || bytes.contains('\r') || bytes.contains('\n') ||
        bytes.contains('\0'))
        return;
    store_.write(kLastFileKey, std::string_view(bytes.constData(), bytes.size()));
    lastAddressFile_ = path;
}

void SettingsModel::setFitText(bool on) {
    fitText_ = on;
    emit changed();
    store_.write(kFitTextKey, on ? "1" : "0");
}

void SettingsModel::setNumberStyle(int style) {
    if (style < 0 || style >= kNumberStyles) return;
    numberStyle_ = style;
    emit changed();
    store_.write(kNumbersKey, std::string(1, static_cast<char>('0' + style)));
}

void SettingsModel::setSenderText(int index, const QString& shown) {
    if (index < 0 || index >= static_cast<int>(loadedTexts_.size())) return;
    keepStored_[FirstSenderKey + index] = false;
    if (shown == loadedTexts_[index])
        choices_.senderTexts[index] = loadedBytes_[index];
    else
        choices_.senderTexts[index] = text::fromUnicode(shown);
}

void SettingsModel::saveWindowChoices() {
    const std::string values[StoredCount] = {
        int32Text(choices_.fontIndex), choices_.printSender ? "1" : "0",
        int32Text(choices_.cardType),  choices_.senderTexts[0],
        choices_.senderTexts[1],       choices_.senderTexts[2],
        choices_.senderTexts[3],       choices_.senderTexts[4],
        choices_.senderTexts[5],       choices_.senderTexts[6]};
    const Key keys[StoredCount] = {Key::FontName,  Key::SashiPrint, Key::CardType,  kSenderKeys[0],
                                   kSenderKeys[1], kSenderKeys[2],  kSenderKeys[3], kSenderKeys[4],
                                   kSenderKeys[5], kSenderKeys[6]};
    for (int i = 0; i < StoredCount; ++i)
        if (!keepStored_[i]) store_.write(keys[i], values[i]);
}

namespace {

std::string calibrationKey(const QString& printer) {
    std::string key = calibrationSection(printer);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

} // namespace

Calibration SettingsModel::calibration(const QString& printer) const {
    const std::string key = calibrationKey(printer);
    if (const auto it = calibrations_.find(key); it != calibrations_.end()) return it->second;
    return calibrations_[key] = readCalibration(store_, printer);
}

void SettingsModel::setCalibration(const QString& printer, const Calibration& shifts) {
    const std::string key = calibrationKey(printer);
    calibrations_.erase(key); // a failed write leaves the file's shifts to be read again
    calibrations_[key] = writeCalibration(store_, printer, shifts);
}

namespace {

constexpr const char* kPreviewWidthKey = "PreviewWidth";
constexpr int kWidestPreview = 100000;

} // namespace

std::optional<int> SettingsModel::previewWidth() const {
    try {
        const std::optional<std::int32_t> w = parseIntText(store_.read(kPreviewWidthKey));
        if (w && *w > 0 && *w <= kWidestPreview) return *w;
    } catch (const text::Failure&) {
    }
    return std::nullopt;
}

void SettingsModel::setPreviewWidth(int width) {
    width = std::clamp(width, 1, kWidestPreview);
    if (previewWidth() != width) store_.write(kPreviewWidthKey, int32Text(width));
}

QStringList SettingsModel::loadWithoutWriting() {
    QStringList errors;
    try {
        if (const QString notice = load(); !notice.isEmpty()) errors << notice;
    } catch (const text::Failure& f) {
        errors << f.message();
    }
    // The settings window is created whatever became of the load, and fills its controls from
    // the raw texts; its spin edits then show element 0, and each non-zero value sets its
    // layout value again (the window would also write the key back).
    try {
        takeWindowChoices();
        for (Spin spin : {Horizontal, Vertical, Size}) {
            const std::int32_t value = offsetValue(Address1, spin);
            const OffsetSlot slot = offsetSlot(Address1, spin);
            if (value != 0) layout_.*slot.field = wrapAdd(value, slot.base);
        }
    } catch (const text::Failure& f) {
        errors << f.message();
    }
    return errors;
}

} // namespace rinova::settings
