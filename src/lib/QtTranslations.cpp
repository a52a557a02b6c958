#include "lib/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace kv {

namespace {

struct Installed {
    QString language;
    std::unique_ptr<QTranslator> catalogue;
    // The default locale before the first switch, restored for English.
    std::unique_ptr<QLocale> englishLocale;
};

Installed &installed()
{
    static Installed state;
    return state;
}

void removeCatalogue(Installed &state)
{
    if (state.catalogue) {
        QCoreApplication::removeTranslator(state.catalogue.get());
        state.catalogue.reset();
    }
}

} // namespace

QString QtTranslations::languageOf(const std::string &uiCodePage)
{
    if (uiCodePage == "936")
        return QStringLiteral("zh_CN");
    if (uiCodePage == "950")
        return QStringLiteral("zh_TW");
    return {};
}

QString QtTranslations::folder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QString QtTranslations::current()
{
    return installed().language;
}

bool QtTranslations::apply(const std::string &uiCodePage)
{
    Installed &state = installed();
    const QString language = languageOf(uiCodePage);
    if (language == state.language && (language.isEmpty() || state.catalogue))
        return true;
    if (!state.englishLocale)
        state.englishLocale = std::make_unique<QLocale>();
    removeCatalogue(state);
    state.language = language;
    if (language.isEmpty()) {
        QLocale::setDefault(*state.englishLocale);
        return true;
    }
    QLocale::setDefault(QLocale(language));
    // "qt_<language>" names the catalogues of every Qt module in use.
    auto catalogue = std::make_unique<QTranslator>();
    if (!catalogue->load(QStringLiteral("qt_") + language, folder()))
        return false;
    QCoreApplication::installTranslator(catalogue.get());
    state.catalogue = std::move(catalogue);
    return true;
}

} // namespace kv
