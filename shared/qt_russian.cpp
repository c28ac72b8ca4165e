#include "qt_russian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qt_russian {

bool install(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return app.installTranslator(translator);
}

} // namespace qt_russian
