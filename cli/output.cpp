#include "cli/output.h"

#include "cli/commands.h"
#include "text/failure.h"
#include "text/file_name.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace rinova::cli {
namespace {

// What the system said, in Japanese where it is what users meet.
QString reason(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクがいっぱいです");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("フォルダがありません");
    case EIO:
        return QStringLiteral("入出力エラーが起きました");
    case ELOOP:
        return QStringLiteral("リンクが循環しています");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
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

bool outFailed = false;

void outFailure(int error) {
    outFailed = true;
    printError(QStringLiteral("標準出力に書き込めません (%1)").arg(reason(error)));
}

} // namespace

AtomicFile::AtomicFile(const QString& target, const QStringList& inputs) : target_(target) {
    const QString shown = text::displayFileName(target);
    const QByteArray named = text::fileNameToBytes(target);
    if (named.isEmpty()) fail(ENOENT);
    int error = 0;
    final_ = followLinks(named, error);
    if (final_.isEmpty()) fail(error);

    struct stat st {};
    if (::stat(final_.constData(), &st) == 0) {
        existed_ = true;
        before_ = st;
        if (!S_ISREG(st.st_mode))
            throw text::Failure(
                QStringLiteral("%1 はファイルではないので書き込めません").arg(shown));
        for (const QString& input : inputs) {
            struct stat in {};
            if (!input.isEmpty() && ::stat(text::existingFileName(input).constData(), &in) == 0 &&
                in.st_dev == st.st_dev && in.st_ino == st.st_ino)
                throw text::Failure(
                    QStringLiteral("%1 は読み込むファイルなので上書きできません").arg(shown));
        }
        // Mode bits first: the superuser may write anything, but a read-only file stays so.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw text::Failure(QStringLiteral("%1 は読み取り専用なので書き込めません").arg(shown));
        if (::access(final_.constData(), W_OK) != 0) fail(errno);
    } else if (errno != ENOENT) {
        fail(errno);
    }

    const qsizetype slash = final_.lastIndexOf('/');
    temp_ = folderOf(final_) + "/." + final_.mid(slash + 1) + ".XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int e = errno;
        temp_.clear();
        fail(e);
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
}

QString AtomicFile::writerPath() const {
    const QString name = text::fileNameFromBytes(temp_);
    if (QFile::encodeName(name) == temp_) return name;
    // A folder whose name the toolkit cannot spell: reach the open file itself.
    return QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

void AtomicFile::write(QByteArrayView data) {
    const char* p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, static_cast<std::size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        p += n;
        left -= n;
    }
}

void AtomicFile::commit() {
    if (::fsync(fd_) != 0) fail(errno);
    mode_t mode = 0;
    if (existed_) {
        // Owner first: a change of owner clears the set-id bits that the mode then restores.
        // Only the superuser may give a file away; anyone else keeps the file as theirs.
        [[maybe_unused]] const int owned = ::fchown(fd_, before_.st_uid, before_.st_gid);
        mode = before_.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail(errno);
    if (::rename(temp_.constData(), final_.constData()) != 0) fail(errno);
    temp_.clear();
    // The rename reaches the disk with its folder.
    const int folder = ::open(folderOf(final_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void AtomicFile::fail(int error) {
    fail(reason(error));
}

void AtomicFile::fail(const QString& why) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
    throw text::Failure(
        QStringLiteral("%1 に書き込めません (%2)").arg(text::displayFileName(target_), why));
}

bool writeOut(QByteArrayView data) {
    if (outFailed) return false;
    const auto size = static_cast<std::size_t>(data.size());
    if (size && std::fwrite(data.data(), 1, size, stdout) != size) outFailure(errno);
    return !outFailed;
}

int finishOut() {
    if (!outFailed && (std::fflush(stdout) != 0 || std::ferror(stdout))) outFailure(errno);
    return outFailed ? 1 : 0;
}

} // namespace rinova::cli
