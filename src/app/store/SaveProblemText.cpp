#include "app/store/SaveProblemText.h"

#include <array>
#include <utility>

namespace sorvel::SaveProblemText {

namespace {

// The C library's texts for the errors a write of the data file meets.
const std::array<std::pair<const char*, const char*>, 9> reasons{{
    {"Permission denied", "没有写入权限"},
    {"Operation not permitted", "系统不允许这项操作"},
    {"Read-only file system", "所在的磁盘是只读的"},
    {"No space left on device", "磁盘空间不足"},
    {"Disk quota exceeded", "已超出磁盘配额"},
    {"No such file or directory", "文件或文件夹不存在"},
    {"Is a directory", "同名的是一个文件夹"},
    {"Input/output error", "磁盘读写出错"},
    {"unknown error", "原因不明"},
}};

} // namespace

QString forUser(const QString& problem) {
    QString text = problem;
    for (const auto& [system, shown] : reasons) {
        const QString reason = QString::fromLatin1(system);
        if (text.endsWith(reason))
            return text.chopped(reason.size()) + QString::fromUtf8(shown);
    }
    return text;
}

} // namespace sorvel::SaveProblemText
