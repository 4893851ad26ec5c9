#include "app/store/SummaryFile.h"

#include "app/store/FreeName.h"

#include <QTemporaryFile>

#include <cerrno>
#include <unistd.h>

namespace sorvel::SummaryFile {

namespace {

constexpr int attempts = 1000;

Outcome failure(const QString& error) { return {false, {}, error}; }

} // namespace

Outcome write(const QString& folder, const QString& fileName, const QByteArray& bytes) {
    QTemporaryFile draft(folder + QStringLiteral("/.sorvel-summary-XXXXXX"));
    if (!draft.open())
        return failure(draft.errorString());
    draft.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                         | QFileDevice::ReadOther);
    if (draft.write(bytes) != bytes.size() || !draft.flush())
        return failure(draft.errorString());
    if (::fsync(draft.handle()) != 0)
        return failure(qt_error_string(errno));
    draft.close();

    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QString target = FreeName::path(folder + QLatin1Char('/') + fileName);
        const int error = FreeName::renameNoReplace(draft.fileName(), target);
        if (error == 0) {
            draft.setAutoRemove(false);
            return {true, target, {}};
        }
        if (error != EEXIST)
            return failure(qt_error_string(error));
    }
    return failure(qt_error_string(EEXIST));
}

} // namespace sorvel::SummaryFile
