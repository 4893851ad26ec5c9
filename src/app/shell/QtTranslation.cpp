#include "app/shell/QtTranslation.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace sorvel::QtTranslation {

namespace {

// Qt's Chinese translations, with the words of Qt's own dialogs that they
// lack: the type column of the folder chooser said "Folder".
class ChineseQt final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override {
        const QString found = QTranslator::translate(context, sourceText, disambiguation, n);
        if (!found.isEmpty() || std::strcmp(context, "QAbstractFileIconProvider") != 0)
            return found;
        if (std::strcmp(sourceText, "Folder") == 0)
            return QStringLiteral("文件夹");
        if (std::strcmp(sourceText, "Drive") == 0)
            return QStringLiteral("驱动器");
        return found;
    }
};

} // namespace

QTranslator* install(QCoreApplication& app) {
    // Dates and month names in Qt's dialogs follow the default locale, which is
    // the system's unless set: an unset or English LANG would bring English into
    // a Chinese interface.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));

    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new ChineseQt(&app);
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
