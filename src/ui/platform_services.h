#pragma once
// The platform services the windows run on, built once by main() and handed to
// the windows. A test builds a set of its own, so every set of windows it starts
// has fresh services and nothing is left behind in the process.
#include "playback/media_engine.h"
#include "recorder/wave_service.h"
#include "ui/message_box.h"

#include <QString>
#include <functional>
#include <memory>

namespace varendo {

class AudioLibrary;

// Opens a document with the desktop's default program for its kind; false when none
// could be started.
using DocumentOpener = std::function<bool(const QString& path)>;

struct PlatformServices {
    // What the audio engine plays through; it outlives the windows.
    AudioLibrary& audio;
    // Makes the media graph's engine (the media framework that plays video).
    playback::MediaEngineFactory mediaEngines;
    // The wave capture and output devices of the recorder; none: every open is refused.
    std::shared_ptr<WaveService> wave;
    // Where messages to the learner go; empty: modal message boxes.
    MessageSink messages;
    // Where questions to the learner go; empty: modal message boxes (see MessageBoxes).
    QuestionSink questions = {};
    // Opens the help guide; empty: the desktop's default program.
    DocumentOpener openDocument;
};

} // namespace varendo
