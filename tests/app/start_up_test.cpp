// Start-up as the program runs it, on settings files of every content and kind; what ending the
// program leaves in the file; where the start-up message box sits.
#include "addresses/address_grid.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "tests/support/odd_files.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace rinova::testing {
namespace {

// Points the print system at nothing, so there is no default printer and no font check.
struct NoPrinters {
    QByteArray saved = qgetenv("CUPS_SERVER");
    NoPrinters() { qputenv("CUPS_SERVER", "/nonexistent/rinova-test.sock"); }
    ~NoPrinters() {
        if (saved.isEmpty())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", saved);
    }
};

struct StartUp : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("rinova.ini"));
    NoPrinters noPrinters;
};

TEST_F(StartUp, EverySettingsFileShowsItsMessagesAndThenBothWindows) {
    const QString path = QDir::toNativeSeparators(ini);
    const QString noPrinter = u"デフォルト プリンタが存在しません."_qs;
    const QString notRegular =
        path + u" は通常のファイルではないため、設定ファイルとして使えません."_qs;
    const QString tooLarge = path + u" は 1 MiB を超えているため、設定ファイルとして使えません."_qs;
    auto content = [&](std::string bytes) {
        return [this, bytes] {
            writeBytes(ini, bytes);
            return QFileInfo(ini).size() == static_cast<qint64>(bytes.size());
        };
    };
    struct Case {
        const char* name;
        std::function<bool()> make;
        QStringList errors;
    };
    const Case cases[] = {
        // The load stops at the layout, and the settings window's spin edit meets the text too.
        {"position not an integer",
         content("[SET]\r\nEdit1Value0=12mm\r\n"),
         {u"'12mm' は整数ではありません."_qs, u"'12mm' は整数ではありません."_qs}},
        {"face not an integer",
         content("[SET]\r\nFontName=abc\r\n"),
         {noPrinter, u"'abc' は整数ではありません."_qs}},
        {"read-only file whose offset is written back",
         [&] {
             writeBytes(ini, "[SET]\r\nEdit1Value0=+12\r\n");
             return QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup);
         },
         {noPrinter, path + u" に書き込めません."_qs}},
        {"named pipe", [&] { return makeFifo(ini); }, {notRegular, noPrinter}},
        {"random bytes past 1 MiB", content(randomBytes(2 << 20, 11)), {tooLarge, noPrinter}},
        {"link to /dev/zero",
         [&] { return QFile::link(QStringLiteral("/dev/zero"), ini); },
         {notRegular, noPrinter}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ini);
        ASSERT_TRUE(c.make());
        const std::string before = QFileInfo(ini).isFile() ? readBytes(ini) : std::string();
        ScriptedPrompts prompts;
        {
            PipeWatch watch(ini, std::chrono::seconds(3));
            app::MainWindow form(ini);
            EXPECT_NO_THROW({
                form.startUp();
                form.createSettingsWindow();
            });
            EXPECT_FALSE(watch.fired()) << "start-up blocked on the settings file";
            ASSERT_NE(form.settingsWindow(), nullptr);
            form.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
            EXPECT_FALSE(form.settingsWindow()->isVisible());
        }
        EXPECT_EQ(
            QStringList(prompts.errors.begin(), prompts.errors.end()).join('\n').toStdString(),
            c.errors.join('\n').toStdString());
        if (QFileInfo(ini).isFile()) {
            EXPECT_EQ(readBytes(ini), before);
        }
    }
}

TEST_F(StartUp, EndingTheProgramWithTheSettingsWindowOpenRunsNoCloseHandler) {
    const std::string before = "[SET]\r\nSashiPrint=0\r\n";
    writeBytes(ini, before);
    ScriptedPrompts prompts;
    app::MainWindow form(ini);
    form.startUp();
    form.createSettingsWindow();
    prompts.errors.clear(); // the missing printer
    form.show();
    form.showSettingsWindow();
    form.settingsWindow()->controls().printSenderCheck->click();
    // 終了 from the menu, inside the running event loop as the program has it.
    QTimer::singleShot(0, &form, [&] { form.quit(); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_TRUE(prompts.errors.empty());
}

TEST(StartUpMessage, TheBoxIsCentredOnTheScreenWithItsFinalSize) {
    QRect shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->frameGeometry();
            box->done(0);
        }
    });
    widgets::Prompts::current().message(
        u"@ＤＦ行書体@HG行書体はインストールされていませんので正しく印刷できません"_qs);
    ASSERT_TRUE(shown.isValid());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(shown.topLeft(), QPoint(screen.width() / 2 - shown.width() / 2,
                                      screen.height() / 2 - shown.height() / 2));
}

} // namespace
} // namespace rinova::testing
