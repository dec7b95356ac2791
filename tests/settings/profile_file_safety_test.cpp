// The settings file against what else may stand at its path or write it at the same time: odd
// kinds of file, other processes, unwritable folders, chains of links.
#include "files/folder_lock.h"
#include "settings/profile_file.h"
#include "settings/settings_model.h"
#include "tests/support/odd_files.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rinova::testing {
namespace {

using files::FolderLock;
using settings::ProfileFile;

struct Snapshot {
    mode_t mode = 0;
    off_t size = 0;
    ino_t inode = 0;
    QString linkTarget;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QString& path) {
    struct stat st {};
    Snapshot s;
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0)
        s = {st.st_mode, st.st_size, st.st_ino, QFileInfo(path).symLinkTarget()};
    return s;
}

QString writeFailure(const QString& path, const char* key = "A") {
    try {
        ProfileFile(path).write("SET", key, "1");
    } catch (const text::Failure& f) {
        return f.message();
    }
    return {};
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

struct ProfileSafety : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath("rinova.ini");
};

TEST_F(ProfileSafety, FilesThatCannotBeSettingsAreNamedReadAsDefaultsAndNeverWritten) {
    const settings::CardLayout defaults = settings::defaultLayout();
    const QString notRegular =
        QStringLiteral(" は通常のファイルではないため、設定ファイルとして使えません");
    const QString tooLarge =
        QStringLiteral(" は 1 MiB を超えているため、設定ファイルとして使えません");
    struct Case {
        const char* name;
        std::function<bool(const QString&)> make;
        QString reason;
    };
    const Case cases[] = {
        {"named pipe", makeFifo, notRegular},
        {"link to /dev/zero", [](const QString& p) { return QFile::link("/dev/zero", p); },
         notRegular},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }, notRegular},
        {"2 GB sparse file", [](const QString& p) { return makeSparse(p, 2LL << 30); }, tooLarge},
        {"random bytes one past 1 MiB",
         [](const QString& p) {
             writeBytes(p, "[SET]\r\nEdit1Value0=5\r\n" + randomBytes(1 << 20, 7));
             return QFileInfo(p).size() == (1 << 20) + 22;
         },
         tooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file =
            dir.filePath(QString::fromLatin1(c.name).replace(' ', '_').replace('/', '_'));
        ASSERT_TRUE(c.make(file));
        const Snapshot before = snapshot(file);
        const std::string bytesBefore = S_ISREG(before.mode) ? readBytes(file) : std::string();
        const QString named = QDir::toNativeSeparators(file) + c.reason;

        QElapsedTimer clock;
        clock.start();
        {
            PipeWatch watch(file, std::chrono::seconds(3));
            settings::SettingsModel model(file);
            const QStringList errors = model.loadWithoutWriting();
            EXPECT_FALSE(watch.fired()) << "the load blocked on the file";
            EXPECT_EQ(errors.join('\n').toStdString(), named.toStdString());
            EXPECT_EQ(model.layout(), defaults);
            EXPECT_EQ(model.raw()[settings::Key::FontName], "0");
        }
        EXPECT_LT(clock.elapsed(), 2000);

        // rinova-cli reads the settings the same way and draws the card on the defaults.
        {
            PipeWatch watch(file, std::chrono::seconds(5));
            const CliRun run = runCli(
                {QStringLiteral("card"), QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv"),
                 QStringLiteral("--row"), QStringLiteral("1"), QStringLiteral("--settings"), file});
            EXPECT_FALSE(watch.fired()) << "rinova-cli blocked on the file";
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_TRUE(QString::fromUtf8(run.err).contains(named)) << run.err.toStdString();
            EXPECT_TRUE(run.out.contains("\"x\":930")) << "address line 1 at its default place";
        }

        EXPECT_EQ(writeFailure(file), QDir::toNativeSeparators(file) + u" に書き込めません"_qs);
        EXPECT_EQ(snapshot(file), before);
        if (S_ISREG(before.mode) && before.size < (2 << 20)) {
            EXPECT_EQ(readBytes(file), bytesBefore);
        }
    }
}

