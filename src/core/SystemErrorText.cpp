#include "core/SystemErrorText.h"

#include <cerrno>
#include <cstring>

namespace sorvel::SystemErrorText {

QString describe(int error) {
    switch (error) {
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case EACCES:
    case EPERM: return QStringLiteral("没有权限");
    case EROFS: return QStringLiteral("磁盘是只读的");
    case ENOSPC: return QStringLiteral("磁盘空间不足");
    case EDQUOT: return QStringLiteral("超出了磁盘配额");
    case EEXIST: return QStringLiteral("已有同名的文件或文件夹");
    case ENOTEMPTY: return QStringLiteral("文件夹不是空的");
    case ENOTDIR: return QStringLiteral("路径中的某一项不是文件夹");
    case EISDIR: return QStringLiteral("目标是一个文件夹");
    case ENAMETOOLONG: return QStringLiteral("文件名或路径太长");
    case ELOOP: return QStringLiteral("符号链接嵌套太深");
    case EXDEV: return QStringLiteral("不能跨磁盘移动");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("文件正被占用");
    case EIO: return QStringLiteral("读写磁盘时出错");
    case EFBIG: return QStringLiteral("文件太大");
    case EMFILE:
    case ENFILE: return QStringLiteral("打开的文件太多");
    case ENOMEM: return QStringLiteral("内存不足");
    case EINVAL: return QStringLiteral("操作无效");
    case ENOTSUP: return QStringLiteral("不支持这种文件");
    case EINTR: return QStringLiteral("操作被中断");
    case ETIMEDOUT: return QStringLiteral("操作超时");
    case ENOLCK: return QStringLiteral("文件系统不支持文件锁");
    default: return QStringLiteral("系统错误（错误码 %1）").arg(error);
    }
}

QString inEnglish(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace sorvel::SystemErrorText
