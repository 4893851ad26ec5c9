#include "studio/PlatformChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <QtGlobal>

#include <cstring>

namespace sorvel::PlatformChoice {

namespace {

bool platformOnCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0
            || std::strncmp(argv[i], "-platform=", 10) == 0 || std::strncmp(argv[i], "--platform=", 11) == 0)
            return true;
    }
    return false;
}

bool xcbPluginInstalled() {
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& folder : folders) {
        if (QFileInfo::exists(folder + QStringLiteral("/platforms/libqxcb.so")))
            return true;
    }
    return false;
}

} // namespace

void preferXcb(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (platformOnCommandLine(argc, argv) || !xcbPluginInstalled())
        return;
    qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace sorvel::PlatformChoice
