#include "files/temporary_file.h"

#include "files/file_name.h"

#include <QFile>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace rinova::files {
namespace {

constexpr char kMark[] = ".rinova-tmp";
constexpr int kRandomChars = 6;

// The signals whose default action ends the process and that a handler may catch.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGPIPE,  SIGALRM,
                                  SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM};

// The registry of the temporary files that exist now, read by the signal handler: fixed slots
// and atomic states only, nothing that allocates or locks.
enum SlotState : int { Free, Filling, Live, Claimed };
struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
Slot registry[32];

extern "C" void removeOursAndEnd(int signal) {
    for (Slot& slot : registry) {
        int live = Live;
        // Claimed for good: the process ends, so the slot is never given back.
        if (slot.state.compare_exchange_strong(live, Claimed)) ::unlink(slot.path);
    }
    // The default action is back (SA_RESETHAND): raised again, the signal ends the process as it
    // would have without us.
    ::raise(signal);
}

void installHandlers() {
    static const bool installed = [] {
        for (const int signal : kEndingSignals) {
            struct sigaction now {};
            // Ignored or handled by someone else: left so.
            if (::sigaction(signal, nullptr, &now) != 0 || now.sa_handler != SIG_DFL ||
                (now.sa_flags & SA_SIGINFO))
                continue;
            struct sigaction ours {};
            ours.sa_handler = removeOursAndEnd;
            sigfillset(&ours.sa_mask);
            ours.sa_flags = SA_RESETHAND;
            ::sigaction(signal, &ours, nullptr);
        }
        return true;
    }();
    (void)installed;
}

int enter(const QByteArray& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < static_cast<int>(std::size(registry)); ++i) {
        int free = Free;
        if (!registry[i].state.compare_exchange_strong(free, Filling)) continue;
        std::memcpy(registry[i].path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
        registry[i].state.store(Live);
        return i;
    }
    return -1; // more at once than the registry holds: left to the sweep
}

void leave(int slot) {
    if (slot < 0) return;
    int live = Live;
    registry[slot].state.compare_exchange_strong(live, Free);
}

// Signals held off while a file is made and entered, so that none is made unseen.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kEndingSignals)
            sigaddset(&set, signal);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_{};
};

bool isRandomChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// At most `max` bytes of the label, not ending inside a UTF-8 character.
QByteArray shortened(const QByteArray& label, qsizetype max) {
    if (label.size() <= max) return label;
    qsizetype n = std::max<qsizetype>(max, 0);
    while (n > 0 && (static_cast<unsigned char>(label[n]) & 0xC0) == 0x80)
        --n;
    return label.left(n);
}

} // namespace

std::unique_ptr<TemporaryFile>
TemporaryFile::create(const QByteArray& folder, const QByteArray& label, mode_t mode, int* error) {
    installHandlers();
    sweep(folder);
    const QByteArray pid = QByteArray::number(::getpid());
    const long nameMax = ::pathconf(folder.constData(), _PC_NAME_MAX);
    const qsizetype room = (nameMax > 0 ? nameMax : NAME_MAX) - 2 - pid.size() - 1 - kRandomChars -
                           static_cast<qsizetype>(sizeof kMark - 1);
    const QByteArray stem = folder + "/." + shortened(label, room) + '.' + pid + '-';

    static const char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, 61);
    int failure = EEXIST;
    for (int attempt = 0; attempt < 100 && failure == EEXIST; ++attempt) {
        QByteArray path = stem;
        for (int i = 0; i < kRandomChars; ++i)
            path += kChars[pick(device)];
        path += kMark;
        const SignalsHeld held;
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0)
            return std::unique_ptr<TemporaryFile>(new TemporaryFile(path, fd, enter(path)));
        failure = errno;
    }
    if (error) *error = failure;
    return nullptr;
}

TemporaryFile::TemporaryFile(QByteArray path, int fd, int slot)
    : path_(std::move(path)), fd_(fd), slot_(slot) {}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (slot_ >= 0 || !path_.isEmpty()) {
        const SignalsHeld held;
        if (!path_.isEmpty()) ::unlink(path_.constData());
        leave(slot_);
    }
}

QString TemporaryFile::toolkitPath() const {
    const QString name = fileNameFromBytes(path_);
    if (QFile::encodeName(name) == path_ || fd_ < 0) return name;
    return QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

bool TemporaryFile::close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

void TemporaryFile::keep() {
    const SignalsHeld held;
    leave(slot_);
    slot_ = -1;
    path_.clear();
}

bool TemporaryFile::isOurs(const QByteArray& name, pid_t* writer) {
    const qsizetype markAt = name.size() - static_cast<qsizetype>(sizeof kMark - 1);
    if (!name.startsWith('.') || markAt < 1 || name.mid(markAt) != kMark) return false;
    const qsizetype dot = name.lastIndexOf('.', markAt - 1);
    if (dot < 0) return false;
    const QByteArray tail = name.mid(dot + 1, markAt - dot - 1); // PID-XXXXXX
    const qsizetype dash = tail.size() - kRandomChars - 1;
    if (dash < 1 || tail[dash] != '-') return false;
    for (qsizetype i = dash + 1; i < tail.size(); ++i)
        if (!isRandomChar(tail[i])) return false;
    bool ok = false;
    const long pid = tail.left(dash).toLong(&ok, 10);
    if (!ok || pid <= 0 || tail[0] == '+' || tail[0] == '-') return false;
    if (writer) *writer = static_cast<pid_t>(pid);
    return true;
}

void TemporaryFile::sweep(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        pid_t writer = 0;
        if (!isOurs(QByteArray(entry->d_name), &writer) || writer == ::getpid()) continue;
        if (::kill(writer, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace rinova::files
