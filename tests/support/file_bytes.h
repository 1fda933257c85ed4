#pragma once
// A file's bytes in one call, for tests that check what the program wrote or
// lay out what it will read.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace varendo::test {

// Empty when the file cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace varendo::test
