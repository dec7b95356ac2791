// Where the settings file lives: beside the executable for a copy in a folder of its own, in the
// user's configuration folder when the executable's folder cannot be written; and that file is
// made with its folder on the first write. Where the open dialog starts, by the same rule.
#include "files/file_name.h"
#include "settings/settings_location.h"
#include "settings/settings_model.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace rinova::settings;
using rinova::testing::readBytes;
using rinova::testing::writeBytes;

namespace {

// Sets an environment variable (or removes it) for the life of the object.
class EnvValue {
public:
    EnvValue(const char* name, std::optional<QByteArray> value)
        : name_(name),
          old_(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                               : std::nullopt) {
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~EnvValue() { old_ ? qputenv(name_, *old_) : qunsetenv(name_); }

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

class Location : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString bin = dir.filePath("bin");
    QString config = dir.filePath("home/.config");
    QString program = bin + "/rinova";

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(bin)); }
    void TearDown() override { setBinMode(0755); }
    void setBinMode(mode_t mode) {
        ASSERT_EQ(::chmod(QFile::encodeName(bin).constData(), mode), 0);
    }
};

TEST_F(Location, BesideTheProgramWhenItIsThereOrCanBeMadeElseInTheUsersFolder) {
    const QString beside = bin + "/rinova.ini";
    const QString inConfig = config + "/rinova/rinova.ini";
    struct Case {
        const char* what;
        mode_t binMode;
        bool besideExists;
        QString expected;
    } cases[] = {
        {"a copy in a writable folder, first run", 0755, false, beside},
        {"a copy in a writable folder with its file", 0755, true, beside},
        {"a read-only folder that holds the file", 0555, true, beside},
        {"an installed program", 0555, false, inConfig},
        {"a folder with no write bit for anyone", 0500, false, inConfig},
    };
    for (const Case& c : cases) {
        setBinMode(0755);
        QFile::remove(beside);
        if (c.besideExists) writeBytes(beside, "[SET]\r\n");
        setBinMode(c.binMode);
        EXPECT_EQ(settingsFileFor(program, config).toStdString(), c.expected.toStdString())
            << c.what;
    }
}

TEST_F(Location, OpenStartsBesideACopyElseInTheLastListsFolderElseAtHome) {
    const QString home = dir.filePath("home");
    const QString lists = dir.filePath("lists");
    ASSERT_TRUE(QDir().mkpath(lists));
    // A folder named in Shift-JIS (住所録), which the dialog cannot take by name.
    const QString sjisFolder = rinova::files::fileNameFromBytes(
        QFile::encodeName(dir.path()) + QByteArray("/\x8f\x5a\x8f\x8a\x98\x5e"));
    ASSERT_EQ(::mkdir(rinova::files::fileNameToBytes(sjisFolder).constData(), 0755), 0);
    struct Case {
        const char* what;
        mode_t binMode;
        QString lastFile;
        QString expected;
    } cases[] = {
        {"a copy, with a last list elsewhere", 0755, lists + "/a.csv", bin},
        {"installed, the last list's folder", 0555, lists + "/a.csv", lists},
        {"installed, the list gone but its folder there", 0555, lists + "/gone.csv", lists},
        {"installed, the folder gone", 0555, dir.filePath("gone/a.csv"), home},
        {"installed, no last list", 0555, "", home},
        {"installed, a relative name", 0555, "a.csv", home},
        {"installed, a folder the dialog cannot name", 0555, sjisFolder + "/a.csv", home},
    };
    for (const Case& c : cases) {
        setBinMode(c.binMode);
        EXPECT_EQ(openDialogFolder(program, c.lastFile, config, home).toStdString(),
                  c.expected.toStdString())
            << c.what;
    }
}

TEST_F(Location, TheLastListKeepsItsNameBytesAndNoLineBreak) {
    const QString ini = dir.filePath("rinova.ini");
    const QString sjisName = rinova::files::fileNameFromBytes("/home/kana/\x8f\x5a\x8f\x8a.csv");
    SettingsModel model(ini);
    model.load();
    EXPECT_EQ(model.lastAddressFile(), "");
    model.setLastAddressFile(sjisName);
    model.setLastAddressFile("/tmp/two\nlines.csv");
    model.setLastAddressFile(QString("/tmp/nul") + QChar(0) + ".csv");
    EXPECT_EQ(readBytes(ini), "[SET]\r\nLastFile=/home/kana/\x8f\x5a\x8f\x8a.csv\r\n");
    SettingsModel again(ini);
    again.load();
    EXPECT_EQ(again.lastAddressFile(), sjisName);
}

TEST(UserConfigFolder, XdgConfigHomeWhenAbsoluteElseDotConfigInHome) {
    const EnvValue home("HOME", QByteArray("/home/kana"));
    struct Case {
        std::optional<QByteArray> xdg;
        const char* expected;
    } cases[] = {
        {QByteArray("/srv/conf/"), "/srv/conf"},
        {std::nullopt, "/home/kana/.config"},
        {QByteArray(""), "/home/kana/.config"},
        {QByteArray("relative/conf"), "/home/kana/.config"},
    };
    for (const Case& c : cases) {
        const EnvValue xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(userConfigFolder(), QString::fromLatin1(c.expected))
            << (c.xdg ? c.xdg->constData() : "(unset)");
    }
}

TEST_F(Location, TheUsersFileIsMadeWithItsFolderOnTheFirstWriteOnly) {
    setBinMode(0555);
    const QString path = settingsFileFor(program, config);
    ASSERT_EQ(path, config + "/rinova/rinova.ini");

    // Reading finds nothing and makes nothing.
    SettingsModel model(path);
    EXPECT_TRUE(model.loadWithoutWriting().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("home")));

    model.storeOffset(Names, Horizontal, -12);
    EXPECT_EQ(readBytes(path), "[SET]\r\nEdit1Value2=-12\r\n");
    for (const QString& made : {config, config + "/rinova"}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &st), 0) << qPrintable(made);
        EXPECT_EQ(st.st_mode & 077, 0u) << qPrintable(made) << " is the user's alone";
    }
    EXPECT_FALSE(QFileInfo::exists(bin + "/rinova.ini"));

    // The next start reads it back.
    SettingsModel again(settingsFileFor(program, config));
    again.load();
    EXPECT_EQ(again.layout().NameX, 580 - 12);
}

} // namespace
