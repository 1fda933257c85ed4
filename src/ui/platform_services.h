#pragma once
// The platform services the windows run on, built once by main() and handed to
// the windows. A test builds a set of its own, so every set of windows it starts
// has fresh services and nothing is left behind in the process.
#include "playback/media_engine.h"
#include "recorder/wave_service.h"
#include "ui/message_box.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace varendo {

class AudioLibrary;

// Opens a document with the desktop's default program for its kind; false when none
// could be started.
using DocumentOpener = std::function<bool(const QString& path)>;

// A launcher (a desktop entry) the desktop shows the program by and starts it with.
struct Launcher {
    QString name;          // the title under the icon and in the menu
    QString comment;       // the tooltip
    QStringList command;   // the program's full path, then its arguments
    QString workingFolder; // the folder it starts in
    QString icon;          // an icon file's full path; empty: the desktop's default
};
// Writes a launcher file whole and marks it trusted where the desktop asks for
// that; raises VarendoError when it cannot be written.
using LauncherWriter = std::function<void(const QString& path, const Launcher& launcher)>;
// The version of a program file, as the about box shows it.
using VersionReader = std::function<QString(const QString& executablePath)>;

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
    // Opens the help guide; empty: it cannot be opened (the learner is told).
    DocumentOpener openDocument;
    // Writes the desktop and menu launchers; empty: none can be made (the learner is told).
    LauncherWriter writeLauncher = {};
    // Reads the program file's version; empty: the about box shows none.
    VersionReader fileVersion = {};
};

} // namespace varendo
