#include "files/folder_lock.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace rinova::files {
namespace {

struct Request {
    std::mutex mutex;
    std::condition_variable answer;
    int fd = -1;
    bool answered = false;
    bool granted = false;
    bool givenUp = false;
};

// A request given up on is still waiting: while it does, the lock counts as stale.
std::atomic<bool> staleWaiter{false};

} // namespace

// The wait is a blocking request, so the kernel hands the lock on as it is released; a writer
// that only polled could starve behind one that writes back to back. It runs in a thread of its
// own so that it can be given up: a holder that hangs would stall every other writer, so after a
// moment the write goes on unlocked. The request given up stays queued until it is granted, and
// then lets go at once; while it waits, later writes do not wait for it again.
FolderLock::FolderLock(const QByteArray& folder)
    : fd_(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
    }
    if (errno != EWOULDBLOCK || staleWaiter.load()) return;

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
            staleWaiter = false;
            return;
        }
        request->granted = rc == 0;
        request->answered = true;
        request->answer.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(request->mutex);
    if (request->answer.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                                 [&] { return request->answered; })) {
        fd_ = request->fd;
        held_ = request->granted;
    } else {
        request->givenUp = true;
        staleWaiter = true;
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

} // namespace rinova::files
