// The 設定 menu's check item for fitting long texts: its place, its mark, the file and the
// preview follow it.
#include "addresses/address_grid.h"
#include "app/main_window.h"
#include "tests/support/test_support.h"
#include "widgets/address_grid_view.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace rinova;

TEST(FitTextMenu, CheckItemAfterTheOthersFollowsTheFileAndRedrawsFitted) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("rinova.ini");
    rinova::testing::writeBytes(ini, "[SET]\r\nFitText=0\r\n");
    // No printer: start-up ends early, after the settings.
    const QByteArray cups = qgetenv("CUPS_SERVER");
    const auto restore = qScopeGuard(
        [&] { cups.isEmpty() ? qunsetenv("CUPS_SERVER") : qputenv("CUPS_SERVER", cups); });
    qputenv("CUPS_SERVER", "/nonexistent/rinova-test.sock");
    rinova::testing::ScriptedPrompts prompts;
    app::MainWindow form(ini);
    form.startUp();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QStringList items;
    for (QAction* menu : form.menuBar()->actions())
        if (menu->text() == QStringLiteral("設定"))
            for (QAction* a : menu->menu()->actions())
                items << a->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("名前2を印刷する"), QStringLiteral("文字設定"),
                                  QStringLiteral("長い住所を枠に収める"),
                                  QStringLiteral("印刷位置の調整...")}));
    QAction& fit = form.fitTextAction();
    EXPECT_TRUE(fit.isCheckable());
    EXPECT_FALSE(fit.isChecked());

    form.addressGrid().setRowFields(
        1, rinova::testing::sjis(u"1,山田,,123-4567,東京都架空区見本町一丁目二番三号見本ヒルズ,,"));
    form.grid().setCurrentRow(1);
    form.redrawPreview();
    const auto address1 = [&] {
        for (const auto& op : form.lastPicture().ops)
            if (const auto* t = std::get_if<drawing::TextOp>(&op); t && t->x >= 900) return *t;
        return drawing::TextOp{};
    };
    EXPECT_EQ(address1().advance, 0) << "drawn as set";

    const int draws = form.previewDraws();
    fit.trigger(); // as the menu does
    EXPECT_TRUE(fit.isChecked());
    EXPECT_TRUE(form.settings().fitText());
    EXPECT_EQ(rinova::testing::readBytes(ini), "[SET]\r\nFitText=1\r\n");
    EXPECT_EQ(form.previewDraws(), draws + 1);
    EXPECT_GT(address1().advance, 0) << "fitted at a tighter pitch";
    EXPECT_TRUE(prompts.errors.size() <= 1u) << "only the missing printer";
}
