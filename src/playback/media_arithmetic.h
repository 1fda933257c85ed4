#pragma once
// Plain arithmetic behind the media graph, the video window and the position
// track bar: volume scale, track-bar ticks, seeking on release, video fitting.
#include <QRect>
#include <QSize>
#include <QtGlobal>

namespace varendo::playback {

inline constexpr int kMinVolume = 0;
inline constexpr int kMaxVolume = 10000;

// Keeps a volume inside 0..10000.
int clampVolume(int volume);

// The slider volume 0..10000 on the attenuation scale in hundredths of a decibel:
// round(ln(v + 1) * 1085.73) - 10000, kept within -10000..0, so 0 is silent
// (-100 dB) and 10000 is full level.
int volumeToAttenuation(int volume);

// Linear gain for an attenuation in hundredths of a decibel; -10000 and below is silence.
double attenuationToGain(int attenuation);

// What one tick of the position track bar shows, in whole seconds.
struct TrackTick {
    int min = 0;
    int max = 0;
    int position = 0;
};

// Positions in milliseconds to the track bar's whole seconds (truncated).
TrackTick trackTickFor(qint64 currentMs, qint64 durationMs);

// Where a release of the track bar's button seeks to, in milliseconds:
// stop position * position / max. No seek (-1) while max is not positive
// or the stop position is unknown.
qint64 releaseSeekTargetMs(qint64 stopPositionMs, int position, int max);

// The largest rectangle of the video's display aspect that fits inside area,
// centred in it. sourceSize is in pixels, pixelAspect their width / height.
// Empty when there is nothing to show.
QRect fitVideoRect(QSize sourceSize, double pixelAspect, const QRect& area);

} // namespace varendo::playback
