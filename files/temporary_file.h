// Temporary files of ours. Each is named so that it can be told for ours and whose it is
// (".LABEL.PID-XXXXXX.rinova-tmp"), removed when a signal that the process can catch ends it,
// and, should the process die without a chance to remove it, swept away by the next temporary
// file made in that folder once its writer is gone.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <sys/types.h>

namespace rinova::files {

class TemporaryFile {
public:
    // A new file in `folder`, open for reading and writing, with `mode` (less the umask). The
    // label is shortened where the whole name would be longer than the folder takes, so that any
    // valid name can have its temporary file. Nothing, with errno in *error, when the folder
    // takes no new file.
    static std::unique_ptr<TemporaryFile> create(const QByteArray& folder, const QByteArray& label,
                                                 mode_t mode, int* error);
    ~TemporaryFile(); // closes and removes the file unless kept
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const QByteArray& path() const { return path_; }
    // A name under which the toolkit reaches the file: its path, or its open descriptor where the
    // path is not one the toolkit can spell.
    QString toolkitPath() const;
    int descriptor() const { return fd_; }
    // Closes the descriptor; false, with errno, when the close reported a failed write.
    bool close();
    // The file has been renamed into place: it is no longer ours to remove.
    void keep();

    // Whether `name` is one of ours, and which process made it.
    static bool isOurs(const QByteArray& name, pid_t* writer = nullptr);
    // Removes the temporary files of ours in `folder` whose writer has gone.
    static void sweep(const QByteArray& folder);

private:
    TemporaryFile(QByteArray path, int fd, int slot);
    QByteArray path_;
    int fd_ = -1;
    int slot_ = -1;
};

} // namespace rinova::files
