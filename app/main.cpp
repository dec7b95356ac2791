// Program entry: the main window, then the hidden settings window, then the event loop; an
// address file named on the command line is opened once the windows are up.
#include "app/command_line.h"
#include "app/main_window.h"
#include "drawing/fonts.h"
#include "files/runtime_folder.h"
#include "settings/settings_location.h"
#include "widgets/japanese_locale.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QFont>
#include <QTimer>
#include <cstdio>

using namespace rinova;

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace

int main(int argc, char** argv) {
    files::quietMissingRuntimeFolderNote();
    // --help and --version answer without a display.
    const app::CommandLine early = app::parseCommandLine(argumentsOf(argc, argv));
    if (early.action == app::CommandLine::Help || early.action == app::CommandLine::Version) {
        QCoreApplication core(argc, argv);
        print(stdout, early.action == app::CommandLine::Help
                          ? app::helpText(
                                settings::settingsFileFor(QCoreApplication::applicationFilePath()))
                          : app::versionText());
        return 0;
    }

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.rinova.Rinova"));
    // Qt has taken out its own options by now; what is left is ours.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const app::CommandLine line = app::parseCommandLine(args);
    if (line.action == app::CommandLine::BadUsage) {
        print(stderr, QStringLiteral("rinova: %1\n").arg(line.error) + app::usageText());
        return 2;
    }
    widgets::setMessageCaption(widgets::applicationTitle(QCoreApplication::applicationFilePath()));

    // Qt's own dialogs, dates and sizes in Japanese, whatever the desktop's locale.
    widgets::useJapanese();

    // The faces the system names, the window font among them, mapped onto installed fonts.
    QApplication::setFont(drawing::windowFont());

    const QString settingsPath = settings::settingsFileFor(QCoreApplication::applicationFilePath());
    app::MainWindow mainWindow(settingsPath);
    // Whatever the settings file holds, a failure ends its own step only: the error box shows
    // it, and both windows exist before the main window opens.
    widgets::guarded([&] { mainWindow.startUp(); });
    widgets::guarded([&] { mainWindow.createSettingsWindow(); });

    mainWindow.show();
    if (!line.file.isEmpty())
        QTimer::singleShot(0, &mainWindow, [&mainWindow, file = line.file] {
            widgets::guarded([&] { mainWindow.importAddressFile(file); });
        });
    else
        QTimer::singleShot(0, &mainWindow, [&mainWindow] {
            widgets::guarded([&] { mainWindow.offerEarlierWork(); });
        });
    return QApplication::exec();
}
