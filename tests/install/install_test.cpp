// Rinova as a user gets it: `cmake --install` into a prefix of the test's own and the Debian
// package made by cpack. The installed programs run from that prefix.
#include "tests/support/print_helpers.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kAppId = QStringLiteral("jp.rinova.Rinova");

struct Outcome {
    int exit = -1;
    QString out, err;
};

Outcome run(const QString& program, const QStringList& args,
            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool haveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

// The files an install puts under its prefix, and nothing else.
QSet<QString> expectedTree() {
    QSet<QString> files = {
        "bin/rinova",
        "bin/rinova-cli",
        "share/applications/" + kAppId + ".desktop",
        "share/metainfo/" + kAppId + ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/" + kAppId + ".svg",
        "share/man/man1/rinova.1.gz",
        "share/man/man1/rinova-cli.1.gz",
        "share/doc/rinova/copyright",
        "share/doc/rinova/changelog.gz",
        "share/doc/rinova/examples/addresses.csv",
        "share/lintian/overrides/rinova",
    };
    for (int size : {48, 64, 128, 256})
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
    return files;
}

QSet<QString> filesUnder(const QString& root) {
    QSet<QString> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    return files;
}

QString gunzip(const QString& path) {
    return run(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}).out;
}

// Key=Value lines of a desktop entry's main group.
QMap<QString, QString> desktopKeys(const QString& path) {
    QFile f(path);
    QMap<QString, QString> keys;
    if (!f.open(QIODevice::ReadOnly)) return keys;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n'))
        if (const qsizetype eq = line.indexOf(u'='); eq > 0 && !line.startsWith(u'#'))
            keys.insert(line.left(eq), line.mid(eq + 1));
    return keys;
}

class Installed : public ::testing::Test {
protected:
    static inline QTemporaryDir* prefix = nullptr;
    static inline Outcome install;

    static void SetUpTestSuite() {
        prefix = new QTemporaryDir;
        install = run(QStringLiteral("cmake"),
                      {QStringLiteral("--install"), QStringLiteral(RINOVA_BINARY_DIR),
                       QStringLiteral("--prefix"), prefix->path()});
    }
    static void TearDownTestSuite() {
        delete prefix;
        prefix = nullptr;
    }
    void SetUp() override { ASSERT_EQ(install.exit, 0) << qPrintable(install.out + install.err); }

    static QString path(const QString& relative) { return prefix->filePath(relative); }
    static QProcessEnvironment offscreen() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
};

TEST_F(Installed, TreeHoldsTheProgramsMenuEntryIconAndManuals) {
    EXPECT_EQ(filesUnder(prefix->path()), expectedTree());
    for (const char* program : {"bin/rinova", "bin/rinova-cli"})
        EXPECT_TRUE(QFileInfo(path(program)).isExecutable()) << program;
    for (int size : {48, 64, 128, 256}) {
        const QImage icon(
            path(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId)));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }

    // A file manager's 開く hands the chosen CSV file to the program; the entry names files
    // the install has.
    const QMap<QString, QString> entry =
        desktopKeys(path("share/applications/" + kAppId + ".desktop"));
    EXPECT_EQ(entry.value("Exec"), "rinova %f");
    EXPECT_TRUE(entry.value("MimeType").split(u';').contains("text/csv"));
    EXPECT_TRUE(QFile::exists(path("bin/" + entry.value("TryExec"))));
    EXPECT_TRUE(
        QFile::exists(path("share/icons/hicolor/scalable/apps/" + entry.value("Icon") + ".svg")));
}

TEST_F(Installed, ValidatorsAcceptTheMenuEntryMetadataAndManuals) {
    const QString entry = path("share/applications/" + kAppId + ".desktop");
    const QString metainfo = path("share/metainfo/" + kAppId + ".metainfo.xml");
    QProcessEnvironment utf8 = QProcessEnvironment::systemEnvironment();
    utf8.insert("LC_ALL", "C.UTF-8");
    struct Check {
        const char* tool;
        QStringList args;
        bool quiet; // any output is a complaint
    } checks[] = {
        {"desktop-file-validate", {entry}, true},
        {"appstreamcli", {"validate", "--no-net", metainfo}, false},
        {"appstreamcli", {"validate-tree", "--no-net", prefix->path()}, false},
        {"man", {"--warnings", "-E", "UTF-8", "-l", path("share/man/man1/rinova.1.gz")}, false},
        {"man", {"--warnings", "-E", "UTF-8", "-l", path("share/man/man1/rinova-cli.1.gz")}, false},
    };
    QStringList missing;
    for (const Check& c : checks) {
        if (!haveTool(c.tool)) {
            missing << c.tool;
            continue;
        }
        const Outcome r = run(c.tool, c.args, utf8);
        EXPECT_EQ(r.exit, 0) << c.tool << " "
                             << qPrintable(c.args.join(' ') + "\n" + r.out + r.err);
        EXPECT_EQ(c.quiet ? r.out + r.err : r.err, "") << c.tool << " " << qPrintable(c.args[0]);
    }
    if (!missing.isEmpty())
        GTEST_SKIP() << qPrintable(missing.join(", "))
                     << " not installed (scripts/install-deps.sh installs them)";
}

