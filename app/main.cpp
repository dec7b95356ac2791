// Program entry: the main window, then the hidden settings window, then the event loop.
#include "app/main_window.h"
#include "settings/settings_store.h"
#include "surface/fonts.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace rinova;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    widgets::setMessageCaption(widgets::applicationTitle(QCoreApplication::applicationFilePath()));

    // Qt's own dialogs and buttons in Japanese.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    // The faces the system names, the window font among them, mapped onto installed fonts.
    surface::installFaceSubstitutions();
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    const QString settingsPath = settings::settingsPathFor(QCoreApplication::applicationFilePath());
    app::MainWindow mainWindow(settingsPath);
    // Whatever the settings file holds, a failure ends its own step only: the error box shows
    // it, and both windows exist before the main window opens.
    widgets::guarded([&] { mainWindow.startUp(); });
    widgets::guarded([&] { mainWindow.createSettingsWindow(); });

    mainWindow.show();
    return QApplication::exec();
}
