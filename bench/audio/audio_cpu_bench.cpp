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
#include "test_media.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "support/process_cpu.h"

namespace {

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Share of one core the event loop's thread and the library's threads use over ms.
double engineShare(int ms)
{
    const double cpu = varendo::bench::selfCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runEventLoop(ms);
    return 100.0 * (varendo::bench::selfCpuSeconds() - cpu) / (double(wall.elapsed()) / 1000.0);
}

} // namespace

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
    std::printf("engine idle:              %6.2f %% of one core over %d s\n", engineShare(ms), seconds);

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
    const double playing = engineShare(ms);
    std::printf("engine playing MP3:       %6.2f %% of one core over %d s (state %d, at %d ms)\n", playing, seconds,
                player.State, player.GetPosition());
    player.Stop();
    std::printf("engine stopped, file open: %5.2f %% of one core over %d s\n", engineShare(ms), seconds);

    QProcess gstPlay;
    gstPlay.start(QStringLiteral("gst-play-1.0"), {QStringLiteral("--no-interactive"), QStringLiteral("-q"), mp3});
    if (!gstPlay.waitForStarted(5000)) {
        std::printf("gst-play-1.0 playing MP3: not run (%s)\n", qPrintable(gstPlay.errorString()));
        return 0;
    }
    QThread::msleep(1000);
    const double before = varendo::bench::processCpuSeconds(gstPlay.processId());
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(ulong(ms));
    const double after = varendo::bench::processCpuSeconds(gstPlay.processId());
    const double elapsed = double(wall.elapsed()) / 1000.0;
    gstPlay.kill();
    gstPlay.waitForFinished(5000);
    if (before < 0 || after < 0)
        std::printf("gst-play-1.0 playing MP3: ended early\n");
    else
        std::printf("gst-play-1.0 playing MP3: %6.2f %% of one core over %d s\n", 100.0 * (after - before) / elapsed,
                    seconds);
    return 0;
}
