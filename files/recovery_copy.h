// A copy of unsaved work, so that a program killed while the user edits loses nothing: replaced
// whole at each change (Replacement), removed once the work is saved or given up, and offered
// at the next start.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace rinova::files {

struct RecoveredWork {
    QString source; // the file the work came from; empty for a new list
    int kind = 0;   // what the content is, as the writer numbered it
    QByteArray content;
};

// Each running copy of the program keeps its own: the first of `path`, `path`.2, `path`.3 …
// that no running copy holds (a lock on the copy's name with ".lock", held while it lives), so
// two copies at once neither overwrite nor take each other's work.
class RecoveryCopy {
public:
    explicit RecoveryCopy(QString path);
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;
    const QString& path() const { return path_; }

    // Replaces the copy; throws text::Failure naming the copy when it cannot be written.
    void keep(const QString& source, int kind, QByteArrayView content);
    // The work kept; nothing when there is none or the file is no copy this program wrote.
    // Without work of its own, work that a copy of the program no longer running left is taken
    // over (one at a time, so that each is offered in turn).
    std::optional<RecoveredWork> read();
    void remove();

private:
    QString base_, path_;
    int lock_ = -1;
};

} // namespace rinova::files
