#include "playback/repeat_marks.h"

#include <cmath>

namespace varendo::playback {

namespace {

int offset(MarkWindow window)
{
    return window == MarkWindow::Main ? 10 : 0;
}

} // namespace

int roundHalfAway(double value)
{
    return int(std::round(value)); // std::round takes halves away from zero
}

int markLeft(MarkWindow window, int width, int maximum, int value)
{
    if (maximum <= 0)
        return offset(window);
    return roundHalfAway(double(width - 20) / double(maximum) * double(value)) + offset(window);
}

int markValue(MarkWindow window, int width, int maximum, int left)
{
    const double pixelsPerUnit = maximum > 0 ? double(width - 20) / double(maximum) : 0.0;
    if (!(pixelsPerUnit > 0.0))
        return 0;
    return roundHalfAway(double(left - offset(window)) / pixelsPerUnit);
}

} // namespace varendo::playback
