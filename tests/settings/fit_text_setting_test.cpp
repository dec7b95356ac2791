// The choice to fit long texts: read from "FitText" at start-up, written when it changes.
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

TEST(FitTextSetting, OnUnlessTheFileSaysZeroAndWrittenWhenChanged) {
    const std::pair<const char*, bool> read[] = {
        {"", true},
        {"FitText=1\r\n", true},
        {"FitText=abc\r\n", true},
        {"FitText=0\r\n", false},
        {"fittext = 0 \r\n", false},
        // A stored value that stops the load does not stop this one.
        {"Edit3Value2=abc\r\nFitText=0\r\n", false},
    };
    QTemporaryDir dir;
    const QString ini = dir.filePath("rinova.ini");
    for (const auto& [lines, on] : read) {
        writeBytes(ini, std::string("[SET]\r\n") + lines);
        SettingsModel model(ini);
        try {
            model.load();
        } catch (const rinova::text::Failure&) {
        }
        EXPECT_EQ(model.fitText(), on) << lines;
    }

    writeBytes(ini, "[SET]\r\nEdit1Value0=12\r\n");
    SettingsModel model(ini);
    model.load();
    QSignalSpy changed(&model, &SettingsModel::changed);
    model.setFitText(false);
    EXPECT_EQ(readBytes(ini), "[SET]\r\nEdit1Value0=12\r\nFitText=0\r\n");
    model.setFitText(true);
    EXPECT_EQ(readBytes(ini), "[SET]\r\nEdit1Value0=12\r\nFitText=1\r\n");
    EXPECT_EQ(changed.count(), 2);

    // A file that cannot be written: the choice holds for this run, the failure is raised.
    // (a folder where the file should be: a missing folder would be made on first write).
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("taken/rinova.ini")));
    SettingsModel unwritable(dir.filePath("taken/rinova.ini"));
    EXPECT_THROW(unwritable.setFitText(false), rinova::text::Failure);
    EXPECT_FALSE(unwritable.fitText());
}
