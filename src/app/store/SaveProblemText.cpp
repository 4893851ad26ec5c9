#include "app/store/SaveProblemText.h"

#include "core/SystemErrorText.h"

#include <algorithm>
#include <cerrno>

namespace sorvel::SaveProblemText {

namespace {

// The errors a write of the data file meets, said in Chinese; any other
// keeps the system's words (a folder whose file system has no working locks
// comes as ENOLCK).
constexpr int writeErrors[] = {EACCES, EPERM,  EROFS,  ENOSPC, EDQUOT, ENOENT,       EISDIR, ENOTDIR, EIO,
                               EFBIG,  EMFILE, ENFILE, ENOMEM, ELOOP,  ENAMETOOLONG, EXDEV,  ENOLCK};

QString reason(int error) {
    return std::ranges::find(writeErrors, error) != std::end(writeErrors) ? SystemErrorText::describe(error)
                                                                          : SystemErrorText::inEnglish(error);
}

} // namespace

QString forUser(const SaveProblem& problem) {
    switch (problem.kind) {
    case SaveProblem::Kind::None: return {};
    case SaveProblem::Kind::FolderBusy: return QStringLiteral("数据文件夹正被另一个程序占用");
    case SaveProblem::Kind::DiskNotAnswering: return QStringLiteral("数据文件所在的磁盘没有响应");
    case SaveProblem::Kind::FileUndecodable:
    case SaveProblem::Kind::FileChangedUndecodable: return QStringLiteral("数据文件已损坏，无法读取");
    case SaveProblem::Kind::MovedAside:
        return QStringLiteral("原先在数据文件位置上的内容已移到 ") + problem.error.context;
    case SaveProblem::Kind::RepeatsKeptAside: return QStringLiteral("数据文件中有重复的字段");
    case SaveProblem::Kind::UndecodableKeptAside:
        return QStringLiteral("无法读取的数据文件已原样保存在 ") + problem.error.context;
    case SaveProblem::Kind::WaitingForQuiet: return QStringLiteral("数据文件正被另一个程序改写");
    case SaveProblem::Kind::WriteFailed:
    case SaveProblem::Kind::RescueNotMerged:
    case SaveProblem::Kind::RescueNotCarried:
    case SaveProblem::Kind::FileUnreadable: break;
    }
    const FileError& error = problem.error;
    if (error.isEmpty())
        return QStringLiteral("原因不明");
    if (error.number == 0)
        return error.context;
    if (error.context.isEmpty())
        return reason(error.number);
    return error.context + QStringLiteral(": ") + reason(error.number);
}

QString forBanner(const SaveProblem& problem, bool waitingForFolder) {
    if (problem.isEmpty())
        return waitingForFolder ? QStringLiteral("数据文件夹正被另一个程序占用，正在等待…") : QString();
    if (problem.kind == SaveProblem::Kind::FileUndecodable
        || problem.kind == SaveProblem::Kind::FileChangedUndecodable) {
        const QString shelf = problem.kind == SaveProblem::Kind::FileUndecodable
            ? QStringLiteral("无法读取数据文件，书架因此是空的。")
            : QStringLiteral("数据文件已无法读取，书架上仍是上次读到的内容。");
        return shelf + QStringLiteral("在你做出更改之前，Sorvel 不会改写数据文件；写入前会先把原内容原样另存一份。");
    }
    if (problem.kind == SaveProblem::Kind::UndecodableKeptAside)
        return QStringLiteral("数据文件无法读取，写入更改前，原内容已原样保存在 ") + problem.error.context
            + QStringLiteral("。");
    if (problem.kind == SaveProblem::Kind::WaitingForQuiet)
        return QStringLiteral("数据文件无法读取，可能正被另一个程序改写。更改仍保留在内存中，"
                              "等数据文件两秒内不再变化后再写入。");
    if (problem.kind == SaveProblem::Kind::MovedAside)
        return QStringLiteral("数据文件的位置上原有无法读取的内容，写入更改前已原样移到 ") + problem.error.context
            + QStringLiteral("。");
    if (problem.kind == SaveProblem::Kind::RescueNotMerged)
        return QStringLiteral("上次退出时留下的救援副本 ") + problem.copy
            + QStringLiteral(" 已显示在书架上，但还无法写入数据文件：") + forUser(problem)
            + QStringLiteral("。更改仍保留在内存中，Sorvel 会自动重试。");
    if (problem.kind == SaveProblem::Kind::RescueNotCarried)
        return QStringLiteral("上次退出时留下的救援副本还无法合并，它们所在的文件夹无法写入：") + forUser(problem)
            + QStringLiteral(
                   "。副本原样保留，Sorvel 每次保存前会先再试合并，否则下次启动时再合并；这次的更改照常保存。");
    if (problem.kind == SaveProblem::Kind::RepeatsKeptAside)
        return QStringLiteral("数据文件中有重复的字段，Sorvel 只采用了每处的最后一个；改写前，原内容已原样保存在 ")
            + problem.error.context + QStringLiteral("。");
    if (problem.kind == SaveProblem::Kind::FileUnreadable)
        return QStringLiteral("无法读取数据文件，书架因此是空的：") + forUser(problem)
            + QStringLiteral("。在你做出更改之前，Sorvel 不会改写数据文件。");
    return QStringLiteral("无法保存更改：") + forUser(problem)
        + QStringLiteral("。更改仍保留在内存中，Sorvel 会自动重试。");
}

} // namespace sorvel::SaveProblemText
