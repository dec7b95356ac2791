// The profile file: any file content, then one key written and read back. The key reads back
// as written (trimmed and unquoted as every value is read, line breaks turned into blanks),
// and every other line of the file keeps its bytes.
#include "settings/profile_file.h"
#include "text/cp932.h"
#include "text/failure.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using rinova::settings::ProfileFile;

namespace {

std::string dir;
QString path;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "profile file: %s\n", what);
    std::abort();
}

void writeFile(const std::string& name, std::string_view bytes) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) fail("cannot create the test file");
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        fail("cannot fill the test file");
    std::fclose(f);
}

std::string readFile(const std::string& name) {
    std::string out;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) fail("the written file is gone");
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.append(buffer, n);
    std::fclose(f);
    return out;
}

// Lines with their line breaks (CR LF, LF or a lone CR).
std::vector<std::string_view> linesOf(std::string_view s) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t brk = s.find_first_of("\r\n", pos);
        std::size_t end = brk == std::string_view::npos ? s.size() : brk + 1;
        if (brk != std::string_view::npos && s[brk] == '\r' && end < s.size() && s[end] == '\n')
            ++end;
        lines.push_back(s.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

std::string_view content(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

std::string_view lineBreak(std::string_view line) {
    return line.substr(content(line).size());
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// What a value is stored as: up to a NUL, each CR or LF a blank.
std::string stored(std::string_view value) {
    std::string out(value.substr(0, value.find('\0')));
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// What reading gives for a stored value: trimmed, enclosing quotes dropped, at most 2047
// bytes without splitting a double-byte character.
std::string readsAs(std::string_view s) {
    s = trim(s);
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        s = s.substr(1, s.size() - 2);
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t len = rinova::text::charLength(s, i);
        if (i + len > ProfileFile::kMaxValueBytes) break;
        i += len;
    }
    return std::string(s.substr(0, i));
}

// A written key line: indentation, the key in any case, "=", the stored value.
bool isKeyLine(std::string_view line, std::string_view key, std::string_view value) {
    std::string_view c = content(line);
    std::size_t eq = c.find('=');
    return eq != std::string_view::npos && sameName(trim(c.substr(0, eq)), key) &&
           trim(c.substr(0, eq)).data() + key.size() == c.data() + eq && c.substr(eq + 1) == value;
}

bool isSectionLine(std::string_view line) {
    return content(line) == "[SET]";
}

void checkOtherLines(std::string_view before, std::string_view after, std::string_view key,
                     std::string_view value) {
    // A UTF-8 mark at the start belongs to no line and stays where it is.
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (before.substr(0, 3) == kMark) {
        if (after.substr(0, 3) != kMark) fail("the UTF-8 mark moved");
        before.remove_prefix(3);
        after.remove_prefix(3);
    }
    const auto o = linesOf(before);
    const auto n = linesOf(after);
    std::size_t p = 0;
    while (p < o.size() && p < n.size() && o[p] == n[p])
        ++p;
    std::size_t s = 0;
    while (s < o.size() - p && s < n.size() - p && o[o.size() - 1 - s] == n[n.size() - 1 - s])
        ++s;
    std::vector<std::string_view> om(o.begin() + p, o.end() - s);
    std::vector<std::string_view> nm(n.begin() + p, n.end() - s);
    if (om.empty() && nm.empty()) return; // the same value again
    // The last line of the old file may gain the line break it lacked.
    if (om.size() == 1 && s == 0 && lineBreak(om[0]).empty() && !nm.empty() &&
        nm[0].substr(0, om[0].size()) == om[0] && !lineBreak(nm[0]).empty() &&
        content(nm[0]) == om[0]) {
        om.clear();
        nm.erase(nm.begin());
    }
    if (om.size() == 1 && nm.size() == 1) {
        if (!isKeyLine(nm[0], key, value)) fail("the key's line is not key=value");
        if (lineBreak(om[0]) != lineBreak(nm[0])) fail("the key's line changed its line break");
        return;
    }
    if (om.empty() && nm.size() == 1) {
        if (!isKeyLine(nm[0], key, value) || lineBreak(nm[0]).empty())
            fail("the inserted line is not key=value");
        return;
    }
    if (om.empty() && nm.size() == 2 && s == 0) {
        if (!isSectionLine(nm[0]) || !isKeyLine(nm[1], key, value))
            fail("the appended lines are not the section and the key");
        return;
    }
    std::fprintf(stderr, "%zu old lines became %zu new lines\n", om.size(), nm.size());
    fail("lines other than the key's changed");
}

constexpr std::array<const char*, 6> kKeys = {"Edit1Value0", "edit1value0", "EDIT3VALUE01",
                                              "Bikou",       "SashiAdd1",   "FontName"};
constexpr std::array<const char*, 3> kSections = {"SET", "set", "Set"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char templ[] = "/dev/shm/rinova-fuzz-profile-XXXXXX";
    char templTmp[] = "/tmp/rinova-fuzz-profile-XXXXXX";
    const char* made = ::mkdtemp(templ);
    if (!made) made = ::mkdtemp(templTmp);
    if (!made) fail("cannot make a folder");
    dir = made;
    path = QString::fromLocal8Bit(dir + "/rinova.ini");
    std::atexit([] {
        ::unlink((dir + "/rinova.ini").c_str());
        ::rmdir(dir.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string key = kKeys[in.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1)];
    const std::string section =
        kSections[in.ConsumeIntegralInRange<std::size_t>(0, kSections.size() - 1)];
    const std::string value = in.ConsumeRandomLengthString(3000);
    const std::string before = in.ConsumeRemainingBytesAsString();

    const std::string file = dir + "/rinova.ini";
    writeFile(file, before);
    ProfileFile profile(path);
    (void)profile.read(section, key);
    try {
        profile.write("SET", key, value);
    } catch (const rinova::text::Failure&) {
        fail("a write to a writable folder failed");
    }
    if (profile.read(section, key) != readsAs(stored(value))) fail("the key does not read back");
    checkOtherLines(before, readFile(file), key, stored(value));
    return 0;
}
