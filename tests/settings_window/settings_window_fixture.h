// A settings window over a fake main window that counts preview redraws, and a settings file in
// a temporary folder.
#pragma once

#include "settings/form1_link.h"
#include "settings/unit2.h"
#include "tests/support/test_support.h"
#include "tests/widgets/typing.h"
#include "widgets/byte_limited_edit.h"
#include "widgets/completing_combo_box.h"
#include "widgets/spin_edit.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace rinova::testing {

class FakeForm1 : public settings::Form1Link {
public:
    settings::RawSettings raw;
    settings::CardLayout layout;
    QString path;
    int redraws = 0;

    settings::RawSettings& rawSettings() override { return raw; }
    settings::CardLayout& cardLayout() override { return layout; }
    QString settingsPath() const override { return path; }
    void StringGrid1Click() override { ++redraws; }
};

// "[SET]" with the given keys, as the store writes a new file.
inline std::string iniText(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string out = "[SET]\r\n";
    for (const auto& [k, v] : keys)
        out += k + "=" + v + "\r\n";
    return out;
}

struct SettingsWindowTest : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath("rinova.ini");
    ScriptedPrompts prompts;
    FakeForm1 form1;
    std::unique_ptr<settings::TForm2> form;

    // Start-up as the main window runs it: the load, then the window and its FormCreate.
    void start() {
        form1 = FakeForm1{};
        form1.path = ini;
        guarded([&] { settings::SettingsStore(ini).startupLoad(form1.raw, form1.layout); });
        form = std::make_unique<settings::TForm2>(form1);
        guarded([&] { form->FormCreate(); });
    }
    void start(const std::string& fileBytes) {
        writeBytes(ini, fileBytes);
        start();
    }
    settings::TForm2::Controls& c() { return form->controls(); }
    std::string file() const { return readBytes(ini); }

    void show() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // Picks an item of a drop-down list with the mouse, as the user does.
    static void pick(widgets::CompletingComboBox* box, int index) {
        box->showPopup();
        QAbstractItemView* list = box->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 2000));
        const QRect item = list->visualRect(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 2000));
    }
    static void clearAndType(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        typeText(edit, text);
    }
    QString unwritable() const {
        return QDir::toNativeSeparators(QFileInfo(ini).absoluteFilePath()) +
               QStringLiteral(" に書き込めません.");
    }
};

} // namespace rinova::testing