TEST_F(Installed, EveryPartTellsTheSameVersion) {
    const Outcome program = run(path("bin/rinova"), {"--version"});
    const QRegularExpressionMatch m =
        QRegularExpression("^rinova (\\d+\\.\\d+(\\.\\d+)?)\\n$").match(program.out);
    ASSERT_TRUE(m.hasMatch()) << qPrintable(program.out);
    const QString version = m.captured(1);
    EXPECT_EQ(run(path("bin/rinova-cli"), {"--version"}).out, "rinova-cli " + version + "\n");

    QFile metainfo(path("share/metainfo/" + kAppId + ".metainfo.xml"));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    const QString newest = QRegularExpression("<release version=\"([^\"]+)\"")
                               .match(QString::fromUtf8(metainfo.readAll()))
                               .captured(1);
    EXPECT_EQ(newest, version) << "the metadata's newest release";
    for (const char* page : {"share/man/man1/rinova.1.gz", "share/man/man1/rinova-cli.1.gz"})
        EXPECT_TRUE(gunzip(path(page)).contains("\"Rinova " + version + "\"")) << page;
    EXPECT_TRUE(
        gunzip(path("share/doc/rinova/changelog.gz")).startsWith("rinova (" + version + ")"))
        << "the changelog's newest entry";
}

TEST_F(Installed, CommandLinesAnswerAsProgramsUsuallyDo) {
    struct Case {
        const char* program;
        QStringList args;
        int exit;
        const char* out; // a text standard output holds, or "" for nothing at all
        const char* err; // the same for standard error
    } cases[] = {
        {"rinova", {"--help"}, 0, "使い方: rinova [FILE]", ""},
        {"rinova", {"-h"}, 0, "設定ファイル: ", ""},
        {"rinova", {"--version"}, 0, "rinova ", ""},
        {"rinova", {"--bogus"}, 2, "", "不明なオプションです: --bogus"},
        {"rinova", {"a.csv", "b.csv"}, 2, "", "使い方: rinova [FILE]"},
        {"rinova-cli", {"--help"}, 0, "コマンド:", ""},
        {"rinova-cli", {"pdf", "in.csv", "--help"}, 0, "pdf FILE [--rows A-B]", ""},
        {"rinova-cli", {"--version"}, 0, "rinova-cli ", ""},
        {"rinova-cli", {"--bogus"}, 2, "", "使い方: rinova-cli grid|card|png|pdf|print"},
        {"rinova-cli", {"grid", "--", "--help"}, 1, "", ""},
    };
    // As from cron, `su -` or a container: no runtime folder is named, and the toolkit's note
    // about that must not reach standard error.
    QProcessEnvironment env = offscreen();
    env.remove("XDG_RUNTIME_DIR");
    for (const Case& c : cases) {
        const QString what = QString::fromLatin1(c.program) + " " + c.args.join(' ');
        const Outcome r = run(path(QStringLiteral("bin/") + c.program), c.args, env);
        EXPECT_EQ(r.exit, c.exit) << qPrintable(what + "\n" + r.err);
        for (auto [stream, needle] : {std::pair{&r.out, c.out}, std::pair{&r.err, c.err}}) {
            const QString text = QString::fromUtf8(needle);
            if (text.isEmpty() && c.exit != 1)
                EXPECT_EQ(*stream, "") << qPrintable(what);
            else
                EXPECT_TRUE(stream->contains(text)) << qPrintable(what + ": " + *stream);
        }
    }

    // A runtime folder that others may read is worth a word, and the word stays.
    QTemporaryDir runtime;
    ASSERT_TRUE(QFile::setPermissions(
        runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadOther | QFileDevice::ExeOther));
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    EXPECT_TRUE(run(path("bin/rinova-cli"), {"--version"}, env)
                    .err.contains("wrong permissions on runtime directory"));
}

