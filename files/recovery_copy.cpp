#include "files/recovery_copy.h"

#include "files/file_name.h"
#include "files/file_read.h"
#include "files/replacement.h"

#include <QDir>
#include <QFileInfo>
#include <charconv>
#include <unistd.h>

namespace rinova::files {
namespace {

// The copy starts with this line, then the kind and the source's name bytes on a line each.
constexpr std::string_view kMagic = "RINOVA-RECOVERY 1\n";
constexpr std::uint64_t kLargestCopy = std::uint64_t(2) << 30;

} // namespace

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

std::optional<RecoveredWork> RecoveryCopy::read() const {
    FileContent file = readRegularFile(fileNameToBytes(path_), kLargestCopy);
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

void RecoveryCopy::remove() {
    ::unlink(fileNameToBytes(path_).constData());
}

} // namespace rinova::files
