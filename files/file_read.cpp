#include "files/file_read.h"

#include <QByteArrayList>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace rinova::files {
namespace {

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// A small file of the system (/proc, /sys), whose size it does not tell: read to its end.
QByteArray systemFile(const char* path) {
    const Fd file{::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    QByteArray out;
    if (file.fd < 0) return out;
    char buffer[4096];
    while (out.size() < (1 << 16)) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buffer, n);
    }
    return out;
}

// The number after `key` in a "Key:   123 kB" listing, in bytes; nothing when absent.
std::uint64_t listedBytes(const QByteArray& listing, const QByteArray& key, bool& found) {
    for (const QByteArray& line : listing.split('\n')) {
        if (!line.startsWith(key)) continue;
        const QByteArrayList words = line.mid(key.size()).simplified().split(' ');
        bool ok = false;
        const std::uint64_t n = words.value(0).toULongLong(&ok);
        if (!ok) continue;
        found = true;
        return words.value(1) == "kB" ? n * 1024 : n;
    }
    return 0;
}

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

// What is left under a resource limit, given what the process already holds of it.
std::uint64_t leftUnder(int resource, const QByteArray& status, const QByteArray& used) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
    bool found = false;
    const std::uint64_t held = listedBytes(status, used, found);
    return limit.rlim_cur > held ? limit.rlim_cur - held : 0;
}

// What the process's control group (version 2) still allows.
std::uint64_t leftInGroup() {
    for (const QByteArray& line : systemFile("/proc/self/cgroup").split('\n')) {
        if (!line.startsWith("0::")) continue;
        const QByteArray folder = "/sys/fs/cgroup" + line.mid(3).trimmed();
        bool ok = false, okNow = false;
        const std::uint64_t max = systemFile(folder + "/memory.max").trimmed().toULongLong(&ok);
        const std::uint64_t now =
            systemFile(folder + "/memory.current").trimmed().toULongLong(&okNow);
        if (!ok || !okNow) return kUnlimited; // "max", or no memory controller
        return max > now ? max - now : 0;
    }
    return kUnlimited;
}

} // namespace

FileContent readRegularFile(const QByteArray& path, std::uint64_t bound) {
    FileContent out;
    const Fd file{::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) {
        out.error = errno;
        out.outcome =
            (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::Missing : ReadOutcome::Failed;
        return out;
    }
    if (::fstat(file.fd, &out.st) != 0) {
        out.error = errno;
        out.outcome = ReadOutcome::Failed;
        return out;
    }
    if (!S_ISREG(out.st.st_mode)) {
        out.outcome = ReadOutcome::NotRegular;
        return out;
    }
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(out.st.st_size, 0));
    if (size > bound || size > std::numeric_limits<std::size_t>::max() / 2) {
        out.outcome = ReadOutcome::TooLarge;
        return out;
    }
    try {
        out.bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        out.outcome = ReadOutcome::NoMemory;
        return out;
    }
    // Up to the size it had when opened: what is appended meanwhile is not read.
    std::size_t got = 0;
    while (got < out.bytes.size()) {
        const ssize_t n = ::read(file.fd, out.bytes.data() + got, out.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.error = errno;
            out.bytes.clear();
            out.outcome = ReadOutcome::Failed;
            return out;
        }
        if (n == 0) break; // it shrank
        got += static_cast<std::size_t>(n);
    }
    out.bytes.resize(got);
    out.outcome = ReadOutcome::Read;
    return out;
}

std::uint64_t availableMemory() {
    bool found = false;
    std::uint64_t left = listedBytes(systemFile("/proc/meminfo"), "MemAvailable:", found);
    if (!found) left = kUnlimited;
    const QByteArray status = systemFile("/proc/self/status");
    left = std::min(left, leftUnder(RLIMIT_AS, status, "VmSize:"));
    left = std::min(left, leftUnder(RLIMIT_DATA, status, "VmData:"));
    return std::min(left, leftInGroup());
}

} // namespace rinova::files
