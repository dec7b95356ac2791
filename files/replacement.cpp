#include "files/replacement.h"

#include "files/system_error.h"
#include "text/failure.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace rinova::files {
namespace {

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// The file a chain of links finally names (the path itself when it is no link); empty, with
// the error, when the chain does not end.
QByteArray followLinks(QByteArray path, int& error) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), link, sizeof link);
        if (n < 0 || n == sizeof link) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        const QByteArray to(link, n);
        path = to.startsWith('/') ? to : folderOf(path) + '/' + to;
    }
    error = ELOOP;
    return {};
}

bool writeAll(int fd, const char* p, std::size_t left, off_t* at = nullptr) {
    while (left > 0) {
        const ssize_t n = at ? ::pwrite(fd, p, left, *at) : ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
        if (at) *at += n;
    }
    return true;
}

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

Replacement::Replacement(const QByteArray& target, const QString& shown,
                         const QList<QByteArray>& inputs)
    : shown_(shown) {
    if (target.isEmpty()) fail(ENOENT);
    int error = 0;
    file_ = followLinks(target, error);
    if (file_.isEmpty()) fail(error);

    struct stat st {};
    if (::stat(file_.constData(), &st) != 0) {
        if (errno != ENOENT) fail(errno);
        return;
    }
    existed_ = true;
    before_ = st;
    if (!S_ISREG(st.st_mode))
        throw text::Failure(QStringLiteral("%1 はファイルではないので書き込めません").arg(shown_));
    for (const QByteArray& input : inputs) {
        struct stat in {};
        if (!input.isEmpty() && ::stat(input.constData(), &in) == 0 && in.st_dev == st.st_dev &&
            in.st_ino == st.st_ino)
            throw text::Failure(
                QStringLiteral("%1 は読み込むファイルなので上書きできません").arg(shown_));
    }
    // Mode bits first: the superuser may write anything, but a read-only file stays so.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw text::Failure(QStringLiteral("%1 は読み取り専用なので書き込めません").arg(shown_));
    if (::access(file_.constData(), W_OK) != 0) fail(errno);
}

Replacement::~Replacement() {
    if (unnamed_ >= 0) ::close(unnamed_);
}

QByteArray Replacement::folder() const {
    return folderOf(file_);
}

void Replacement::open() {
    if (beside_ || unnamed_ >= 0) return;
    // A folder without a write bit takes no new file, also from the superuser.
    struct stat dir {};
    int error = EACCES;
    if (::stat(folder().constData(), &dir) != 0) {
        error = errno;
    } else if ((dir.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0) {
        // An earlier file's content is the owner's alone until it gets the file's permissions.
        beside_ = TemporaryFile::create(folder(), nameOf(file_), existed_ ? 0600 : 0666, &error);
        if (beside_) return;
    }
    if (!existed_ || (error != EACCES && error != EPERM)) fail(error);
    // The folder takes no new file, but the file itself may be written.
    const QByteArray temp = QFile::encodeName(QDir::tempPath());
    unnamed_ = ::open(temp.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed_ < 0) fail(error);
}

int Replacement::descriptor() {
    open();
    return beside_ ? beside_->descriptor() : unnamed_;
}

QString Replacement::writerPath() {
    open();
    return beside_ ? beside_->toolkitPath() : QStringLiteral("/proc/self/fd/%1").arg(unnamed_);
}

void Replacement::write(QByteArrayView data) {
    if (!writeAll(descriptor(), data.data(), static_cast<std::size_t>(data.size()))) fail(errno);
}

void Replacement::commit() {
    open();
    if (!beside_) {
        commitInPlace();
        return;
    }
    const int fd = beside_->descriptor();
    if (::fsync(fd) != 0) fail(errno);
    struct stat now {};
    if (::stat(file_.constData(), &now) == 0) {
        // Owner first: a change of owner clears the set-id bits that the mode then restores.
        // Only the superuser may give a file away; anyone else keeps the file as theirs.
        if (now.st_uid != ::geteuid() || now.st_gid != ::getegid())
            (void)!::fchown(fd, now.st_uid, now.st_gid);
        if (::fchmod(fd, now.st_mode & 07777) != 0) fail(errno);
    }
    if (!beside_->close()) fail(errno);
    if (::rename(beside_->path().constData(), file_.constData()) != 0) fail(errno);
    beside_->keep();
    beside_.reset();
    // The rename reaches the disk with its folder.
    syncFolder(folder());
}

void Replacement::commitInPlace() {
    struct stat content {};
    if (::fstat(unnamed_, &content) != 0) fail(errno);
    const int fd = ::open(file_.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) fail(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat now {};
    if (::fstat(fd, &now) != 0) fail(errno);
    if (!S_ISREG(now.st_mode) || now.st_dev != before_.st_dev || now.st_ino != before_.st_ino)
        fail(QStringLiteral("書いている間に別のファイルに置き換えられました"));
    const off_t size = content.st_size;
    if (size > now.st_size && ::fallocate(fd, 0, 0, size) != 0 && errno != EOPNOTSUPP) fail(errno);
    char buffer[1 << 16];
    for (off_t from = 0, to = 0; from < size;) {
        const ssize_t n = ::pread(unnamed_, buffer, sizeof buffer, from);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : EIO);
        from += n;
        if (!writeAll(fd, buffer, static_cast<std::size_t>(n), &to)) fail(errno);
    }
    if (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0) fail(errno);
    ::close(unnamed_);
    unnamed_ = -1;
}

void Replacement::fail(int error) {
    fail(writeErrorText(error));
}

void Replacement::fail(const QString& why) {
    beside_.reset();
    if (unnamed_ >= 0) ::close(unnamed_);
    unnamed_ = -1;
    throw text::Failure(QStringLiteral("%1 に書き込めません (%2)").arg(shown_, why));
}

} // namespace rinova::files
