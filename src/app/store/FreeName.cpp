#include "app/store/FreeName.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace sorvel::FreeName {

namespace {

bool taken(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

QString path(const QString& wanted) {
    const QFileInfo info(wanted);
    const QString folder = info.path();
    const QString name = info.fileName();
    // "Demo.take" splits into Demo + take; ".hidden" and "Tape." have no extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QString stem = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();

    QString candidate = wanted;
    for (qint64 n = 2; taken(candidate); ++n)
        candidate = folder + QLatin1Char('/') + stem + QLatin1Char(' ') + QString::number(n) + extension;
    return candidate;
}

} // namespace sorvel::FreeName
