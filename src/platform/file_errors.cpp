#include "platform/file_errors.h"

#include <QFileDevice>

#include <cerrno>

namespace kinoleaf {

QString fileErrorReason(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC: return QStringLiteral("磁盘空间不足");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("超出了磁盘配额");
#endif
    case EACCES:
    case EPERM: return QStringLiteral("没有权限");
#ifdef EROFS
    case EROFS: return QStringLiteral("磁盘是只读的");
#endif
    case EISDIR: return QStringLiteral("同名的文件夹挡在那里");
    case EEXIST: return QStringLiteral("已经有同名的文件或文件夹");
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case ENOTDIR: return QStringLiteral("路径中有一段不是文件夹");
    case EFBIG: return QStringLiteral("文件太大，超过了系统允许的大小");
    case ENAMETOOLONG: return QStringLiteral("文件名太长");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("文件正被别的程序占用");
    case EIO: return QStringLiteral("磁盘读写出错");
    case EMFILE:
    case ENFILE: return QStringLiteral("同时打开的文件太多");
    case EXDEV: return QStringLiteral("不能跨磁盘移动");
    case ENOMEM: return QStringLiteral("内存不足");
    case EINVAL: return QStringLiteral("文件名或参数无效");
#ifdef ENOTEMPTY
    case ENOTEMPTY: return QStringLiteral("文件夹不是空的");
#endif
#ifdef ELOOP
    case ELOOP: return QStringLiteral("路径中的链接绕成了圈");
#endif
    default: break;
    }
    return QStringLiteral("系统错误（代码 %1）").arg(errorNumber);
}

QString fileErrorReason(const QFileDevice& device, int savedErrno) {
    if (savedErrno != 0) return fileErrorReason(savedErrno);
    switch (device.error()) {
    case QFileDevice::NoError: return QStringLiteral("原因不明");
    case QFileDevice::ReadError: return QStringLiteral("读取失败");
    case QFileDevice::WriteError: return QStringLiteral("写入失败");
    case QFileDevice::FatalError: return QStringLiteral("发生了严重错误");
    case QFileDevice::ResourceError: return QStringLiteral("磁盘空间或系统资源不足");
    case QFileDevice::OpenError: return QStringLiteral("无法打开文件");
    case QFileDevice::AbortError: return QStringLiteral("操作被中止");
    case QFileDevice::TimeOutError: return QStringLiteral("操作超时");
    case QFileDevice::RemoveError: return QStringLiteral("无法删除文件");
    case QFileDevice::RenameError: return QStringLiteral("无法改名");
    case QFileDevice::PositionError: return QStringLiteral("无法定位文件位置");
    case QFileDevice::ResizeError: return QStringLiteral("无法改变文件大小");
    case QFileDevice::PermissionsError: return QStringLiteral("没有权限");
    case QFileDevice::CopyError: return QStringLiteral("复制失败");
    case QFileDevice::UnspecifiedError: break;
    }
    return QStringLiteral("原因不明");
}

QString reportedLines(const QStringList& lines) {
    constexpr qsizetype kShown = 10;
    QString text;
    for (qsizetype i = 0; i < lines.size() && i < kShown; ++i) text += u'\n' + lines[i];
    if (lines.size() > kShown) text += QStringLiteral("\n……");
    return text;
}

} // namespace kinoleaf
