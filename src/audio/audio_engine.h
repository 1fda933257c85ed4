#pragma once
// TAudioEngine: plays one audio source at a time (a local stream or tracker module, or an
// internet stream) through the streaming audio library, keeps the playback state, turns
// byte positions into milliseconds, notices when a local file has played to its end,
// and puts a ten-band equaliser on every local file.
//
// Everything runs on the thread that created the engine (the user-interface thread);
// the end watch is a timer of that thread's event loop.
#include "audio/audio_library.h"
#include "audio/stream_info.h"

#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>

class QObject;

namespace varendo {

class TAudioEngine {
public:
    static constexpr int StateStopped = 1001;
    static constexpr int StatePlaying = 1002;
    static constexpr int StatePaused = 1003;
    static constexpr int StateEnded = 1004;
    static constexpr int BandCount = 10;
    // The end watch stops a local file this many milliseconds before its length.
    static constexpr int EndMarginMs = 50;

    // Initialises the library on the default device at 44 100 Hz with a 0.5 s buffer.
    // The library must outlive the engine.
    TAudioEngine(AudioLibrary& library, QObject* windowHandle);
    virtual ~TAudioEngine();
    TAudioEngine(const TAudioEngine&) = delete;
    TAudioEngine& operator=(const TAudioEngine&) = delete;

    void SetDevice(int device);
    void Play(const QString& name);
    bool PlayURL(const QString& url);
    void Pause();
    void Resume();
    void Stop();
    int GetPosition();                 // milliseconds, never negative
    void SetPosition(int milliseconds);
    int GetLength();                   // milliseconds, never negative; 0 when unknown
    QString GetFileName() const { return FileName; }
    // Why the last file would not open or the channel stopped, in the learner's
    // words; empty when nothing failed or the library does not say.
    QString GetError();
    void SetVolume(int volume);        // 0..100
    // Playback rate with the pitch kept (1 normal), for the channel playing and every
    // local file played after it. Positions and lengths stay in the file's own time.
    void SetTempo(double rate);
    double GetTempo() const { return Tempo; }
    void SetBufferLength(int milliseconds);
    void SetEqualizer(const std::array<int, BandCount>& gains);
    void ApplyEqualizer();
    void AddEqualizer();
    static bool IsSupportedFile(const QString& name);
    QString GetTitle(const QString& name);
    // Fills info from the open channel (empty url) or from a temporary stream of url.
    void GetStreamInfo(const QString& url, TStreamInfo& info);
    virtual QString GetFilter() const;

    // The end watch: a local file at or past its length less EndMarginMs is stopped and
    // its state becomes StateEnded. Run by EndTimer; public so callers may check at once.
    void CheckEnd();
    // A local source that is still opening: its length is not known yet, and it
    // has not ended. The first file a process opens can take a moment.
    bool IsOpening();

    AudioHandle Channel = 0;
    int Frequency = 44100;
    int State = StateStopped;         // read by callers; changed only by the engine
    std::uint64_t LengthBytes = 0;
    int Device = -1;
    QObject* WindowHandle = nullptr;
    std::array<FxHandle, BandCount> FXHandles{};
    std::array<int, BandCount> EQCentres{80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 14000};
    std::array<int, BandCount> EQGains{};
    QString FileName;
    QTimer EndTimer;
    QString SaveFile;
    double Tempo = 1.0;

private:
    void freeChannel();
    // Arms the end watch: it looks again on the next turn of the event loop.
    void watchEnd();
    int bytesToMs(std::uint64_t bytes);

    AudioLibrary& library_;
    bool isModule_ = false;
};

} // namespace varendo
