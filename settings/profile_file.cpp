// Profile file reading and writing on the bytes of the file, so that values keep their Shift-JIS
// bytes and every line the program does not touch stays exactly as it was.
#include "settings/profile_file.h"

#include "text/cp932.h"
#include "text/failure.h"
#include "text/file_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace rinova::settings {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

enum class Kind { Blank, Section, Key, Other };

struct Line {
    std::size_t begin = 0;      // first byte of the line's content
    std::size_t contentEnd = 0; // the line break starts here
    std::size_t end = 0;        // one past the line break
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, blanks trimmed
    std::string_view value; // raw text after "=" (key lines)
    std::size_t nameBegin = 0;
};

// Splits the file into lines (CR LF, LF or a lone CR end a line) and classifies each.
std::vector<Line> parseLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") pos = 3; // editors may add a UTF-8 mark
    while (pos < bytes.size()) {
        Line line;
        line.begin = pos;
        std::size_t brk = bytes.find_first_of("\r\n", pos);
        if (brk == std::string_view::npos) {
            line.contentEnd = line.end = bytes.size();
        } else {
            line.contentEnd = brk;
            line.end = brk + 1;
            if (bytes[brk] == '\r' && brk + 1 < bytes.size() && bytes[brk + 1] == '\n')
                line.end = brk + 2;
        }
        pos = line.end;

        std::string_view content = bytes.substr(line.begin, line.contentEnd - line.begin);
        std::string_view body = trimBlanks(content);
        line.nameBegin = line.begin + (body.empty() ? 0 : body.data() - content.data());
        if (body.empty()) {
            line.kind = Kind::Blank;
        } else if (body.front() == '[') {
            line.kind = Kind::Section;
            std::string_view inner = body.substr(1);
            inner = inner.substr(0, inner.find(']'));
            line.name = trimBlanks(inner);
        } else if (body.front() == ';') {
            line.kind = Kind::Other;
        } else if (std::size_t eq = body.find('='); eq != std::string_view::npos) {
            line.kind = Kind::Key;
            line.name = trimBlanks(body.substr(0, eq));
            line.value = body.substr(eq + 1);
        }
        lines.push_back(line);
    }
    return lines;
}

struct Location {
    int keyLine = -1;         // first line of the key in a section of that name
    int sectionLastLine = -1; // last non-blank line of the first section of that name
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location at;
    bool inSection = false;
    bool inFirstSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const Line& line = lines[i];
        if (line.kind == Kind::Section) {
            inSection = sameName(line.name, section);
            inFirstSection = inSection && at.sectionLastLine < 0;
            if (inFirstSection) at.sectionLastLine = i;
            continue;
        }
        if (inFirstSection && line.kind != Kind::Blank) at.sectionLastLine = i;
        if (inSection && line.kind == Kind::Key && at.keyLine < 0 && sameName(line.name, key))
            at.keyLine = i;
    }
    return at;
}

// The value as a C string would hold it, with blanks and enclosing quotes dropped.
std::string_view cleanValue(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    raw = trimBlanks(raw);
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    return raw;
}

// At most max bytes, never ending between the two bytes of one character.
std::string_view cutToBytes(std::string_view s, std::size_t max) {
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t len = text::charLength(s, i);
        if (i + len > max) break;
        i += len;
    }
    return s.substr(0, i);
}

