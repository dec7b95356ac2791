// The cards of a row range printed as one job, one card per page, without any dialog: shared by
// `rinova-cli pdf` and `rinova-cli print`.
#pragma once

#include "addresses/row_check.h"
#include "cli/card_source.h"
#include "printing/printer_surface.h"

#include <optional>
#include <vector>

namespace rinova::cli {

struct RowRange {
    int first = 1;
    int last = 1;
};

// "A-B" or "A", rows counted from 1; a range written downwards is read upwards. Nothing when
// malformed.
std::optional<RowRange> parseRows(const QString& text);

// All address rows of the grid, or the requested range; throws text::Failure when the range leaves
// the file.
RowRange rowsToPrint(const addresses::AddressGrid& grid, const std::optional<RowRange>& asked);

// Imports FILE into the grid and picks the rows to print. Throws text::Failure when the file cannot
// be read; returns the exit code 2, with the message printed, when the range leaves the file.
std::optional<int> loadBatch(const QString& file, addresses::FileFormat format,
                             const std::optional<RowRange>& asked, addresses::AddressGrid& grid,
                             RowRange& rows, const QString& settingsPath);

// The exit code of pdf and print when --strict refuses rows that look wrong.
constexpr int kDoubtfulRowsExit = 3;

// The check before paper is used over the rows: the renderer's verdict on fitting and the
// installed postal data's questions included.
std::vector<addresses::RowFindings> findRowsToCheck(const addresses::AddressGrid& grid,
                                                    RowRange rows,
                                                    const settings::SettingsModel& settings);

// The check before paper is used: lists the rows that look wrong on standard error. With
// strict, such rows refuse the whole job: returns kDoubtfulRowsExit.
std::optional<int> checkRowsToPrint(const addresses::AddressGrid& grid, RowRange rows,
                                    const settings::SettingsModel& settings, bool strict);

// Rows of the range whose print mark says しない are passed over: they are named on standard
// error. When no row is left to print, that is said and the exit code 1 returned.
std::optional<int> reportSkippedRows(const addresses::AddressGrid& grid, RowRange rows);

// The PDF engine allocates and frees large buffers page after page; keeping freed memory in the
// process instead of returning it to the system at once saves about a fifth of a long export.
void keepFreedMemory();

// The test sheet of a printer ("QUEUE" or "QUEUE/INSTANCE"): its calibration, the card type of the
// settings. An empty name: the sheet without any shift.
drawing::CardPicture testSheetFor(const settings::SettingsModel& settings, const QString& printer);

// Runs one job on the surface's current printer: draws each row's card as the printer gets
// it (no background, no guides, moved by the printer's calibration) at the sheet's corner, and
// ends the job. A long job shows how far it has got on a terminal, under the name `what`. Rows
// marked しない get no page. Returns the notice of a job that waits in the queue of a stopped
// printer.
QString printCards(printing::PrinterSurface& surface, const addresses::AddressGrid& grid,
                   const settings::SettingsModel& settings, RowRange rows, const QString& what);

} // namespace rinova::cli
