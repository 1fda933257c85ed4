#include "common/whole_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varendo {

QString fileErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁盘已满");
    case EDQUOT:
        return QStringLiteral("超出了磁盘配额");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case EISDIR:
        return QStringLiteral("同名的是一个文件夹");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool writeFully(int fd, const char* data, qint64 size, qint64* written)
{
    qint64 done = 0;
    bool ok = true;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            ok = false;
            break;
        }
        done += n;
    }
    if (written)
        *written = done;
    return ok;
}

bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    auto fail = [error](int code) {
        if (error)
            *error = fileErrorText(code);
        return false;
    };
    // A link stays a link: what it points to is replaced.
    const QFileInfo info(path);
    const QString finalPath = info.isSymLink() ? info.canonicalFilePath() : path;
    const QByteArray target = QFile::encodeName(finalPath.isEmpty() ? path : finalPath);

    struct stat old {};
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return fail(EISDIR);

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(errno);
    }
    if (fd < 0)
        return fail(EEXIST);

    bool ok = (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0 || errno == EPERM)
              && writeFully(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    int code = ok ? 0 : errno;
    // Some file systems only report a failed write when the file is closed.
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return fail(code);
    }
    return true;
}

} // namespace varendo
