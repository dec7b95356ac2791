// Where a printer puts the card on its sheet, corrected per printer: a shift of the whole card
// and a shift of the recipient's postal code on top of it, kept in the settings file in a section
// of the printer's own ("Calibration:NAME", keys CardX, CardY, PostalX, PostalY).
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace rinova::settings {

class SettingsStore;

// Card units (0.1 mm): x to the right, y upward, as on the card.
struct Calibration {
    std::int32_t cardX = 0, cardY = 0;
    std::int32_t postalX = 0, postalY = 0;
    bool operator==(const Calibration&) const = default;
};

// A shift is at most 10 mm either way; a stored value beyond that, or one that is not an
// integer, is taken as 0.
constexpr std::int32_t kCalibrationLimit = 100;

// The section of a printer ("QUEUE" or "QUEUE/INSTANCE"): "Calibration:" and the name's UTF-8
// bytes, those other than letters, digits, "-", "_" and "." written as %XX, so that any name
// makes one safe section name. Letter case does not count, as for printer names.
std::string calibrationSection(const QString& printer);

// The printer's shifts; all 0 when it has none or the file cannot be read.
Calibration readCalibration(const SettingsStore& store, const QString& printer);
// Writes the keys that differ from what the file holds, each shift held within the limit, and
// returns the shifts written; throws as SettingsStore::write.
Calibration writeCalibration(SettingsStore& store, const QString& printer,
                             const Calibration& shifts);

} // namespace rinova::settings