TEST_F(ProfileSafety, TwoProcessesWritingAtOnceLoseNoKey) {
    writeBytes(path, "[SET]\r\nKept=1\r\n");
    constexpr int kKeys = 200;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            // Both start when the test closes its end of the pipe.
            ::close(start[1]);
            char c;
            (void)!::read(start[0], &c, 1);
            int failed = 0;
            for (int i = 0; i < kKeys; ++i) {
                try {
                    ProfileFile(path).write("SET",
                                            "W" + std::to_string(w) + "K" + std::to_string(i),
                                            std::to_string(i));
                } catch (...) {
                    ++failed;
                }
            }
            ::_exit(failed == 0 ? 0 : 1);
        }
    }
    ::close(start[0]);
    QElapsedTimer clock;
    clock.start();
    ::close(start[1]);
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
    }
    std::printf("two writers, %d keys each: %lld ms\n", kKeys, clock.elapsed());

    const ProfileFile file(path);
    int kept = 0;
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kKeys; ++i)
            kept += file.read("SET", "W" + std::to_string(w) + "K" + std::to_string(i)) ==
                    std::to_string(i);
    EXPECT_EQ(kept, 2 * kKeys);
    EXPECT_EQ(file.read("SET", "Kept"), "1");
    EXPECT_EQ(entries(dir.path()), QStringList{"rinova.ini"});
}

TEST_F(ProfileSafety, AWriterThatHoldsTheLockStallsOthersOnlyAMoment) {
    writeBytes(path, "[SET]\r\n");
    // Writers take turns on the file's folder.
    const int held = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    auto timedWrite = [&](const char* value) {
        QElapsedTimer clock;
        clock.start();
        ProfileFile(path).write("SET", "A", value);
        return clock.elapsed();
    };
    // The first writer waits for the holder, but not for ever; while the holder keeps the lock,
    // the next ones do not wait again.
    const qint64 first = timedWrite("2");
    const qint64 next = timedWrite("3");
    ::close(held);
    EXPECT_GE(first, FolderLock::kWaitMs - 100);
    EXPECT_LT(first, FolderLock::kWaitMs + 1500);
    EXPECT_LT(next, 300);
    EXPECT_EQ(ProfileFile(path).read("SET", "A"), "3");
}

TEST_F(ProfileSafety, WritesReachTheFileWhereItLivesAndLeaveNothingBehind) {
    // A writable file in a folder that takes no new file: written in place, the same file.
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString inLocked = locked + "/rinova.ini";
    writeBytes(inLocked, "[SET]\r\nA=1\r\n");
    const ino_t inode = snapshot(inLocked).inode;
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    ProfileFile(inLocked).write("SET", "B", "22");
    ProfileFile(inLocked).write("SET", "A", "");
    EXPECT_EQ(readBytes(inLocked), "[SET]\r\nA=\r\nB=22\r\n");
    EXPECT_EQ(snapshot(inLocked).inode, inode);
    EXPECT_EQ(entries(locked), QStringList{"rinova.ini"});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A chain of links, one absolute and one relative: the file at its end is written and the
    // links stay links.
    const QString real = dir.filePath("real.ini"), middle = dir.filePath("middle.ini");
    writeBytes(real, "[SET]\r\nA=1\r\n");
    ASSERT_TRUE(QFile::link(real, middle));
    ASSERT_EQ(::symlink("middle.ini", QFile::encodeName(path).constData()), 0);
    ProfileFile(path).write("SET", "A", "2");
    EXPECT_EQ(readBytes(real), "[SET]\r\nA=2\r\n");
    EXPECT_EQ(QFileInfo(middle).symLinkTarget(), real);
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), middle);
}

} // namespace
} // namespace rinova::testing
