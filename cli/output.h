// Where rinova-cli's results go: files that are replaced only once the new content is whole on
// disk, and standard output whose every write is checked.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <sys/stat.h>

namespace rinova::cli {

// An export's output file. The content is written beside the target under a temporary name;
// every write, the sync, the close and the rename are checked, and only then is the target
// replaced. On any failure the target is as it was, the temporary file is gone, and
// text::Failure says what happened.
class AtomicFile {
public:
    // Prepares to replace `target`; a link is followed to the file it finally names, which is
    // written and the link kept. Refuses a target that is one of `inputs` (the same file, also
    // through a link), that is read-only (whoever runs this), or that is not a plain file.
    AtomicFile(const QString& target, const QStringList& inputs);
    ~AtomicFile(); // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // A name under which a writer that wants one (the PDF printer) reaches the temporary file.
    QString writerPath() const;
    // The temporary file, open for reading and writing.
    int descriptor() const { return fd_; }

    void write(QByteArrayView data);
    // Syncs and closes the file, gives it the target's permissions (or those of a new file),
    // and renames it over the target.
    void commit();

    // Throws the failure to write the target, with what the system said about `error`, or why.
    [[noreturn]] void fail(int error);
    [[noreturn]] void fail(const QString& why);

private:
    QString target_;   // as the user named it, for messages
    QByteArray final_; // the file the target finally names
    QByteArray temp_;  // the temporary file beside it
    int fd_ = -1;
    bool existed_ = false;
    struct stat before_ {};
};

// Writes to standard output. Returns false, with the message printed, when the data could not
// be written; later writes are then skipped.
bool writeOut(QByteArrayView data);
// Flushes standard output: the exit code, 1 with the message printed when anything written
// did not arrive.
int finishOut();

} // namespace rinova::cli
