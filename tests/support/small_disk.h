#pragma once
// A real small disk for tests of full and read-only disks: a tmpfs mounted on
// a folder (the tests run as root), filled up to the last byte on request.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace varendo::test {

class SmallDisk {
public:
    // Mounts a tmpfs of the given size on folder, which must exist.
    SmallDisk(const QString& folder, const char* size = "size=512k") : folder_(QFile::encodeName(folder))
    {
        mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, size) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }

    // Writes a filler file until the disk takes no more; true when it is full.
    bool fill()
    {
        const QByteArray filler = folder_ + "/filler";
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray chunk(4096, 'f');
        bool full = false;
        for (int size = 4096; size >= 1; size /= 2) {
            while (::write(fd, chunk.constData(), size_t(size)) == size) {
            }
            full = errno == ENOSPC;
        }
        ::close(fd);
        return full;
    }
    // Makes room again.
    void free() { ::unlink((folder_ + "/filler").constData()); }

    // Nothing can be written on the disk from now on; false when that failed.
    bool makeReadOnly()
    {
        return ::mount("tmpfs", folder_.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray folder_;
    bool mounted_ = false;
};

} // namespace varendo::test
