#pragma once
// TAudioObject: the audio engine with a playlist. Names handed to LoadAndPlay are
// appended (list files are read into their entries) and the first of them starts.
//
// The program creates one, in the main window, over the real library:
//     std::unique_ptr<varendo::AudioLibrary> library = varendo::gst::createAudioLibrary();
//     varendo::TAudioObject audioPlayer(*library, mainWindow);
#include "audio/audio_engine.h"
#include "audio/playlist.h"

#include <QStringList>

namespace varendo {

class TAudioObject : public TAudioEngine {
public:
    TAudioObject(AudioLibrary& library, QObject* windowHandle);

    // ".pls" and ".m3u" names (case ignored) are read into the playlist; others are ignored.
    void AddPlaylistFile(const QString& name, bool clear);
    void LoadAndPlay(const QStringList& names);
    // Starts the entry after the one started last, wrapping to the first.
    void PlayNext();
    QString GetFilter() const override;

    TPlaylist Playlist;
    int CurrentIndex = -1; // the entry PlayNext started last; -1 before the first
};

} // namespace varendo
