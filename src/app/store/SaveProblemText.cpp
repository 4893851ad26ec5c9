#include "app/store/SaveProblemText.h"

#include "app/store/ProjectStore.h"
#include "core/SystemErrorText.h"

#include <cerrno>
#include <cstring>

namespace sorvel::SaveProblemText {

namespace {

// The errors a write of the data file meets; the storage reports them with
// the C library's text, which is what the problem ends with (a folder whose
// file system has no working locks as ENOLCK).
constexpr int writeErrors[] = {EACCES, EPERM,  EROFS,  ENOSPC, EDQUOT, ENOENT,       EISDIR, ENOTDIR, EIO,
                               EFBIG,  EMFILE, ENFILE, ENOMEM, ELOOP,  ENAMETOOLONG, EXDEV,  ENOLCK};

} // namespace

QString forUser(const QString& problem) {
    for (const int error : writeErrors) {
        const QString reason = QString::fromLocal8Bit(std::strerror(error));
        if (problem.endsWith(reason))
            return problem.chopped(reason.size()) + SystemErrorText::describe(error);
    }
    if (problem == ProjectStore::folderBusyProblem)
        return QStringLiteral("数据文件夹正被另一个程序占用");
    if (problem == QLatin1String("unknown error"))
        return QStringLiteral("原因不明");
    return problem;
}

QString forBanner(const QString& problem, bool waitingForFolder) {
    if (problem.isEmpty())
        return waitingForFolder ? QStringLiteral("数据文件夹正被另一个程序占用，正在等待…") : QString();
    return QStringLiteral("无法保存更改：") + forUser(problem)
        + QStringLiteral("。更改仍保留在内存中，Sorvel 会自动重试。");
}

} // namespace sorvel::SaveProblemText
