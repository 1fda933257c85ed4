#pragma once
// Small helpers shared by the playback tests that play real files.
#include "playback/media_graph.h"
#include "playback/video_window.h"

#include <QColor>
#include <QImage>
#include <QTest>

namespace varendo::test {

// Colours within a lossy codec's reach of each other.
inline bool near(const QColor& a, const QColor& b, int tolerance = 40)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

inline bool isBlack(const QColor& c)
{
    return c.red() < 16 && c.green() < 16 && c.blue() < 16;
}

// Waits (bounded) for a frame newer than the one shown now.
inline bool waitForNewFrame(const TVideoWindow& window, int timeoutMs = 15000)
{
    const qint64 before = window.hasFrame() ? window.frame().image.cacheKey() : 0;
    return QTest::qWaitFor([&] { return window.hasFrame() && window.frame().image.cacheKey() != before; },
                           timeoutMs);
}

inline QColor pixelOf(QWidget& widget, QPoint at)
{
    return widget.grab().toImage().pixelColor(at);
}

} // namespace varendo::test
