// Saving an address list: the whole file replaced at once through the files layer, the rows the
// user did not touch written back as they were.
#pragma once

#include "addresses/address_grid.h"

#include <QString>
#include <QStringList>

namespace rinova::addresses {

// Writes the grid to `path` as a file of `format` in `layout` (files::Replacement: whole or not
// at all, links followed, never over one of `inputs`), then takes the written file as the one
// the rows come from. Throws text::Failure naming the file.
void saveList(AddressGrid& grid, const QString& path, FileFormat format, const ListLayout& layout,
              const QStringList& inputs = {});
// The same for a list the grid has just made (AddressGrid::saved), e.g. after asking about its
// losses.
void saveList(AddressGrid& grid, const QString& path, SavedList list,
              const QStringList& inputs = {});

// The cells that another format would not give back, as the question before saving names
// them: "3 行目 住所2: 「as it is」→「as it would read」"; "" when there are none.
QString lossesMessage(const std::vector<CellLoss>& losses);

} // namespace rinova::addresses
