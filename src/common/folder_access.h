#pragma once
// Whether the program can keep anything in a folder: tried by writing, since
// permission bits do not tell the whole story (read-only mounts, root).
#include <QString>

namespace varendo {

// True when a file can be created in folder (and is removed again at once).
bool acceptsWrites(const QString& folder);

} // namespace varendo
