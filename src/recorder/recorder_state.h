#pragma once
// The recorder's state as its three buttons show it: each state has its own
// picture on the record, play and stop buttons, and every handler decides by
// looking at those pictures. The numbers index the main window's image list.
#include "common/recording_format.h"

#include <QtGlobal>

namespace varendo::recorder {

namespace image {
constexpr int kRecord = 0;     // record: ready
constexpr int kPlaying = 1;    // record button while a recording plays
constexpr int kPlay = 2;       // play: ready
constexpr int kPlayBusy = 3;   // play button while recording or playing
constexpr int kStop = 4;       // stop: something to stop
constexpr int kStopIdle = 5;   // stop: nothing to stop
constexpr int kRecording = 20; // record button while recording
} // namespace image

enum class RecorderState { Idle, Recording, Playing };

struct RecorderImages {
    int record = image::kRecord;
    int play = image::kPlay;
    int stop = image::kStopIdle;
    friend bool operator==(const RecorderImages&, const RecorderImages&) = default;
};

constexpr RecorderImages imagesFor(RecorderState state)
{
    switch (state) {
    case RecorderState::Recording:
        return {image::kRecording, image::kPlayBusy, image::kStop};
    case RecorderState::Playing:
        return {image::kPlaying, image::kPlayBusy, image::kStop};
    case RecorderState::Idle:
        break;
    }
    return {image::kRecord, image::kPlay, image::kStopIdle};
}

// A recording's bytes: 65-byte blocks, 1625 bytes a second of sound.
constexpr qint64 kBytesPerSecond = gsmRecordingFormat().avgBytesPerSec;
constexpr qint64 kBlockBytes = gsmRecordingFormat().blockAlign;
// Whole seconds of a recording of size bytes, the rest dropped.
constexpr qint64 recordingSeconds(qint64 size) { return size / kBytesPerSecond; }
// Whole blocks; bytes after the last whole block are not played.
constexpr qint64 recordingBlocks(qint64 size) { return size / kBlockBytes; }

// Where the playing progress stands after `ticks` seconds of a recording of
// `seconds` whole seconds. Playing ends one second after the last whole
// second, so the total shown is seconds + 1.
struct PlayProgress {
    int percent = 0;
    qint64 playedMs = 0;
    qint64 totalMs = 0;
    bool finished = false;
};
constexpr PlayProgress playProgress(qint64 ticks, qint64 seconds)
{
    PlayProgress p;
    p.percent = seconds > 0 ? int(ticks * 100 / seconds) : 100;
    p.playedMs = ticks * 1000;
    p.totalMs = (seconds + 1) * 1000;
    p.finished = ticks >= seconds + 1;
    return p;
}

} // namespace varendo::recorder
