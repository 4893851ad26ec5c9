#include "app/store/RescueCopy.h"

#include "core/DataFolder.h"
#include "core/RecordCoding.h"
#include "core/RegularFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sorvel::RescueCopy {

namespace {

constexpr int maxNameTries = 1000;

QString describe(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// 0 or the errno; EEXIST when the name is taken.
int writeNew(const QString& path, const QByteArray& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    int error = RegularFile::writeSyncClose(fd, bytes);
    if (error)
        ::unlink(QFile::encodeName(path).constData());
    return error;
}

} // namespace

QString folder() {
    return DataFolder::stateHome() + QStringLiteral("/Sorvel");
}

Outcome write(const Library& library, const QDateTime& at) {
    const QString target = folder();
    if (!QDir().mkpath(target))
        return {{}, QStringLiteral("cannot make %1").arg(target)};
    const QByteArray bytes = RecordCoding::encodeLibrary(library);
    const QString stem = target + QStringLiteral("/projects-rescued-") + at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int number = 1; number <= maxNameTries; ++number) {
        const QString path =
            stem + (number == 1 ? QString() : QLatin1Char('-') + QString::number(number)) + QStringLiteral(".json");
        const int error = writeNew(path, bytes);
        if (error == 0)
            return {path, {}};
        if (error != EEXIST)
            return {{}, path + QStringLiteral(": ") + describe(error)};
    }
    return {{}, QStringLiteral("every name in %1 is taken").arg(target)};
}

} // namespace sorvel::RescueCopy
