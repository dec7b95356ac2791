// EUC-JIS-2004, the encoding the postal-code dictionaries are written in. Decoding goes through
// tables built once from iconv's "EUC-JISX0213", so that a file of megabytes decodes in
// milliseconds.
#pragma once

#include <string>
#include <string_view>

namespace rinova::postal {

// Appends the UTF-16 form of `bytes` to `out`. A byte that starts no character, or a pair that
// has none, becomes one U+FFFD per byte; nothing throws and nothing is dropped.
void appendEucJis2004(std::string_view bytes, std::u16string& out);

} // namespace rinova::postal
