// The one way the program replaces a file: the new content is written beside the file and
// renamed over it only once it is whole on disk, so the file is either as it was or all new.
#pragma once

#include "files/temporary_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>
#include <sys/stat.h>

namespace rinova::files {

class Replacement {
public:
    // Prepares to replace `target` (the name's bytes; `shown` names it in messages). A chain of
    // links is followed to the file it ends at, which is written while the links stay links.
    // Refuses, with text::Failure, a target that is not a regular file, that is one of `inputs`
    // (the same file by any name), that is read-only (whoever runs this, the superuser too), or
    // that the system does not let us write.
    Replacement(const QByteArray& target, const QString& shown,
                const QList<QByteArray>& inputs = {});
    ~Replacement(); // a replacement not committed leaves the file as it was and nothing behind
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // The file at the end of the link chain, and its folder.
    const QByteArray& file() const { return file_; }
    QByteArray folder() const;

    // Makes the file the new content goes to (done by the calls below when needed): beside the
    // target, or, where the folder takes no new file but the target may be written, an unnamed
    // file that is copied over the target in place at the end.
    void open();
    int descriptor();
    // A name under which a writer that wants one (the PDF printer) reaches that file.
    QString writerPath();
    void write(QByteArrayView data);
    // Syncs the content, gives it the target's permissions and owner (the owner where the
    // system lets us) or those of any new file, renames it over the target and syncs the folder.
    // In place: reserves the room first, so that a full disk fails before a byte has changed.
    void commit();

    // Throws the failure to write the target, with the system's reason, or with why.
    [[noreturn]] void fail(int error);
    [[noreturn]] void fail(const QString& why);

private:
    void commitInPlace();

    QString shown_;
    QByteArray file_;
    std::unique_ptr<TemporaryFile> beside_;
    int unnamed_ = -1; // the content of an in-place write
    bool existed_ = false;
    struct stat before_ {};
};

} // namespace rinova::files