// A value must stay on its own line: it ends at a NUL, and each CR or LF becomes a blank.
std::string safeValue(std::string_view value) {
    std::string out(value.substr(0, value.find('\0')));
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string_view lineBreakOf(std::string_view bytes, const std::vector<Line>& lines) {
    for (const Line& line : lines)
        if (line.end > line.contentEnd)
            return bytes.substr(line.contentEnd, line.end - line.contentEnd);
    return "\r\n";
}

std::string withKey(const std::string& bytes, std::string_view section, std::string_view key,
                    std::string_view value) {
    std::vector<Line> lines = parseLines(bytes);
    Location at = locate(lines, section, key);
    std::string eol(lineBreakOf(bytes, lines));
    std::string out;
    out.reserve(bytes.size() + key.size() + value.size() + section.size() + 8);

    if (at.keyLine >= 0) {
        // Keep the line's indentation, its spelling of the key and its line break.
        const Line& line = lines[at.keyLine];
        out.append(bytes, 0, line.nameBegin);
        out.append(line.name);
        out.push_back('=');
        out.append(value);
        out.append(bytes, line.contentEnd);
    } else if (at.sectionLastLine >= 0) {
        const Line& line = lines[at.sectionLastLine];
        out.append(bytes, 0, line.end);
        if (line.end == line.contentEnd) out.append(eol);
        out.append(key);
        out.push_back('=');
        out.append(value);
        // A lone CR before a line that starts with LF would join it into one CR LF break and
        // swallow that (empty) line.
        if (eol == "\r" && line.end < bytes.size() && bytes[line.end] == '\n')
            out.append("\r\n");
        else
            out.append(eol);
        out.append(bytes, line.end);
    } else {
        out = bytes;
        if (!lines.empty() && lines.back().end == lines.back().contentEnd) out.append(eol);
        out.push_back('[');
        out.append(section);
        out.push_back(']');
        out.append(eol);
        out.append(key);
        out.push_back('=');
        out.append(value);
        out.append(eol);
    }
    return out;
}

QString fullPath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

[[noreturn]] void cannotWrite(const QString& path) {
    throw text::Failure(QStringLiteral("%1 に書き込めません").arg(fullPath(path)));
}

// No write bit at all counts as read-only, also for root, who may write anything.
bool hasWriteBit(const struct stat& st) {
    return (st.st_mode & 0222) != 0;
}

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

enum class Taken { Missing, Read, NotRegular, TooLarge, Unreadable };

struct FileBytes {
    Taken taken = Taken::Missing;
    std::string bytes;
    struct stat st {};
};

// Opens without blocking (a named pipe with no writer must not hold the program up), takes only
// a regular file, and reads at most the bound (a device or a huge file is never read through).
FileBytes takeFile(const QByteArray& path) {
    FileBytes out;
    const Fd file(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0) {
        out.taken = (errno == ENOENT || errno == ENOTDIR) ? Taken::Missing : Taken::Unreadable;
        return out;
    }
    if (::fstat(file.fd, &out.st) != 0) {
        out.taken = Taken::Unreadable;
        return out;
    }
    constexpr std::size_t bound = ProfileFile::kMaxFileBytes;
    if (!S_ISREG(out.st.st_mode)) {
        out.taken = Taken::NotRegular;
        return out;
    }
    if (out.st.st_size < 0 || static_cast<std::uintmax_t>(out.st.st_size) > bound) {
        out.taken = Taken::TooLarge;
        return out;
    }
    // One byte more than the file holds tells whether it grew past the bound meanwhile.
    out.bytes.resize(static_cast<std::size_t>(out.st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == out.bytes.size()) {
            if (got > bound) break;
            out.bytes.resize(std::min(got + 65536, bound + 1));
        }
        const ssize_t n = ::read(file.fd, out.bytes.data() + got, out.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.bytes.clear();
            out.taken = Taken::Unreadable;
            return out;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.bytes.resize(std::min(got, bound + 1));
    if (got > bound) {
        out.bytes.clear();
        out.taken = Taken::TooLarge;
        return out;
    }
    out.taken = Taken::Read;
    return out;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// The file a chain of symbolic links ends at (the path itself when it is no link); empty when
// the chain loops or cannot be read. The links stay links: the file at their end is written.
QByteArray finalTarget(QByteArray path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buffer(4096);
        const ssize_t n = ::readlink(path.constData(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
        QByteArray next(buffer.data(), n);
        path = next.startsWith('/') ? next : folderOf(path) + '/' + next;
    }
    return {};
}

// Writers in any number of processes take turns through an advisory lock on the folder that
// holds the file: it leaves no file behind, and works where the folder takes no new file.
//
// The wait is a blocking request, so the kernel hands the lock on as it is released; a writer
// that only polled could starve behind one that writes back to back. It runs in a thread of its
// own so that it can be given up: a holder that hangs would stall every other writer, so after
// a moment the write goes on unlocked (still atomic where the folder allows). The request given
// up stays queued until it is granted, and then lets go at once; while it waits, the lock counts
// as stale and later writes do not wait for it again.
class WriterLock {
public:
    explicit WriterLock(const QByteArray& folder)
        : fd_(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) return;
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if (errno != EWOULDBLOCK || staleWaiter().load()) return;

        auto request = std::make_shared<Request>();
        request->fd = std::exchange(fd_, -1);
        std::thread([request] {
            int rc;
            do
                rc = ::flock(request->fd, LOCK_EX);
            while (rc != 0 && errno == EINTR);
            const std::lock_guard<std::mutex> guard(request->mutex);
            if (request->givenUp) {
                ::close(request->fd);
                staleWaiter() = false;
                return;
            }
            request->granted = rc == 0;
            request->answered = true;
            request->answer.notify_all();
        }).detach();

        std::unique_lock<std::mutex> lock(request->mutex);
        if (request->answer.wait_for(lock, std::chrono::milliseconds(ProfileFile::kLockWaitMs),
                                     [&] { return request->answered; })) {
            fd_ = request->fd;
            held_ = request->granted;
        } else {
            request->givenUp = true;
            staleWaiter() = true;
        }
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    ~WriterLock() {
        if (fd_ >= 0) ::close(fd_); // releases the lock
    }
    bool held() const { return held_; }

private:
    struct Request {
        std::mutex mutex;
        std::condition_variable answer;
        int fd = -1;
        bool answered = false;
        bool granted = false;
        bool givenUp = false;
    };
    static std::atomic<bool>& staleWaiter() {
        static std::atomic<bool> waiting{false};
        return waiting;
    }

    int fd_ = -1;
    bool held_ = false;
};

// Temporary files of writers that died before their rename (".NAME.<pid>-....tmp" whose
// process is gone). Only while holding the lock: then no live writer is between its temporary
// file and its rename.
void removeDeadWritersFiles(const QByteArray& target) {
    const QByteArray folder = folderOf(target);
    const QByteArray prefix = "." + nameOf(target) + ".";
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(".tmp")) continue;
        const QByteArray rest = name.mid(prefix.size());
        const qsizetype dash = rest.indexOf('-');
        bool isNumber = false;
        const long pid = dash > 0 ? rest.left(dash).toLong(&isNumber, 10) : 0;
        if (!isNumber || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

enum class Replaced { Done, FolderRefused, Failed };

// Writes a temporary file beside the target and renames it over the target, so the target is
// either the old file or the whole new one.
Replaced replaceFile(const QByteArray& target, std::string_view bytes, const struct stat* old) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    QByteArray tempPath;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempPath = folderOf(target) + "/." + nameOf(target) +
                   QStringLiteral(".%1-%2-%3.tmp")
                       .arg(::getpid())
                       .arg(counter.fetch_add(1))
                       .arg(random(), 8, 16, QLatin1Char('0'))
                       .toLatin1();
        fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == EACCES || errno == EPERM)) return Replaced::FolderRefused;
        if (fd < 0 && errno != EEXIST) return Replaced::Failed;
    }
    if (fd < 0) return Replaced::Failed;

    bool ok = writeAll(fd, bytes);
    if (ok && old) {
        ok = ::fchmod(fd, old->st_mode & 07777) == 0;
        if (old->st_uid != ::geteuid() || old->st_gid != ::getegid())
            (void)!::fchown(fd, old->st_uid, old->st_gid); // best effort: only root may
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tempPath.constData());
        return Replaced::Failed;
    }
    const Fd dir(::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0) ::fsync(dir.fd);
    return Replaced::Done;
}

// Where the folder takes no new file but the file itself may be written: the new bytes go over
// the old ones. The room is reserved first, so a full disk fails before a byte has changed.
bool writeInPlace(const QByteArray& target, std::string_view bytes, const struct stat& old) {
    const Fd file(::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0) return false;
    struct stat now {};
    if (::fstat(file.fd, &now) != 0 || !S_ISREG(now.st_mode) || now.st_ino != old.st_ino ||
        now.st_dev != old.st_dev)
        return false;
    const auto size = static_cast<off_t>(bytes.size());
    if (size > now.st_size && ::fallocate(file.fd, 0, 0, size) != 0 && errno != EOPNOTSUPP)
        return false;
    return writeAll(file.fd, bytes) && ::ftruncate(file.fd, size) == 0 && ::fsync(file.fd) == 0;
}

} // namespace

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

