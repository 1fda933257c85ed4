#pragma once
// The program's own pictures, kept in its resources and read with Qt's image readers.
#include <QPixmap>
#include <QSize>
#include <QString>

namespace varendo {

// The picture of that name ("board", "about") drawn at the given size; an empty
// pixmap when it cannot be read, so a window shows a blank box rather than failing.
QPixmap loadPicture(const QString& name, const QSize& size);

} // namespace varendo
