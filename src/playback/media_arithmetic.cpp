#include "playback/media_arithmetic.h"

#include <algorithm>
#include <cmath>

namespace varendo::playback {

int clampVolume(int volume)
{
    return std::clamp(volume, kMinVolume, kMaxVolume);
}

int volumeToAttenuation(int volume)
{
    const double scaled = std::log(static_cast<double>(clampVolume(volume)) + 1.0) * 1085.73;
    const int attenuation = static_cast<int>(std::lround(scaled)) - 10000;
    return std::clamp(attenuation, -10000, 0);
}

double attenuationToGain(int attenuation)
{
    if (attenuation <= -10000)
        return 0.0;
    return std::pow(10.0, std::min(attenuation, 0) / 2000.0);
}

TrackTick trackTickFor(qint64 currentMs, qint64 durationMs)
{
    TrackTick tick;
    tick.max = static_cast<int>(std::max<qint64>(durationMs, 0) / 1000);
    tick.position = static_cast<int>(std::max<qint64>(currentMs, 0) / 1000);
    return tick;
}

qint64 releaseSeekTargetMs(qint64 stopPositionMs, int position, int max)
{
    if (max <= 0 || stopPositionMs < 0)
        return -1;
    const qint64 clamped = std::clamp(position, 0, max);
    return stopPositionMs * clamped / max;
}

QRect fitVideoRect(QSize sourceSize, double pixelAspect, const QRect& area)
{
    if (sourceSize.isEmpty() || area.isEmpty() || !(pixelAspect > 0.0))
        return {};
    const double displayWidth = sourceSize.width() * pixelAspect;
    const double displayHeight = sourceSize.height();
    const double scale = std::min(area.width() / displayWidth, area.height() / displayHeight);
    const int w = std::clamp(static_cast<int>(std::lround(displayWidth * scale)), 1, area.width());
    const int h = std::clamp(static_cast<int>(std::lround(displayHeight * scale)), 1, area.height());
    return {area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h};
}

} // namespace varendo::playback
