#include "core/DataFolder.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace sorvel::DataFolder {

namespace {

// An XDG variable counts only when it holds an absolute path.
QString xdgFolder(const char* variable, const QString& fallbackBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(homeDirectory() + QLatin1Char('/') + fallbackBelowHome);
}

} // namespace

QString homeDirectory() {
    // The password database names the real home even where $HOME was changed
    // for a confined program, so every program of the user reaches one folder.
    // The reentrant form: the storage worker asks for the folder while the
    // window's thread does, and getpwuid's entry is one shared buffer.
    passwd entry{};
    passwd* found = nullptr;
    QByteArray buffer(16384, '\0');
    if (getpwuid_r(getuid(), &entry, buffer.data(), size_t(buffer.size()), &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] != '\0')
        return QDir::cleanPath(QString::fromLocal8Bit(found->pw_dir));
    return QDir::cleanPath(QDir::homePath());
}

QString dataHome() {
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString directory() {
    return dataHome() + QStringLiteral("/Sorvel");
}

QString filePath() {
    return directory() + QStringLiteral("/projects.json");
}

QString legacyDirectory() {
    return dataHome() + QStringLiteral("/Pinwale");
}

QString configHome() {
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString stateHome() {
    return xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
}

QString runtimeDirectory() {
    const QString value = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::tempPath() + QStringLiteral("/sorvel-") + QString::number(getuid());
}

} // namespace sorvel::DataFolder
