#include "widgets/japanese_locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>
#include <utility>

namespace rinova::widgets {
namespace {

// The toolkit's texts that its Japanese translation leaves in English, in the print and
// printer-properties dialogs. Asked only after the toolkit's own translation.
class MissingJapanese : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override {
        static const std::pair<const char*, const char16_t*> texts[] = {
            {"Advanced", u"詳細設定"},
            {"There are conflicts in some options. Please fix them.",
             u"いくつかの設定が矛盾しています。設定を直してください。"},
            {"Double Sided Printing", u"両面印刷"},
            {"Off", u"しない"},
            {"Long side binding", u"長辺とじ"},
            {"Short side binding", u"短辺とじ"},
            {"Pages", u"ページ指定"},
        };
        if (source)
            for (const auto& [english, japanese] : texts)
                if (std::strcmp(source, english) == 0) return QString::fromUtf16(japanese);
        return {};
    }
};

} // namespace

bool useJapanese() {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    // Installed translators are not owned by the application; these live as long as it does.
    static QTranslator* toolkit = nullptr;
    if (toolkit) return true;
    QCoreApplication* app = QCoreApplication::instance();
    // The last installed is asked first: the toolkit's own translation before the fill-ins.
    QCoreApplication::installTranslator(new MissingJapanese(app));
    auto* translator = new QTranslator(app);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    toolkit = translator;
    return true;
}

} // namespace rinova::widgets
