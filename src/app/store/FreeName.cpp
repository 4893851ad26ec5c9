#include "app/store/FreeName.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

int renameNoReplace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP)
        return error;
    // File systems without the flag: a file is linked (which never replaces) and
    // then unlinked; a folder is renamed only after checking that nothing is there.
    struct stat info {};
    if (::lstat(source.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode)) {
        if (::link(source.constData(), target.constData()) != 0)
            return errno;
        ::unlink(source.constData());
        return 0;
    }
    if (taken(to))
        return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

} // namespace sorvel::FreeName
