#pragma once

class QCoreApplication;

// The whole interface is Russian, so Qt's own texts (file dialogs, standard
// buttons, the context menus of text fields) are shown in Russian too,
// whatever the system locale says. Loads Qt's Russian catalogue (qtbase_ru
// from Qt's translations folder) and installs it on the application; the
// programs' own texts are not in it and stay as they are. Without the
// catalogue (package qttranslations5-l10n missing) Qt's texts stay English
// and false is returned.
namespace qt_russian {

bool install(QCoreApplication &app);

} // namespace qt_russian
