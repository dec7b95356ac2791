// A settings window over a fake main window that counts preview redraws, and a settings file in
// a temporary folder.
#pragma once

#include "app/settings_window.h"
#include "settings/settings_model.h"
#include "tests/support/test_support.h"
#include "tests/support/typing.h"
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
    // The settings the window edits, and the redraws their changes asked for.
    std::unique_ptr<settings::SettingsModel> model;
    int redraws = 0;
    std::unique_ptr<app::SettingsWindow> form;

    // Start-up as the main window runs it: the load, then the window and its loadFromSettings.
    void start() {
        form.reset();
        model = std::make_unique<settings::SettingsModel>(ini);
        redraws = 0;
        QObject::connect(model.get(), &settings::SettingsModel::changed, [this] { ++redraws; });
        widgets::guarded([&] { model->load(); });
        form = std::make_unique<app::SettingsWindow>(*model);
        widgets::guarded([&] { form->loadFromSettings(); });
    }
    const settings::CardLayout& layout() const { return model->layout(); }
    const settings::WindowChoices& choices() const { return model->choices(); }
    void start(const std::string& fileBytes) {
        writeBytes(ini, fileBytes);
        start();
    }
    app::SettingsWindow::Controls& c() { return form->controls(); }
    std::string file() const { return readBytes(ini); }
    // The window's label with this caption; nullptr when there is none.
    QLabel* labelOf(const QString& caption) const {
        for (QLabel* l : form->findChildren<QLabel*>())
            if (l->text() == caption) return l;
        return nullptr;
    }

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
