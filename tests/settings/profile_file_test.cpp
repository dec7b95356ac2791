// Profile file: what a read gives and what a write leaves in the file.
#include "settings/profile_file.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using rinova::settings::ProfileFile;
using rinova::testing::readBytes;
using rinova::testing::sjis;
using rinova::testing::writeBytes;
using rinova::text::Failure;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("card.ini");

    std::string readKey(const std::string& fileBytes, const char* section, const char* key) {
        writeBytes(path, fileBytes);
        return ProfileFile(path).read(section, key);
    }
    std::string afterWrite(const std::string& fileBytes, const char* key,
                           const std::string& value) {
        writeBytes(path, fileBytes);
        ProfileFile(path).write("SET", key, value);
        return readBytes(path);
    }
    QString failureOf(const char* key, const char* value) {
        try {
            ProfileFile(path).write("SET", key, value);
        } catch (const rinova::text::Failure& f) {
            return f.message();
        }
        return {};
    }
    QStringList folderEntries() {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_F(ProfileTest, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(readKey("[set]\r\nEDIT1VALUE0=12\r\n", "SET", "Edit1Value0"), "12");
    EXPECT_EQ(readKey("[Set]\nedit1value0=7\n", "SET", "Edit1Value0"), "7");
    EXPECT_EQ(readKey("  [ SET ]  \n  Edit1Value0  =  3  \n", "SET", "Edit1Value0"), "3");
}

TEST_F(ProfileTest, BlanksAndEnclosingQuotesAreDropped) {
    EXPECT_EQ(readKey("[SET]\nA= \t 12 mm \t\n", "SET", "A"), "12 mm");
    EXPECT_EQ(readKey("[SET]\nA=\" padded \"\n", "SET", "A"), " padded ");
    EXPECT_EQ(readKey("[SET]\nA='x'\n", "SET", "A"), "x");
    // Quotes that do not enclose the whole value stay.
    EXPECT_EQ(readKey("[SET]\nA=\"x'\n", "SET", "A"), "\"x'");
    EXPECT_EQ(readKey("[SET]\nA=\"a\" b\n", "SET", "A"), "\"a\" b");
    EXPECT_EQ(readKey("[SET]\nA=\"\n", "SET", "A"), "\"");
    EXPECT_EQ(readKey("[SET]\nA=\"\"\n", "SET", "A"), "");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGiveEmpty) {
    EXPECT_EQ(ProfileFile(dir.filePath("none.ini")).read("SET", "A"), "");
    EXPECT_EQ(readKey("[OTHER]\nA=1\n", "SET", "A"), "");
    EXPECT_EQ(readKey("[SET]\nB=1\n", "SET", "A"), "");
    EXPECT_EQ(readKey("A=1\n[SET]\n", "SET", "A"), "") << "a key before any section";
    EXPECT_EQ(readKey("[SET]\n;A=1\n", "SET", "A"), "") << "a comment";
    EXPECT_EQ(readKey("", "SET", "A"), "");
}

TEST_F(ProfileTest, ReadsTheFirstMatchAndOnlyInsideItsSection) {
    EXPECT_EQ(readKey("[SET]\nA=1\nA=2\n", "SET", "A"), "1");
    EXPECT_EQ(readKey("[X]\nA=x\n[SET]\nA=s\n[Y]\nA=y\n", "SET", "A"), "s");
    EXPECT_EQ(readKey("[SET]\nB=1\n[X]\nA=x\n[set]\nA=s\n", "SET", "A"), "s");
}

TEST_F(ProfileTest, LineEndsOfEveryKindAndAUtf8Mark) {
    EXPECT_EQ(readKey("[SET]\rA=1\rB=2", "SET", "B"), "2");
    EXPECT_EQ(readKey("[SET]\r\nA=1\r\n", "SET", "A"), "1");
    EXPECT_EQ(readKey("\xEF\xBB\xBF[SET]\nA=1\n", "SET", "A"), "1");
}

TEST_F(ProfileTest, ShiftJisValuesComeBackAsBytes) {
    const std::string value = sjis(u"東京都表ソ区１－２");
    EXPECT_EQ(readKey("[SET]\r\nSashiAdd1=" + value + "\r\n", "SET", "SashiAdd1"), value);
    EXPECT_EQ(readKey(std::string("[SET]\nA=ab\0cd\n", 14), "SET", "A"), "ab");
}

TEST_F(ProfileTest, AtMost2047BytesAreRead) {
    const std::string ascii(3000, 'a');
    EXPECT_EQ(readKey("[SET]\nA=" + ascii + "\n", "SET", "A"), std::string(2047, 'a'));
    // 2046 bytes, then a double-byte character across the limit: it is left out whole.
    const std::string kanji = sjis(u"漢");
    const std::string value = std::string(2046, 'b') + kanji + "tail";
    EXPECT_EQ(readKey("[SET]\nA=" + value + "\n", "SET", "A"), std::string(2046, 'b'));
    const std::string exact = std::string(2045, 'c') + kanji + "x";
    EXPECT_EQ(readKey("[SET]\nA=" + exact + "\n", "SET", "A"), std::string(2045, 'c') + kanji);
}

TEST_F(ProfileTest, WriteCreatesFileAndSection) {
    ProfileFile(path).write("SET", "Edit1Value0", "12");
    EXPECT_EQ(readBytes(path), "[SET]\r\nEdit1Value0=12\r\n");
    EXPECT_EQ(afterWrite("[OTHER]\r\nX=1\r\n", "A", "5"), "[OTHER]\r\nX=1\r\n[SET]\r\nA=5\r\n");
    EXPECT_EQ(afterWrite("[OTHER]\r\nX=1", "A", "5"), "[OTHER]\r\nX=1\r\n[SET]\r\nA=5\r\n");
}

TEST_F(ProfileTest, WriteReplacesTheFirstMatchKeepingEverythingElse) {
    const std::string before =
        "; own comment \r\n[X]\r\nA=x\r\n\r\n[set]\r\n  a = old \r\nB=\xE9\x5C\r\n"
        "A=second\r\njunk line\r\n[Y]\r\nA=y";
    const std::string after =
        "; own comment \r\n[X]\r\nA=x\r\n\r\n[set]\r\n  a=new\r\nB=\xE9\x5C\r\n"
        "A=second\r\njunk line\r\n[Y]\r\nA=y";
    EXPECT_EQ(afterWrite(before, "A", "new"), after);
    EXPECT_EQ(ProfileFile(path).read("SET", "A"), "new");
}

TEST_F(ProfileTest, WriteAppendsAMissingKeyAtTheEndOfItsSection) {
    EXPECT_EQ(afterWrite("[SET]\r\nA=1\r\n\r\n[Z]\r\nB=2\r\n", "C", "3"),
              "[SET]\r\nA=1\r\nC=3\r\n\r\n[Z]\r\nB=2\r\n");
    EXPECT_EQ(afterWrite("[SET]", "C", "3"), "[SET]\r\nC=3\r\n");
    EXPECT_EQ(afterWrite("[SET]\r\nA=1", "C", "3"), "[SET]\r\nA=1\r\nC=3\r\n");
}

TEST_F(ProfileTest, NewLinesFollowTheFileLineEnds) {
    const struct {
        const char *before, *key, *after;
    } cases[] = {
        {"[SET]\nA=1\n", "C", "[SET]\nA=1\nC=3\n"},
        {"[X]\nA=1\n", "C", "[X]\nA=1\n[SET]\nC=3\n"},
        {"[SET]\nA=1\r\n", "A", "[SET]\nA=3\r\n"},
        // Lines that end in CR: a new line before an empty LF line must not join it into one
        // CR LF, which would take the empty line away.
        {"x\r[SET]\n\n[B]\n", "C", "x\r[SET]\nC=3\r\n\n[B]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(afterWrite(c.before, c.key, "3"), c.after);
        EXPECT_EQ(ProfileFile(path).read("SET", c.key), "3");
    }
}

TEST_F(ProfileTest, CrAndLfInAValueCannotAddKeys) {
    EXPECT_EQ(afterWrite("[SET]\r\n", "SashiAdd1", "a\r\n[X]\nFontName=9\rz"),
              "[SET]\r\nSashiAdd1=a  [X] FontName=9 z\r\n");
    EXPECT_EQ(ProfileFile(path).read("SET", "FontName"), "");
    EXPECT_EQ(afterWrite("", "A", std::string("ab\0cd", 5)), "[SET]\r\nA=ab\r\n");
}

TEST_F(ProfileTest, ValuesRoundTripAsBytes) {
    const std::string value = sjis(u"ｶﾅ漢字表ソ") + "\x81"; // ends with a lone lead byte
    ProfileFile(path).write("SET", "SashiName1", value);
    EXPECT_EQ(ProfileFile(path).read("SET", "SashiName1"), value);
}

TEST_F(ProfileTest, AtomicReplaceLeavesNoTemporaryFileAndKeepsPermissions) {
    writeBytes(path, "[SET]\r\nA=1\r\n");
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ProfileFile(path).write("SET", "A", "2");
    ProfileFile(path).write("SET", "B", "3");
    EXPECT_EQ(folderEntries(), QStringList{"card.ini"});
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(readBytes(path), "[SET]\r\nA=2\r\nB=3\r\n");
}

TEST_F(ProfileTest, WritesThroughASymbolicLinkToItsTarget) {
    const QString real = dir.filePath("real.ini");
    writeBytes(real, "[SET]\r\nA=1\r\n");
    ASSERT_TRUE(QFile::link(real, path));
    ProfileFile(path).write("SET", "A", "2");
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(readBytes(real), "[SET]\r\nA=2\r\n");
}

TEST_F(ProfileTest, ReadOnlyFileIsNeverModifiedEvenForRoot) {
    const std::string before = "[SET]\r\nA=1\r\n";
    writeBytes(path, before);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    const QString expected = path + QStringLiteral(" に書き込めません");
    EXPECT_EQ(failureOf("A", "2"), expected);
    EXPECT_EQ(failureOf("B", "2"), expected);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(folderEntries(), QStringList{"card.ini"});
}

TEST_F(ProfileTest, FolderWithoutWriteBitTakesNoNewFileEvenForRoot) {
    const QString folder = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    path = folder + "/card.ini";
    writeBytes(path, "[SET]\r\nA=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(failureOf("A", "2"), QString()) << "the file itself is writable";
    path = folder + "/new.ini";
    EXPECT_EQ(failureOf("A", "2"), path + QStringLiteral(" に書き込めません"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readBytes(folder + "/card.ini"), "[SET]\r\nA=2\r\n");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"card.ini"});
}

TEST_F(ProfileTest, MissingFolderOrAFolderInPlaceOfTheFileFails) {
    path = dir.filePath("absent/card.ini");
    EXPECT_EQ(failureOf("A", "1"), path + QStringLiteral(" に書き込めません"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("absent")));
    path = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(failureOf("A", "1"), path + QStringLiteral(" に書き込めません"));
}

TEST_F(ProfileTest, FailureNamesTheFullPath) {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    path = "absent/card.ini";
    const QString message = failureOf("A", "1");
    QDir::setCurrent(previous);
    EXPECT_EQ(message, dir.filePath("absent/card.ini") + QStringLiteral(" に書き込めません"));
}

} // namespace