std::string ProfileFile::contents() const {
    // The name's bytes need not be UTF-8 (rinova-cli --settings with a Shift-JIS name).
    FileBytes file = takeFile(text::existingFileName(path_));
    switch (file.taken) {
    case Taken::Read:
        return std::move(file.bytes);
    case Taken::NotRegular:
        throw text::Failure(
            QStringLiteral("%1 は通常のファイルではないため、設定ファイルとして使えません")
                .arg(fullPath(path_)));
    case Taken::TooLarge:
        throw text::Failure(
            QStringLiteral("%1 は 1 MiB を超えているため、設定ファイルとして使えません")
                .arg(fullPath(path_)));
    case Taken::Missing:
    case Taken::Unreadable:
        break;
    }
    return {};
}

std::string ProfileFile::valueIn(std::string_view contents, std::string_view section,
                                 std::string_view key) {
    std::vector<Line> lines = parseLines(contents);
    Location at = locate(lines, section, key);
    if (at.keyLine < 0) return {};
    return std::string(cutToBytes(cleanValue(lines[at.keyLine].value), kMaxValueBytes));
}

std::string ProfileFile::read(std::string_view section, std::string_view key) const {
    return valueIn(contents(), section, key);
}

void ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    const QByteArray target = finalTarget(QFile::encodeName(QFileInfo(path_).absoluteFilePath()));
    if (target.isEmpty()) cannotWrite(path_);

    struct stat dirStat {};
    if (::stat(folderOf(target).constData(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode))
        cannotWrite(path_);
    // Only a writable regular file, or a new file in a writable folder, is worth a lock.
    struct stat fileStat {};
    const bool existed = ::stat(target.constData(), &fileStat) == 0;
    if (!existed && errno != ENOENT) cannotWrite(path_);
    if (existed && (!S_ISREG(fileStat.st_mode) || !hasWriteBit(fileStat))) cannotWrite(path_);
    const bool replaceable = hasWriteBit(dirStat);
    if (!existed && !replaceable) cannotWrite(path_);

    const WriterLock lock(folderOf(target));
    const FileBytes old = takeFile(target);
    const bool exists = old.taken != Taken::Missing;
    if (exists && (old.taken != Taken::Read || !hasWriteBit(old.st))) cannotWrite(path_);

    const std::string updated = withKey(old.bytes, section, key, safeValue(value));
    if (exists && updated == old.bytes) return;
    if (replaceable) {
        if (lock.held()) removeDeadWritersFiles(target);
        switch (replaceFile(target, updated, exists ? &old.st : nullptr)) {
        case Replaced::Done:
            return;
        case Replaced::FolderRefused:
            break; // the write bit is there, yet the folder refuses us: write in place
        case Replaced::Failed:
            cannotWrite(path_);
        }
    }
    if (!exists || !writeInPlace(target, updated, old.st)) cannotWrite(path_);
}

} // namespace rinova::settings
