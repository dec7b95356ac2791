// Program entry: the main window, then the hidden settings window, then the event loop.
#include "app/unit1.h"
#include "settings/unit2.h"
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
    setMessageCaption(applicationTitle(QCoreApplication::applicationFilePath()));

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
    app::TForm1 form1(settingsPath);
    form1.FormCreate();

    const std::unique_ptr<settings::TForm2> form2 = app::createForm2(form1);

    form1.show();
    const int code = QApplication::exec();
    app::Form2 = nullptr;
    return code;
}
