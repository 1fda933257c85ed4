#pragma once
#include <QString>

namespace varendo {

// The version of the program file at that path: "major.minor.patch.build" for our
// own executable (the project's version and the number of commits it was built
// from, 0 outside a git checkout), empty for a file without version information,
// "-1" when the file cannot be read.
QString GetFileVersion(const QString& executablePath);

} // namespace varendo
