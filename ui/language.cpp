#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallTranslations(QCoreApplication& app) {
    // Our catalogues, resources of a static library: linked in only when asked for.
    Q_INIT_RESOURCE(translations);
    // Qt's load(QLocale) would pass over English, which has no catalogue, to a
    // later language of the list (LANGUAGE=en_GB:de).
    for (const QString& name : QLocale().uiLanguages()) {
        const QLocale language(name);
        if (language.language() == QLocale::English) return;
        auto* own = new QTranslator(&app);
        if (!own->load(language, QStringLiteral("qvactivitymonitor"), QStringLiteral("_"),
                       QStringLiteral(":/i18n"))) {
            delete own;
            continue;
        }
        QCoreApplication::installTranslator(own);
        // Qt's catalogue (buttons, shortcuts, the command line's usage): the zip carries
        // it beside the exe; on Linux it is the system Qt's.
        auto* qt = new QTranslator(&app);
        for (const QString& dir :
             {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
            if (qt->load(language, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
                QCoreApplication::installTranslator(qt);
                break;
            }
        }
        return;
    }
}
