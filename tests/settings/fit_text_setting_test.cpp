// The choices kept at once rather than when the settings window closes: fitting long texts
// ("FitText") and how the digits of addresses stand ("Numbers"); read at start-up, written when
// they change.
#include "settings/settings_model.h"
#include "tests/support/test_support.h"
#include "text/failure.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using rinova::settings::SettingsModel;
using rinova::testing::readBytes;
using rinova::testing::writeBytes;

TEST(FitTextSetting, ReadAtStartUpWithDefaultsForAnythingElseAndWrittenWhenChanged) {
    const struct {
        const char* lines;
        bool fit;
        int numbers;
    } read[] = {
        {"", true, 0},
        {"FitText=1\r\nNumbers=1\r\n", true, 1},
        {"FitText=abc\r\nNumbers=3\r\n", true, 0},
        {"FitText=0\r\nNumbers=2\r\n", false, 2},
        {"fittext = 0 \r\nnumbers = 2 \r\n", false, 2},
        {"Numbers=-1\r\n", true, 0},
        {"Numbers=02\r\n", true, 0},
        // A stored value that stops the load does not stop these.
        {"Edit3Value2=abc\r\nFitText=0\r\nNumbers=1\r\n", false, 1},
    };
    QTemporaryDir dir;
    const QString ini = dir.filePath("rinova.ini");
    for (const auto& r : read) {
        writeBytes(ini, std::string("[SET]\r\n") + r.lines);
        SettingsModel model(ini);
        try {
            model.load();
        } catch (const rinova::text::Failure&) {
        }
        EXPECT_EQ(model.fitText(), r.fit) << r.lines;
        EXPECT_EQ(model.numberStyle(), r.numbers) << r.lines;
    }

    writeBytes(ini, "[SET]\r\nEdit1Value0=12\r\n");
    SettingsModel model(ini);
    model.load();
    QSignalSpy changed(&model, &SettingsModel::changed);
    model.setFitText(false);
    EXPECT_EQ(readBytes(ini), "[SET]\r\nEdit1Value0=12\r\nFitText=0\r\n");
    model.setFitText(true);
    model.setNumberStyle(2);
    model.setNumberStyle(7); // no such style: nothing happens
    EXPECT_EQ(readBytes(ini), "[SET]\r\nEdit1Value0=12\r\nFitText=1\r\nNumbers=2\r\n");
    EXPECT_EQ(model.numberStyle(), 2);
    EXPECT_EQ(changed.count(), 3);

    // A file that cannot be written: the choice holds for this run, the failure is raised.
    // (a folder where the file should be: a missing folder would be made on first write).
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("taken/rinova.ini")));
    SettingsModel unwritable(dir.filePath("taken/rinova.ini"));
    EXPECT_THROW(unwritable.setFitText(false), rinova::text::Failure);
    EXPECT_FALSE(unwritable.fitText());
    EXPECT_THROW(unwritable.setNumberStyle(1), rinova::text::Failure);
    EXPECT_EQ(unwritable.numberStyle(), 1);
}
