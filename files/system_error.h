// What the system said, in Japanese: the one table every message that shows a system error
// goes through, so that no English text of the C library ever reaches a user.
#pragma once

#include <QString>

namespace rinova::files {

// The Japanese text for an errno value; an unknown one gets a generic text with its number.
QString systemErrorText(int error);
// The same for a failed write, where two errors read better in terms of writing: no right to
// write, and a missing folder.
QString writeErrorText(int error);

} // namespace rinova::files
