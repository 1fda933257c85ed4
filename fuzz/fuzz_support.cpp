#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace varendo::fuzz {

void require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz: property does not hold: %s\n", property);
    std::abort();
}

QList<QByteArray> splitInput(const QByteArray& input, const QByteArray& separator)
{
    QList<QByteArray> parts;
    qsizetype from = 0;
    for (qsizetype at; (at = input.indexOf(separator, from)) >= 0; from = at + separator.size())
        parts << input.mid(from, at - from);
    parts << input.mid(from);
    return parts;
}

QString scratchFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                : QDir::tempPath();
        auto made = std::make_unique<QTemporaryDir>(base + QStringLiteral("/varendo-fuzz-XXXXXX"));
        require(made->isValid(), "a scratch folder can be made");
        return made;
    }();
    return dir->path();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
            "a scratch file can be written");
}

} // namespace varendo::fuzz
