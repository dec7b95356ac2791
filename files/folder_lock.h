// Writers of one file, in any number of processes, take turns through an advisory lock on the
// folder that holds it: the lock leaves no file behind and works where the folder takes no new
// file.
#pragma once

#include <QByteArray>

namespace rinova::files {

class FolderLock {
public:
    // How long a writer waits for another one before it goes on without the lock. A writer
    // holds it for milliseconds, but on a busy machine it can be put aside for more than a
    // second; going on unlocked then loses the other's keys, so only a holder that is plainly
    // stuck is given up on.
    static constexpr int kWaitMs = 5000;

    // Takes the lock, waiting at most kWaitMs for a holder to let go.
    explicit FolderLock(const QByteArray& folder);
    ~FolderLock(); // lets go
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

} // namespace rinova::files