// Sets a folder's mode for the life of the object.
class FolderMode {
public:
    FolderMode(const QString& folder, mode_t mode) : name_(QFile::encodeName(folder)) {
        ::chmod(name_.constData(), mode);
    }
    ~FolderMode() { ::chmod(name_.constData(), 0755); }

private:
    QByteArray name_;
};

TEST_F(Installed, ChangedSettingsLandWhereTheUserCanWriteThem) {
    QTemporaryDir work;
    // A print scheduler of the test's own gives the program a default printer, so that start-up
    // shows no box and runs on to the settings window; the programs started below reach it.
    rinova::testing::PrivateScheduler printer(QStringLiteral("RinovaInstall"));
    RINOVA_REQUIRE_SCHEDULER(printer);

    const QString home = work.filePath("home");
    ASSERT_TRUE(QDir().mkpath(home));
    const QString beside = path("bin/rinova.ini");
    const QString dotConfig = home + "/.config/rinova/rinova.ini";
    // As root a folder without write bits can still be written: the program goes by the bits,
    // as the settings writer does.
    struct Case {
        const char* what;
        mode_t binMode;
        std::optional<QString> xdgConfigHome;
        QString expected;
    } cases[] = {
        {"installed, XDG_CONFIG_HOME set", 0555, work.filePath("xdg"),
         work.filePath("xdg") + "/rinova/rinova.ini"},
        {"installed, XDG_CONFIG_HOME unset", 0555, std::nullopt, dotConfig},
        {"installed, XDG_CONFIG_HOME not absolute", 0555, QString("xdg"), dotConfig},
        {"a copy in a writable folder", 0755, work.filePath("xdg"), beside},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& old : {beside, dotConfig, work.filePath("xdg/rinova/rinova.ini")})
            QFile::remove(old);
        // Start-up writes the offsets it shows back in plain decimal form.
        ASSERT_TRUE(QDir().mkpath(QFileInfo(c.expected).absolutePath()));
        QFile seed(c.expected);
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write("[SET]\r\nEdit1Value0=007\r\nEdit2Value0=+3\r\n");
        seed.close();

        const FolderMode mode(path("bin"), c.binMode);
        QProcessEnvironment env = offscreen();
        env.insert("HOME", home);
        env.remove("XDG_CONFIG_HOME");
        if (c.xdgConfigHome) env.insert("XDG_CONFIG_HOME", *c.xdgConfigHome);
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(home);
        program.start(path("bin/rinova"), {});
        ASSERT_TRUE(program.waitForStarted());

        const QByteArray written = "[SET]\r\nEdit1Value0=7\r\nEdit2Value0=3\r\n";
        QByteArray content;
        QElapsedTimer clock;
        clock.start();
        while (content != written && clock.elapsed() < 30000 &&
               program.state() == QProcess::Running) {
            QThread::msleep(100);
            QFile f(c.expected);
            content = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }
        program.kill();
        program.waitForFinished();
        EXPECT_EQ(content.toStdString(), written.toStdString())
            << qPrintable(QString::fromUtf8(program.readAllStandardError()));
        for (const QString& other : {beside, dotConfig, work.filePath("xdg/rinova/rinova.ini")})
            if (other != c.expected) {
                EXPECT_FALSE(QFile::exists(other)) << qPrintable(other);
            }

        // rinova-cli, given no settings file, reads the one the program wrote.
        const QString sample = QStringLiteral(RINOVA_SOURCE_DIR "/samples/addresses.csv");
        const auto card = [&](QStringList extra) {
            return run(path("bin/rinova-cli"), QStringList{"card", sample, "--row", "1"} + extra,
                       env)
                .out;
        };
        const QString found = card({});
        EXPECT_EQ(found, card({"--settings", c.expected}));
        EXPECT_NE(found, card({"--settings", work.filePath("none.ini")}));
        QFile::remove(c.expected);
    }
}

// The Debian package, made by cpack from the same install rules.
class DebianPackage : public ::testing::Test {
protected:
    static inline QTemporaryDir* out = nullptr;
    static inline Outcome made;
    static inline QString deb;

