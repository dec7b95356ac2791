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

class RecoveryCopy {
public:
    explicit RecoveryCopy(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // Replaces the copy; throws text::Failure naming the copy when it cannot be written.
    void keep(const QString& source, int kind, QByteArrayView content);
    // The work kept; nothing when there is none or the file is no copy this program wrote.
    std::optional<RecoveredWork> read() const;
    void remove();

private:
    QString path_;
};

} // namespace rinova::files
