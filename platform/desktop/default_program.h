#pragma once
#include <QString>

namespace varendo::desktop {

// Opens a document with the program the desktop chooses for its kind (xdg-open).
// False when no such program could be started.
bool openWithDefaultProgram(const QString& path);

} // namespace varendo::desktop
