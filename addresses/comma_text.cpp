// The line and field rules of address files, as lists.
#include "addresses/comma_text.h"

namespace rinova::addresses {

std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    ForEachLine(content, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

namespace {

struct ListSink {
    std::vector<std::string>& fields;
    void begin() { fields.emplace_back(); }
    void append(const char* p, std::size_t n) { fields.back().append(p, n); }
    bool end() { return true; }
};

} // namespace

std::vector<std::string> splitFields(std::string_view text) {
    std::vector<std::string> fields;
    ListSink sink{fields};
    SplitCommaTextInto(text, sink);
    return fields;
}

} // namespace rinova::addresses
