// What rinova-cli's exports do to the files they write and to standard output when things go
// wrong: full disks, read-only files, links, their own input, rows that are not there, and
// file names that are not UTF-8.
#include "tests/support/test_support.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using rinova::testing::sjis;

struct CliResult {
    int code = -1;
    QString out, err;
};

struct How {
    QString lang = QStringLiteral("C.UTF-8");
    QString stdoutFile;
    rlim_t sizeLimit = 0; // largest file the run may write, 0 for no limit
};

// Runs rinova-cli with arguments given as bytes (handed over by the shell, so that names need
// not be UTF-8), in `folder`.
CliResult cli(const QString& folder, const QList<QByteArray>& args, const How& how = {}) {
    QString script = QStringLiteral("exec \"$0\"");
    for (const QByteArray& a : args) {
        script += QStringLiteral(" \"$(printf '");
        for (const char c : a)
            script += QStringLiteral("\\%1").arg(uint(uchar(c)), 3, 8, QLatin1Char('0'));
        script += QStringLiteral("')\"");
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LANG"), how.lang);
    env.insert(QStringLiteral("LC_ALL"), how.lang);
    // Only the program's own messages: none of the toolkit's warnings about the environment.
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.warning=false"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    if (!how.stdoutFile.isEmpty()) p.setStandardOutputFile(how.stdoutFile);
    const rlim_t limit = how.sizeLimit;
    if (limit)
        p.setChildProcessModifier([limit] {
            const rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
            signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the run
        });
    p.start(QStringLiteral("sh"),
            {QStringLiteral("-c"), script, QStringLiteral(RINOVA_BINARY_DIR "/cli/rinova-cli")});
    CliResult r;
    if (!p.waitForFinished(120000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The entries of a folder as bytes.
QList<QByteArray> entries(const QByteArray& folder) {
    QList<QByteArray> out;
    if (DIR* d = opendir(folder.constData())) {
        while (const dirent* e = readdir(d))
            out << QByteArray(e->d_name);
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

QByteArray contents(const QByteArray& path) {
    QByteArray out;
    const int fd = open(path.constData(), O_RDONLY);
    if (fd < 0) return "(none)";
    char buf[65536];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, n);
    close(fd);
    return out;
}

void put(const QByteArray& path, const QByteArray& bytes, mode_t mode = 0644) {
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    ASSERT_GE(fd, 0) << path.constData();
    ASSERT_EQ(write(fd, bytes.constData(), bytes.size()), bytes.size());
    fchmod(fd, mode);
    close(fd);
}

mode_t modeOf(const QByteArray& path) {
    struct stat st {};
    return lstat(path.constData(), &st) == 0 ? st.st_mode : 0;
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        put(at("addresses.csv"),
            QByteArray::fromStdString(
                sjis(u"山田太郎,花子,123-4567,東京都架空区見本町1-2-3,,\r\n"
                     u"佐藤一郎,,5400008,大阪府架空市中央区試験町2丁目5-18,,\r\n"
                     u"高橋健,高橋由美,980-0011,宮城県架空市青葉区例題1-1-1,,\r\n")));
    }
    // The toolkit cannot remove names that are not UTF-8.
    void TearDown() override {
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir.path()});
    }
    QByteArray at(const QByteArray& name) const { return root + '/' + name; }

    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const QByteArray previous = "the previous export, to be kept";

    // One export per command, writing `target`.
    static QList<QList<QByteArray>> exports(const QByteArray& target) {
        return {{"pdf", "addresses.csv", "--settings", "none.ini", "-o", target},
                {"png", "addresses.csv", "--row", "1", "--width", "400", "--settings", "none.ini",
                 "-o", target}};
    }
};

// A write that fails for want of room leaves the previous file as it was and nothing beside it.
TEST_F(Export, FailedWriteKeepsThePreviousFileAndLeavesNothingBehind) {
    // A small file system of its own, full, when this machine lets the test mount one.
    const QByteArray full = at("full");
    mkdir(full.constData(), 0755);
    const bool mounted = mount("tmpfs", full.constData(), "tmpfs", 0, "size=1m") == 0;
    const struct Unmount {
        QByteArray path;
        bool mounted;
        ~Unmount() {
            if (mounted) umount(path.constData());
        }
    } unmount{full, mounted};
    if (mounted) {
        put(full + "/old.out", previous);
        const int fd = open((full + "/filler").constData(), O_WRONLY | O_CREAT, 0644);
        const QByteArray block(65536, 'x');
        while (write(fd, block.constData(), block.size()) > 0) {
        }
        close(fd);
    } else {
        std::fprintf(stderr, "no full disk of its own here (mount: %s): file size limit only\n",
                     std::strerror(errno));
    }
    struct Way {
        const char* name;
        QByteArray target;
        rlim_t sizeLimit;
    };
    std::vector<Way> ways = {{"file size limit", "old.out", 4096}};
    if (mounted) ways.push_back({"full disk", "full/old.out", 0});

    for (const Way& way : ways)
        for (const QList<QByteArray>& args : exports(way.target)) {
            SCOPED_TRACE(std::string(way.name) + " " + args[0].toStdString());
            const QByteArray target = at(way.target);
            put(target, previous);
            const QList<QByteArray> before = entries(target.left(target.lastIndexOf('/')));
            How how;
            how.sizeLimit = way.sizeLimit;
            const CliResult r = cli(QFile::decodeName(root), args, how);
            EXPECT_EQ(r.code, 1) << qPrintable(r.err);
            EXPECT_TRUE(r.err.startsWith(QString::fromUtf8(way.target) +
                                         QStringLiteral(" に書き込めません (")))
                << qPrintable(r.err);
            EXPECT_EQ(contents(target), previous);
            EXPECT_EQ(entries(target.left(target.lastIndexOf('/'))), before);
        }
}

// The export never writes over what it reads, nor over a read-only file (the superuser
// included), nor over something that is not a file; the target is then left untouched.
TEST_F(Export, RefusesItsOwnInputsReadOnlyFilesAndNonFiles) {
    put(at("none.ini"), "[SET]\r\n");
    put(at("readonly.out"), previous, 0444);
    ASSERT_EQ(symlink("addresses.csv", at("link.csv").constData()), 0);
    ASSERT_EQ(link(at("addresses.csv").constData(), at("second.csv").constData()), 0);
    mkdir(at("folder").constData(), 0755);
    const struct {
        QByteArray target;
        QString said;
    } cases[] = {
        {"addresses.csv", QStringLiteral("addresses.csv は読み込むファイルなので上書きできません")},
        {"link.csv", QStringLiteral("link.csv は読み込むファイルなので上書きできません")},
        {"second.csv", QStringLiteral("second.csv は読み込むファイルなので上書きできません")},
        {"none.ini", QStringLiteral("none.ini は読み込むファイルなので上書きできません")},
        {"readonly.out", QStringLiteral("readonly.out は読み取り専用なので書き込めません")},
        {"folder", QStringLiteral("folder はファイルではないので書き込めません")},
    };
    for (const auto& c : cases)
        for (const QList<QByteArray>& args : exports(c.target)) {
            SCOPED_TRACE(c.target.toStdString() + " " + args[0].toStdString());
            const QByteArray before = contents(at(c.target));
            const mode_t mode = modeOf(at(c.target));
            const QList<QByteArray> listing = entries(root);
            const CliResult r = cli(QFile::decodeName(root), args);
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.err, c.said + u'\n');
            EXPECT_EQ(contents(at(c.target)), before);
            EXPECT_EQ(modeOf(at(c.target)), mode);
            EXPECT_EQ(entries(root), listing);
        }
}

// Through a link the file it names is replaced, the link stays, and a replaced file keeps its
// permissions while a new one gets those of any new file.
TEST_F(Export, ReplacesThroughLinksAndKeepsPermissions) {
    for (const QList<QByteArray>& args : exports("out.link")) {
        SCOPED_TRACE(args[0].toStdString());
        put(at("real.out"), previous, 0640);
        unlink(at("out.link").constData());
        ASSERT_EQ(symlink("real.out", at("out.link").constData()), 0);
        ASSERT_EQ(cli(QFile::decodeName(root), args).code, 0);
        EXPECT_TRUE(S_ISLNK(modeOf(at("out.link"))));
        EXPECT_EQ(modeOf(at("real.out")), S_IFREG | 0640);
        const QByteArray made = contents(at("real.out"));
        EXPECT_TRUE(made.startsWith("%PDF") || made.startsWith("\x89PNG")) << made.left(8).data();
    }
    const mode_t mask = umask(0);
    umask(mask);
    for (const QList<QByteArray>& args : exports("new.out")) {
        unlink(at("new.out").constData());
        ASSERT_EQ(cli(QFile::decodeName(root), args).code, 0);
        EXPECT_EQ(modeOf(at("new.out")), S_IFREG | (0666 & ~mask)) << args[0].data();
    }
    EXPECT_EQ(entries(root),
              (QList<QByteArray>{".", "..", "addresses.csv", "new.out", "out.link", "real.out"}));
}

// Standard output that takes nothing is a failure too.
TEST_F(Export, FailedWriteToStandardOutputExitsOne) {
    How how;
    how.stdoutFile = QStringLiteral("/dev/full");
    for (const QList<QByteArray>& args : QList<QList<QByteArray>>{
             {"grid", "addresses.csv"},
             {"grid", "addresses.csv", "--stats"},
             {"card", "addresses.csv", "--row", "1", "--settings", "none.ini"}}) {
        const CliResult r = cli(QFile::decodeName(root), args, how);
        EXPECT_EQ(r.code, 1) << args.join(' ').data();
        EXPECT_EQ(r.err, QStringLiteral("標準出力に書き込めません (ディスクがいっぱいです)\n"))
            << args.join(' ').data();
    }
}

// A row past the end is refused by every command that takes rows, with the same words and exit
// code, and nothing is written.
TEST_F(Export, RowPastTheEndIsRefusedByEveryCommand) {
    for (const QList<QByteArray>& args : QList<QList<QByteArray>>{
             {"card", "addresses.csv", "--row", "4", "--settings", "none.ini"},
             {"png", "addresses.csv", "--row", "4", "--width", "100", "-o", "x.png"},
             {"pdf", "addresses.csv", "--rows", "2-4", "-o", "x.pdf"}}) {
        const CliResult r = cli(QFile::decodeName(root), args);
        EXPECT_EQ(r.code, 2) << args.join(' ').data();
        EXPECT_EQ(r.err, QStringLiteral("行 4 はありません (この住所録は 3 行です)\n"));
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(entries(root), (QList<QByteArray>{".", "..", "addresses.csv"}));
}

// Names are bytes: Shift-JIS names copied from another machine open and are written, whatever
// the locale, and messages show them readably.
TEST_F(Export, ShiftJisFileNamesOpenAndReadWellInMessages) {
    const auto name = [](const char16_t* text) { return QByteArray::fromStdString(sjis(text)); };
    rename(at("addresses.csv").constData(), at(name(u"住所.csv")).constData());
    mkdir(at(name(u"出力")).constData(), 0755);
    const QByteArray pdf = name(u"出力") + '/' + name(u"葉書.pdf");
    for (const QString& lang : {QStringLiteral("C.UTF-8"), QStringLiteral("C")}) {
        SCOPED_TRACE(lang.toStdString());
        How how;
        how.lang = lang;
        const QString folder = QFile::decodeName(root);
        CliResult r = cli(folder, {"grid", name(u"住所.csv"), "--stats"}, how);
        EXPECT_EQ(r.code, 0) << qPrintable(r.err);
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("{\"rows\":3,"))) << qPrintable(r.out);

        unlink(at(pdf).constData());
        r = cli(folder, {"pdf", name(u"住所.csv"), "--settings", "none.ini", "-o", pdf}, how);
        EXPECT_EQ(r.code, 0) << qPrintable(r.err);
        EXPECT_TRUE(contents(at(pdf)).startsWith("%PDF"));

        r = cli(folder, {"card", name(u"無い.csv"), "--row", "1"}, how);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.endsWith(QStringLiteral("/無い.csv は開けません\n")))
            << qPrintable(r.err);
    }
}

} // namespace