    static void SetUpTestSuite() {
        if (!haveTool("cpack") || !haveTool("dpkg-deb") || !haveTool("dpkg")) return;
        out = new QTemporaryDir;
        made = run("cpack", {"-G", "DEB", "--config", RINOVA_BINARY_DIR "/CPackConfig.cmake", "-B",
                             out->path()});
        const QStringList debs = QDir(out->path()).entryList({"rinova_*.deb"}, QDir::Files);
        if (debs.size() == 1) deb = out->filePath(debs.first());
    }
    static void TearDownTestSuite() {
        delete out;
        out = nullptr;
    }
    void SetUp() override {
        if (!out) GTEST_SKIP() << "cpack, dpkg or dpkg-deb is not installed";
        ASSERT_EQ(made.exit, 0) << qPrintable(made.out + made.err);
        ASSERT_FALSE(deb.isEmpty()) << qPrintable(made.out);
    }

    static QString field(const char* name) {
        return run("dpkg-deb", {"-f", deb, name}).out.trimmed();
    }
    // The package names of a Depends (or Recommends) field, versions and alternatives dropped.
    static QSet<QString> dependencies(const char* kind = "Depends") {
        QSet<QString> names;
        for (const QString& item : field(kind).split(QRegularExpression("[,|]")))
            names << item.trimmed().section(u' ', 0, 0);
        return names;
    }
    // The package that holds a file of this machine; /lib and /usr/lib are one folder.
    static QString ownerOf(QString file) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Outcome r = run("dpkg", {"-S", file});
            if (r.exit == 0) return r.out.section(u':', 0, 0).trimmed();
            file = file.startsWith("/usr/") ? file.mid(4) : "/usr" + file;
        }
        return {};
    }
};

TEST_F(DebianPackage, HoldsTheInstalledTreeUnderUsr) {
    EXPECT_EQ(field("Package"), "rinova");
    EXPECT_EQ(field("Architecture"), run("dpkg", {"--print-architecture"}).out.trimmed());
    EXPECT_EQ("rinova " + field("Version") + "\n",
              run(RINOVA_BINARY_DIR "/app/rinova", {"--version"}).out);

    QSet<QString> files;
    for (const QString& line : run("dpkg-deb", {"-c", deb}).out.split(u'\n'))
        if (line.startsWith(u'-')) files << line.section(u' ', -1).mid(QStringLiteral("./").size());
    QSet<QString> expected;
    for (const QString& f : expectedTree())
        expected << "usr/" + f;
    EXPECT_EQ(files, expected);
}

