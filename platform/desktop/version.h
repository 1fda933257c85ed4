#pragma once
#include <QString>

namespace varendo {

// The version of the program file at that path: "major.minor.patch.build" for our
// own executable, empty for a file without version information, "-1" when the file
// cannot be read.
QString GetFileVersion(const QString& executablePath);

} // namespace varendo
