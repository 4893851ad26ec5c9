#include "app/shell/QtTranslation.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace sorvel::QtTranslation {

QTranslator* install(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        Log::info(QStringLiteral("Sorvel: Qt's Chinese translations are not in %1; Qt's own dialogs stay English")
                      .arg(folder));
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace sorvel::QtTranslation
