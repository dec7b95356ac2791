#include "files/recovery_copy.h"

#include "files/file_name.h"
#include "files/file_read.h"
#include "files/replacement.h"

#include <QDir>
#include <QFileInfo>
#include <charconv>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace rinova::files {
namespace {

// The copy starts with this line, then the kind and the source's name bytes on a line each.
constexpr std::string_view kMagic = "RINOVA-RECOVERY 1\n";
constexpr std::uint64_t kLargestCopy = std::uint64_t(2) << 30;
constexpr int kSlots = 16;

QString slotPath(const QString& base, int slot) {
    return slot == 1 ? base : base + u'.' + QString::number(slot);
}

// The slot's lock, taken without waiting; -1 when a running copy holds it (or it cannot be made).
int takeLock(const QString& copy) {
    const QByteArray name = fileNameToBytes(copy + QStringLiteral(".lock"));
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    ::close(fd);
    return -1;
}

std::optional<RecoveredWork> readCopy(const QString& path) {
    FileContent file = readRegularFile(fileNameToBytes(path), kLargestCopy);
    if (file.outcome != ReadOutcome::Read) return std::nullopt;
    const std::string_view bytes = file.bytes;
    if (!bytes.starts_with(kMagic)) return std::nullopt;
    const std::size_t kindEnd = bytes.find('\n', kMagic.size());
    if (kindEnd == std::string_view::npos) return std::nullopt;
    const std::size_t nameEnd = bytes.find('\n', kindEnd + 1);
    if (nameEnd == std::string_view::npos) return std::nullopt;
    RecoveredWork work;
    const char* from = bytes.data() + kMagic.size();
    const auto [end, error] = std::from_chars(from, bytes.data() + kindEnd, work.kind);
    if (error != std::errc() || end != bytes.data() + kindEnd) return std::nullopt;
    work.source = fileNameFromBytes(
        QByteArrayView(bytes.data() + kindEnd + 1, qsizetype(nameEnd - kindEnd - 1)));
    work.content = QByteArray(bytes.data() + nameEnd + 1, qsizetype(bytes.size() - nameEnd - 1));
    return work;
}

} // namespace

RecoveryCopy::RecoveryCopy(QString path) : base_(std::move(path)), path_(base_) {
    for (int slot = 1; slot <= kSlots && lock_ < 0; ++slot) {
        lock_ = takeLock(slotPath(base_, slot));
        if (lock_ >= 0) path_ = slotPath(base_, slot);
    }
    // Every slot held, or no lock can be made (no folder yet): the first copy's name, shared.
}

RecoveryCopy::~RecoveryCopy() {
    if (lock_ >= 0) ::close(lock_);
}

void RecoveryCopy::keep(const QString& source, int kind, QByteArrayView content) {
    QByteArray name = fileNameToBytes(source);
    // A name the copy's lines cannot hold is not kept: the work still is.
    if (name.contains('\n')) name.clear();
    QDir().mkpath(QFileInfo(path_).absolutePath());
    Replacement out(fileNameToBytes(path_), displayFileName(path_));
    out.write(QByteArray(kMagic.data(), qsizetype(kMagic.size())) + QByteArray::number(kind) +
              '\n' + name + '\n');
    out.write(content);
    out.commit();
}

std::optional<RecoveredWork> RecoveryCopy::read() {
    if (std::optional<RecoveredWork> own = readCopy(path_)) return own;
    if (lock_ < 0) return std::nullopt;
    for (int slot = 1; slot <= kSlots; ++slot) {
        const QString other = slotPath(base_, slot);
        if (other == path_ || !QFileInfo::exists(other)) continue;
        const int lock = takeLock(other);
        if (lock < 0) continue; // its copy of the program is still running
        std::optional<RecoveredWork> work = readCopy(other);
        // Taken over whole: from now on it is this copy's to keep, offer or remove.
        if (work &&
            ::rename(fileNameToBytes(other).constData(), fileNameToBytes(path_).constData()) != 0)
            work.reset();
        ::close(lock);
        if (work) return work;
    }
    return std::nullopt;
}

void RecoveryCopy::remove() {
    ::unlink(fileNameToBytes(path_).constData());
}

} // namespace rinova::files
