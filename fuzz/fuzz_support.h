#pragma once
// What the fuzz targets share: checking a property, splitting one input into
// several, and a scratch folder for readers that take a file name.
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace varendo::fuzz {

// Stops the run with a report when a property does not hold; libFuzzer keeps the input.
void require(bool holds, const char* property);

inline QByteArray bytesOf(const uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input cut at each separator, the separators left out; always at least one part.
QList<QByteArray> splitInput(const QByteArray& input, const QByteArray& separator);

// A folder of this process, removed at exit; in memory (/dev/shm) where there is one.
QString scratchFolder();
// Writes bytes to path whole, creating its folder; a failure stops the run.
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace varendo::fuzz
