// The line and field rules of address files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

// Splits file content into lines: CR, LF or CR LF end a line; a NUL ends the content; a final
// line break starts no further line; 0 bytes give no lines.
std::vector<std::string_view> SplitLines(std::string_view content);

// The fields of a comma text.
std::vector<std::string> SplitCommaText(std::string_view text);

} // namespace rinova::addresses
