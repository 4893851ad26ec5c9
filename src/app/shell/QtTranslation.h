#pragma once

class QCoreApplication;
class QTranslator;

namespace sorvel::QtTranslation {

// Makes Qt's own dialogs and buttons (folder chooser, colour dialog, standard
// buttons) speak Simplified Chinese like the rest of the program, whatever the
// system's locale: the default locale becomes zh_CN, and Qt's translations come
// with the few words they lack. Returns the installed translator, owned by
// `app`; none when Qt's translations are missing (logged once; Qt's texts then
// stay English).
QTranslator* install(QCoreApplication& app);

} // namespace sorvel::QtTranslation
