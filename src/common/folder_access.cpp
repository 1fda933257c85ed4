#include "common/folder_access.h"

#include <QDir>
#include <QTemporaryFile>

namespace varendo {

bool acceptsWrites(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".varendo-write-test-XXXXXX")));
    return probe.open(); // removed when the probe goes
}

} // namespace varendo
