// Files of the kinds a program meets in place of its settings file: a named pipe, a link to a
// device, a huge sparse file, random bytes past the size bound.
#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace rinova::testing {

inline bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

// A file of this size that takes no room on disk.
inline bool makeSparse(const QString& path, long long size) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    return (::close(fd) == 0) && ok;
}

inline std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// Turns a hang on a named pipe into a failure: past the time limit the pipe is opened for
// writing and closed again, every 50 ms, which releases a reader blocked in open() or read().
class PipeWatch {
public:
    PipeWatch(const QString& fifo, std::chrono::milliseconds limit)
        : path_(QFile::encodeName(fifo).toStdString()), thread_([this, limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (done_.wait_for(lock, limit, [this] { return stop_; })) return;
              fired_ = true;
              do {
                  const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) ::close(fd);
              } while (
                  !done_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stop_; }));
          }) {}
    ~PipeWatch() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    // True when the reader had to be released: it blocked on the pipe.
    bool fired() const { return fired_; }

private:
    std::string path_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool stop_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

} // namespace rinova::testing
