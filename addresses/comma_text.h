// The line and field rules of address files.
#pragma once

#include "text/cp932.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rinova::addresses {

// Splits file content into lines: CR, LF or CR LF end a line; a NUL ends the content; a final
// line break starts no further line; 0 bytes give no lines.
std::vector<std::string_view> SplitLines(std::string_view content);

// The fields of a comma text.
std::vector<std::string> splitFields(std::string_view text);

// The content up to its first NUL byte.
inline std::string_view UpToNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Calls line(std::string_view) for each line of the content, in order, by the rules of
// SplitLines, without building a list.
template <class LineFn> void ForEachLine(std::string_view content, LineFn&& line) {
    const std::string_view text = UpToNul(content);
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* start = p;
        while (p < end && *p != '\n' && *p != '\r')
            ++p;
        line(std::string_view(start, static_cast<std::size_t>(p - start)));
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n') ++p;
    }
}

// The field rules, feeding a sink instead of building strings. The sink provides
//   void begin();                         a field starts
//   void append(const char* p, size_t n); bytes of the field's content (maybe several pieces)
//   bool end();                           the field is complete; false stops the split
// so a caller can put fields straight where they belong and stop once it has enough.
template <class Sink> void SplitCommaTextInto(std::string_view whole, Sink& sink) {
    const std::string_view text = UpToNul(whole);
    const auto* const s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    auto isBlank = [](unsigned char b) { return b >= 0x01 && b <= 0x20; };
    // A lead byte takes whatever byte follows as its trail, even a comma, quote or blank.
    auto step = [&](std::size_t i) -> std::size_t {
        return (text::isLeadByte(s[i]) && i + 1 < n) ? 2 : 1;
    };
    std::size_t p = 0;
    while (p < n && isBlank(s[p]))
        ++p;
    while (p < n) {
        sink.begin();
        if (s[p] == '"') {
            ++p;
            std::size_t run = p;
            while (p < n) {
                if (s[p] == '"') {
                    sink.append(text.data() + run, p - run);
                    if (p + 1 < n && s[p + 1] == '"') {
                        // A doubled quote stands for one: keep the first, skip the second.
                        run = p + 1;
                        p += 2;
                        continue;
                    }
                    ++p; // the closing quote
                    run = std::string_view::npos;
                    break;
                }
                p += step(p);
            }
            if (run != std::string_view::npos) // no closing quote: the rest of the text
                sink.append(text.data() + run, n - run);
        } else {
            const std::size_t start = p;
            while (p < n && s[p] != ',' && !isBlank(s[p]))
                p += step(p);
            sink.append(text.data() + start, p - start);
        }
        if (!sink.end()) return;
        while (p < n && isBlank(s[p]))
            ++p;
        if (p < n && s[p] == ',') {
            if (p + 1 == n) {
                sink.begin();
                sink.append(text.data() + n, 0);
                if (!sink.end()) return;
            }
            ++p;
            while (p < n && isBlank(s[p]))
                ++p;
        }
    }
}

} // namespace rinova::addresses
