#pragma once
// Windows whose layout is worked out from their outer size, frame included, take
// the frame as this much wider and taller than the inside; and where a window opens.
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace varendo {

constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 33;

// Moves a top-level window so that its middle is over the middle of another window.
inline void centreOver(QWidget& window, const QWidget& over)
{
    const QRect frame = window.frameGeometry();
    window.move(over.frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace varendo
