// Program entry: the main window, then the hidden settings window, then the event loop.
#include "app/main_window.h"
#include "settings/settings_store.h"
#include "surface/fonts.h"
#include "widgets/japanese_locale.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QFont>

using namespace rinova;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    widgets::setMessageCaption(widgets::applicationTitle(QCoreApplication::applicationFilePath()));

    // Qt's own dialogs, dates and sizes in Japanese, whatever the desktop's locale.
    widgets::useJapanese();

    // The faces the system names, the window font among them, mapped onto installed fonts.
    surface::installFaceSubstitutions();
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    const QString settingsPath = settings::settingsPathFor(QCoreApplication::applicationFilePath());
    app::MainWindow mainWindow(settingsPath);
    mainWindow.startUp();
    mainWindow.createSettingsWindow();

    mainWindow.show();
    return QApplication::exec();
}
