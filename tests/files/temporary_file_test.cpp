// Temporary files of ours: every valid target name has one, and the next one made in a folder
// sweeps away those whose writer is gone, and nothing else.
#include "files/temporary_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using rinova::files::TemporaryFile;

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

TEST(TemporaryFile, AnyNameHasOneAndTheNextSweepsOnlyThoseOfWritersGone) {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    // Up to the longest name the folder takes; a long UTF-8 label is cut between characters.
    const QByteArray kana = QStringLiteral("葉").toUtf8();
    for (const QByteArray& label :
         {QByteArray("cards.pdf"), QByteArray(244, 'x'), QByteArray(255, 'x'), kana.repeated(85)}) {
        SCOPED_TRACE(label.size());
        int error = 0;
        std::unique_ptr<TemporaryFile> file = TemporaryFile::create(folder, label, 0600, &error);
        ASSERT_TRUE(file) << std::strerror(error);
        const QByteArray name = file->path().mid(folder.size() + 1);
        EXPECT_LE(name.size(), 255);
        EXPECT_TRUE(name.startsWith('.' + label.left(8)));
        EXPECT_EQ(QString::fromUtf8(name).toUtf8(), name) << "cut inside a character";
        pid_t writer = 0;
        EXPECT_TRUE(TemporaryFile::isOurs(name, &writer));
        EXPECT_EQ(writer, ::getpid());
        file.reset();
        EXPECT_EQ(entries(dir.path()), QStringList());
    }

    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const QString dead = QStringLiteral(".a.pdf.%1-Ab3dE9.rinova-tmp").arg(gone);
    const QStringList kept = {
        QStringLiteral(".a.pdf.%1-Ab3dE9.rinova-tmp").arg(::getppid()), // its writer lives
        QStringLiteral("a.pdf.%1-Ab3dE9.rinova-tmp").arg(gone),         // not hidden
        QStringLiteral(".a.pdf.%1-Ab3dE.rinova-tmp").arg(gone),         // not our pattern
        QStringLiteral(".a.pdf.%1-Ab3dE9.tmp").arg(gone),
        QStringLiteral(".a.pdf.x%1-Ab3dE9.rinova-tmp").arg(gone),
        QStringLiteral("a.pdf"),
    };
    for (const QString& name : kept + QStringList{dead}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    int error = 0;
    std::unique_ptr<TemporaryFile> next = TemporaryFile::create(folder, "a.pdf", 0600, &error);
    ASSERT_TRUE(next);
    next.reset();
    QStringList left = kept;
    left.sort();
    EXPECT_EQ(entries(dir.path()), left);
}

} // namespace
