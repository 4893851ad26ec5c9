#include "app/store/SummaryFile.h"

#include "app/store/FreeName.h"
#include "core/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace sorvel::SummaryFile {

namespace {

constexpr int attempts = 1000;

// All of `bytes` to `fd`, then to the disk; 0 or the errno of the failure.
int writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += put;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

// A draft file in the target folder, so the final rename stays on one file system.
struct Draft {
    QByteArray path;
    int fd = -1;

    explicit Draft(const QString& folder)
        : path(QFile::encodeName(folder + QStringLiteral("/.sorvel-summary-XXXXXX"))) {
        fd = ::mkostemp(path.data(), O_CLOEXEC);
    }
    ~Draft() {
        if (fd >= 0)
            ::close(fd);
        if (!path.isEmpty())
            ::unlink(path.constData());
    }
    int close() {
        const int result = ::close(std::exchange(fd, -1));
        return result == 0 ? 0 : errno;
    }
    void keep() { path.clear(); }
};

} // namespace

FileOutcome write(FileSystem& files, const QString& folder, const FreeName::Name& name, const QByteArray& bytes) {
    Draft draft(folder);
    if (draft.fd < 0) {
        const int error = errno;
        draft.path.clear(); // nothing was created
        return FileOutcome::failure(error);
    }
    ::fchmod(draft.fd, 0644);
    if (const int error = writeAll(draft.fd, bytes))
        return FileOutcome::failure(error);
    if (const int error = draft.close())
        return FileOutcome::failure(error);

    const QString draftPath = QFile::decodeName(draft.path);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QString target = FreeName::path(folder, name);
        const int error = RegularFile::renameNoReplace(files, draftPath, target);
        if (error == 0) {
            draft.keep();
            return {target};
        }
        if (error != EEXIST)
            return FileOutcome::failure(error);
    }
    return FileOutcome::failure(EEXIST);
}

} // namespace sorvel::SummaryFile
