// CPU used by the audio engine, as a share of one core: while idle, and while playing
// an MP3 on the default output, beside gst-play-1.0 playing the same file.
//
//   audio_cpu_bench [seconds]     (default 10 s per measurement)
//
// Run it with the sound server the program would use (./test.sh's null sink will do:
// eval "$(bash scripts/pulse-null-sink.sh)"). The sound server's own CPU is not counted,
// for either player.
#include "audio/audio_object.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "sound_media.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include "support/cpu_share.h"

// Shares measured with the event loop running: the event loop's thread and the
// library's threads are all counted.
using varendo::bench::runEventLoop;
using varendo::bench::selfShareOver;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 10;
    const int ms = seconds * 1000;

    QTemporaryDir dir;
    const QString mp3 = dir.filePath(QStringLiteral("bench.mp3"));
    if (!varendo::test::writeTone(mp3, varendo::test::Encoding::Mp3, 440, seconds + 8.0)) {
        std::fprintf(stderr, "cannot generate the MP3 file\n");
        return 1;
    }
    std::printf("output: %s\n", qEnvironmentVariableIsEmpty("PULSE_SERVER")
                                    ? "default (no PULSE_SERVER set)"
                                    : qgetenv("PULSE_SERVER").constData());

    auto library = varendo::gst::createAudioLibrary();
    varendo::TAudioObject player(*library, nullptr);
    runEventLoop(500);
    std::printf("engine idle:              %6.2f %% of one core over %d s\n", selfShareOver(ms), seconds);

    // Opening waits for the file to be ready to play (its length is known at once). The
    // main window opens a lesson twice: LoadAndPlay, then Play from the beginning.
    QElapsedTimer opening;
    opening.start();
    player.LoadAndPlay({mp3});
    const qint64 first = opening.restart();
    player.Play(player.GetFileName());
    std::printf("engine opening MP3:       %6lld ms the first time (plugins load), %lld ms again\n", first,
                opening.elapsed());
    runEventLoop(1000); // past the start
    const double playing = selfShareOver(ms);
    std::printf("engine playing MP3:       %6.2f %% of one core over %d s (state %d, at %d ms)\n", playing, seconds,
                player.State, player.GetPosition());
    player.Stop();
    std::printf("engine stopped, file open: %5.2f %% of one core over %d s\n", selfShareOver(ms), seconds);

    QString error;
    const double gstPlay = varendo::bench::gstPlayShare(mp3, 1000, ms, {}, &error);
    if (gstPlay < 0)
        std::printf("gst-play-1.0 playing MP3: %s\n", qPrintable(error));
    else
        std::printf("gst-play-1.0 playing MP3: %6.2f %% of one core over %d s\n", gstPlay, seconds);
    return 0;
}
