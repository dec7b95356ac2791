#include "settings/calibration.h"

#include "settings/int_text.h"
#include "settings/profile_file.h"
#include "settings/settings_store.h"
#include "text/failure.h"

#include <algorithm>
#include <array>

namespace rinova::settings {

namespace {

constexpr std::array<const char*, 4> kKeys = {"CardX", "CardY", "PostalX", "PostalY"};

std::array<std::int32_t*, 4> fields(Calibration& c) {
    return {&c.cardX, &c.cardY, &c.postalX, &c.postalY};
}

std::int32_t shiftFrom(const std::string& text) {
    const std::optional<std::int32_t> value = parseIntText(text);
    return value && *value >= -kCalibrationLimit && *value <= kCalibrationLimit ? *value : 0;
}

} // namespace

std::string calibrationSection(const QString& printer) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string section = "Calibration:";
    for (const char c : printer.toUtf8()) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            b == '-' || b == '_' || b == '.') {
            section += c;
        } else {
            section += '%';
            section += kHex[b >> 4];
            section += kHex[b & 15];
        }
    }
    return section;
}

Calibration readCalibration(const SettingsStore& store, const QString& printer) {
    Calibration shifts;
    std::string contents;
    try {
        contents = ProfileFile(store.path()).contents();
    } catch (const text::Failure&) {
        return shifts; // not a settings file: said at start-up
    }
    const std::string section = calibrationSection(printer);
    const auto out = fields(shifts);
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        *out[i] = shiftFrom(ProfileFile::valueIn(contents, section, kKeys[i]));
    return shifts;
}

Calibration writeCalibration(SettingsStore& store, const QString& printer,
                             const Calibration& shifts) {
    Calibration stored = readCalibration(store, printer);
    Calibration wanted = shifts;
    const auto now = fields(stored);
    const auto next = fields(wanted);
    const std::string section = calibrationSection(printer);
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        *next[i] = std::clamp(*next[i], -kCalibrationLimit, kCalibrationLimit);
        if (*now[i] != *next[i]) store.writeIn(section, kKeys[i], int32Text(*next[i]));
    }
    return wanted;
}

} // namespace rinova::settings