TEST_F(DebianPackage, PassesLintian) {
    if (!haveTool("lintian"))
        GTEST_SKIP() << "lintian not installed (scripts/install-deps.sh installs it)";
    // Errors and warnings, pedantic ones too; information tags are left to the reader.
    const Outcome r = run("lintian", {"--pedantic", "--fail-on", "error,warning,pedantic", deb});
    EXPECT_EQ(r.exit, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(r.out, "");
}

TEST_F(DebianPackage, DependsOnEverythingTheProgramsLinkAndUse) {
    if (!haveTool("readelf") || !haveTool("ldd")) GTEST_SKIP() << "readelf or ldd is missing";
    const QSet<QString> depends = dependencies();
    QTemporaryDir tree;
    ASSERT_EQ(run("dpkg-deb", {"-x", deb, tree.path()}).exit, 0);

    // Each library a program links, by the package this machine has it from.
    QMap<QString, QString> needed; // library -> the program that links it
    for (const char* program : {"usr/bin/rinova", "usr/bin/rinova-cli"}) {
        const QString binary = tree.filePath(program);
        QMap<QString, QString> found; // library -> path, as the loader resolves it
        for (const QString& line : run("ldd", {binary}).out.split(u'\n'))
            if (const QStringList parts = line.trimmed().split(u' ');
                parts.size() >= 3 && parts[1] == "=>")
                found.insert(parts[0], parts[2]);
        static const QRegularExpression library("\\(NEEDED\\).*\\[(.+)\\]");
        for (const QString& line : run("readelf", {"-d", binary}).out.split(u'\n'))
            if (const auto m = library.match(line); m.hasMatch()) {
                const QString owner = ownerOf(found.value(m.captured(1)));
                EXPECT_TRUE(!owner.isEmpty() && depends.contains(owner))
                    << program << " links " << qPrintable(m.captured(1)) << " from package '"
                    << qPrintable(owner) << "'";
                needed.insert(m.captured(1), program);
            }
    }
    EXPECT_TRUE(needed.contains("libQt6Widgets.so.6") && needed.contains("libharfbuzz.so.0"))
        << "the programs were read";

    // What they use without linking: Qt's Japanese texts, the spooler command, and each face
    // and fallback font that the dependency script installs for the cards.
    const QStringList used = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm",
        QStandardPaths::findExecutable("lp"),
    };
    for (const QString& file : used)
        EXPECT_TRUE(depends.contains(ownerOf(file))) << qPrintable(file);
    // The postal data is recommended (the programs check codes with it and work without it) and
    // the script installs it; where it is installed, the files are that package's.
    const QString postalData = QStringLiteral("skkdic-extra");
    EXPECT_TRUE(dependencies("Recommends").contains(postalData)) << qPrintable(field("Recommends"));
    const QString postalFile = QStringLiteral("/usr/share/skk/SKK-JISYO.zipcode");
    if (QFile::exists(postalFile)) {
        EXPECT_EQ(ownerOf(postalFile), postalData);
    }
    QFile deps(QStringLiteral(RINOVA_SOURCE_DIR "/scripts/install-deps.sh"));
    ASSERT_TRUE(deps.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(deps.readAll());
    EXPECT_TRUE(script.contains(
        QRegularExpression("^\\s*" + postalData + "$", QRegularExpression::MultilineOption)));
    auto fonts = QRegularExpression("\\bfonts-[a-z0-9-]+").globalMatch(script);
    int fontPackages = 0;
    while (fonts.hasNext()) {
        const QString font = fonts.next().captured();
        ++fontPackages;
        EXPECT_TRUE(depends.contains(font)) << qPrintable(font);
    }
    EXPECT_GE(fontPackages, 6);
}

// The one install script, as a user who is not root: nothing missing needs no root; without sudo
// it says what to do before trying anything; a sudo that refuses ends with the way out too. The
// packages are stubbed: dpkg-query answers as told, apt-get and sudo leave a mark when run.
TEST(InstallScript, AsAUserSaysWhatToDoBeforeTrying) {
    const bool root = geteuid() == 0;
    if (root && !haveTool("setpriv")) GTEST_SKIP() << "setpriv is missing to run as a user";
    struct Case {
        const char* name;
        bool installed, sudo;
        int exit;
        QStringList errHas;
        bool aptRun;
    };
    const Case cases[] = {
        {"nothing missing", true, false, 0, {}, false},
        {"no sudo", false, false, 1, {"has no sudo", "su -c '", "adduser"}, false},
        {"sudo refuses", false, true, 1, {"through sudo failed", "su -c '"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString bin = dir.filePath("bin");
        ASSERT_TRUE(QDir().mkpath(bin));
        for (const char* tool : {"bash", "sh", "id", "dirname", "basename", "grep", "cat", "env"})
            QFile::link(QStandardPaths::findExecutable(tool), bin + "/" + tool);
        const auto stub = [&](const QString& name, const QByteArray& body) {
            QFile f(bin + "/" + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n" + body + "\n");
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                             QFileDevice::ReadOther | QFileDevice::ExeOther);
        };
        stub("dpkg-query", c.installed ? "printf 'install ok installed'" : "exit 1");
        stub("apt-get", ": >\"$MARKS/apt-get\"");
        if (c.sudo) stub("sudo", ": >\"$MARKS/sudo\"; echo 'sudo: not allowed' >&2; exit 1");
        QFile::copy(QStringLiteral(RINOVA_SOURCE_DIR "/scripts/install-deps.sh"),
                    dir.filePath("install-deps.sh"));
        // The user (nobody, when the test runs as root) reads the script and leaves its marks.
        chmod(qPrintable(dir.path()), 0777);
        chmod(qPrintable(bin), 0755);
        QProcessEnvironment env;
        env.insert("PATH", bin);
        env.insert("MARKS", dir.path());
        const QString script = dir.filePath("install-deps.sh");
        const Outcome r =
            root ? run("setpriv",
                       {"--reuid=65534", "--regid=65534", "--clear-groups", bin + "/bash", script},
                       env)
                 : run(bin + "/bash", {script}, env);
        EXPECT_EQ(r.exit, c.exit) << qPrintable(r.err);
        for (const QString& text : c.errHas)
            EXPECT_TRUE(r.err.contains(text)) << qPrintable(r.err);
        if (c.errHas.isEmpty()) {
            EXPECT_EQ(r.out + r.err, QString());
        }
        EXPECT_EQ(QFile::exists(dir.filePath("apt-get")), c.aptRun);
        EXPECT_EQ(QFile::exists(dir.filePath("sudo")), c.sudo);
    }
}

} // namespace
