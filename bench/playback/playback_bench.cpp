// CPU used, and how long the windows go without answering, while the main window
// plays the demo course's starting lesson: first as audio with sentence tracking,
// then as video in the window's 572×465 video area; each beside gst-play-1.0 playing
// the same file for the same time. Then the starting lesson's MP3 opened directly with
// a 50 MB lyric file beside it, and with one just under the size the program reads.
//
//   playback_bench [seconds]     (default 10 s per measurement)
//
// The windows run on a copy of the program folder the build lays out (build/varendo:
// the lesson database and its video and mp3 folders; scripts/program-folder.sh makes
// it when missing), on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
// Sound goes where the program would send it: run it with ./test.sh's null sink
// (eval "$(bash scripts/pulse-null-sink.sh)"), else the silent output plays in real
// time. The sound server's own CPU is not counted, for either player.
//
// CPU is user + system time of every thread of the process over wall time, in percent
// of one core. The longest gap is the most time between two turns of a 10 ms timer on
// the windows' thread (10 ms when nothing held it up); the timer's own turns are part
// of the CPU counted. Without a display, gst-play-1.0 cannot open a window: it is given
// a sink that converts and scales each frame to the size the video area shows it at,
// as the program's engine does before it paints, and keeps to the clock.
#include "app/application_setup.h"
#include "audio/audio_object.h"
#include "common/varendo_error.h"
#include "database/lesson_schema.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/core/gst_core.h"
#include "gstreamer/core/teardown.h"
#include "gstreamer/video/gst_media_engine.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/sentence_tracking.h"
#include "playback/video_window.h"
#include "ui/main_window.h"
#include "ui/platform_services.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>
#include <QToolButton>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "support/cpu_share.h"
#include "support/demo_folder.h"
#include "support/loop_gaps.h"
#include "support/paint_counter.h"

using namespace varendo;
using varendo::bench::runEventLoop;
using varendo::bench::waitFor;

namespace {

// ---- Measuring

struct WindowSample {
    double cpuPercent = -1;
    double longestGapMs = -1;
    double longestGapAt = 0; // seconds into the measurement
    double seconds = 0;
};

// The windows' CPU share and their event loop's longest gap while they run for ms.
WindowSample measureWindows(int ms)
{
    WindowSample sample;
    bench::LoopGaps gaps;
    QElapsedTimer wall;
    wall.start();
    gaps.start();
    sample.cpuPercent = bench::selfShareOver(ms);
    sample.longestGapMs = gaps.stop();
    sample.longestGapAt = gaps.longestAt();
    sample.seconds = double(wall.elapsed()) / 1000.0;
    return sample;
}

struct Row {
    const char* what;
    WindowSample ours;
    double gstPlayPercent = -1;
    long oursKiB = 0;    // resident memory at the end of the measurement
    long gstPlayKiB = 0; // the same of gst-play-1.0
};

const char* audioStateName(int state)
{
    switch (state) {
    case TAudioEngine::StatePlaying:
        return "playing";
    case TAudioEngine::StatePaused:
        return "paused";
    case TAudioEngine::StateStopped:
        return "stopped";
    default:
        return "other";
    }
}

const char* graphStateName(TFilterGraph::State state)
{
    switch (state) {
    case TFilterGraph::State::Playing:
        return "playing";
    case TFilterGraph::State::Paused:
        return "paused";
    case TFilterGraph::State::Stopped:
        return "stopped";
    case TFilterGraph::State::Uninitialised:
        break;
    }
    return "no file";
}

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

// The sentence selected in the lesson text changes as tracking marks the spoken ones.
class SentenceCounter {
public:
    explicit SentenceCounter(QPlainTextEdit* text) : text_(text)
    {
        connection_ = QObject::connect(text, &QPlainTextEdit::selectionChanged, [this] {
            const QString selected = text_->textCursor().selectedText();
            if (!selected.isEmpty() && selected != last_) {
                last_ = selected;
                ++marked;
            }
        });
    }
    ~SentenceCounter() { QObject::disconnect(connection_); }
    SentenceCounter(const SentenceCounter&) = delete;
    SentenceCounter& operator=(const SentenceCounter&) = delete;

    int marked = 0;

private:
    QPlainTextEdit* text_;
    QString last_;
    QMetaObject::Connection connection_;
};

// Switches the playback format as the learner does with the format choice: the
// selected lesson loads and plays in the other player. How long the switch held the
// window up, in milliseconds.
qint64 switchFormat(TForm1* f, int index)
{
    QElapsedTimer wall;
    wall.start();
    f->rg1->SetItemIndex(index);
    f->rg1Click(f->rg1);
    return wall.elapsed();
}

Row audioLesson(TForm1* f, int ms)
{
    Row row{"audio lesson, tracking", {}, -1};
    const qint64 switching = switchFormat(f, 1);
    const QString mp3 = f->audioPlayer->GetFileName();
    std::printf("audio: %s\n", qPrintable(mp3));
    std::printf("  switch to audio took %lld ms; mode %s, %s, tracking %s\n", switching, qPrintable(f->playMode),
                audioStateName(f->audioPlayer->State), f->N12->isChecked() ? "on" : "off");
    if (f->audioPlayer->State != TAudioEngine::StatePlaying) {
        std::printf("  the lesson did not play\n");
        return row;
    }
    runEventLoop(1000); // past the start
    SentenceCounter sentences(f->mmo1);
    const int from = f->audioPlayer->GetPosition();
    const QString statusFrom = f->StatusBar->text();
    row.ours = measureWindows(ms);
    row.oursKiB = bench::residentKiB(0);
    const int to = f->audioPlayer->GetPosition();
    std::printf("  position %s -> %s of %s (%.1f s measured, longest gap ending %.1f s in), %s\n",
                qPrintable(seconds(from)), qPrintable(seconds(to)), qPrintable(seconds(f->audioPlayer->GetLength())),
                row.ours.seconds, row.ours.longestGapAt, audioStateName(f->audioPlayer->State));
    std::printf("  status \"%s\" -> \"%s\"; %d sentences marked, the last \"%s\"\n", qPrintable(statusFrom),
                qPrintable(f->StatusBar->text()), sentences.marked,
                qPrintable(f->mmo1->textCursor().selectedText()));
    // gst-play-1.0 plays alone.
    f->btStopClick(nullptr);
    QString error;
    row.gstPlayPercent = bench::gstPlayShare(mp3, 1000, ms, {}, &error, &row.gstPlayKiB);
    if (row.gstPlayPercent < 0)
        std::printf("  gst-play-1.0: %s\n", qPrintable(error));
    return row;
}

// gst-play-1.0's video sink: its own window on a display; without one, frames
// converted and scaled to the size the video area shows them at, kept to the clock.
QStringList gstPlayVideoOptions(QSize frame)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    const QString scale = gst::hasElement("videoconvertscale") ? QStringLiteral("videoconvertscale")
                                                               : QStringLiteral("videoconvert ! videoscale");
    // The engine's frames are 32-bit BGRx, the format the window paints without converting.
    return {QStringLiteral("--videosink=%1 ! video/x-raw,format=BGRx,width=%2,height=%3 ! fakesink sync=true")
                .arg(scale)
                .arg(frame.width())
                .arg(frame.height())};
}

Row videoLesson(TForm1* f, int ms)
{
    Row row{"video lesson, 572x465", {}, -1};
    const qint64 switching = switchFormat(f, 0);
    // The position bar's tool tip names the file that plays.
    const QString video = f->dstrckbr1->toolTip().section(QLatin1Char(':'), 1, -1);
    std::printf("video: %s\n", qPrintable(video));
    std::printf("  switch to video took %lld ms; mode %s, %s\n", switching, qPrintable(f->playMode),
                graphStateName(f->fltrgrph1->state()));
    if (!waitFor([&] { return f->vdwndw1->hasFrame(); }, 10000)) {
        std::printf("  no picture was shown: %s\n", qPrintable(f->fltrgrph1->lastError()));
        return row;
    }
    runEventLoop(2000); // past the start
    bench::PaintCounter paints;
    f->vdwndw1->installEventFilter(&paints);
    const qint64 from = f->fltrgrph1->currentPositionMs().value_or(-1);
    const QString statusFrom = f->StatusBar->text();
    row.ours = measureWindows(ms);
    row.oursKiB = bench::residentKiB(0);
    f->vdwndw1->removeEventFilter(&paints);
    const qint64 to = f->fltrgrph1->currentPositionMs().value_or(-1);
    const QSize frame = f->vdwndw1->frame().image.size();
    std::printf("  position %s -> %s of %s (%.1f s measured, longest gap ending %.1f s in), %s\n",
                qPrintable(seconds(from)), qPrintable(seconds(to)),
                qPrintable(seconds(f->fltrgrph1->durationMs().value_or(-1))), row.ours.seconds,
                row.ours.longestGapAt, graphStateName(f->fltrgrph1->state()));
    std::printf("  status \"%s\" -> \"%s\"; frames %dx%d, %.1f paints/s of the video window\n",
                qPrintable(statusFrom), qPrintable(f->StatusBar->text()), frame.width(), frame.height(),
                paints.paints / row.ours.seconds);
    f->btStopClick(nullptr);
    const QStringList options = gstPlayVideoOptions(frame);
    std::printf("  gst-play-1.0 video sink: %s\n",
                options.isEmpty() ? "its own window" : qPrintable(options.first().section(QLatin1Char('='), 1, -1)));
    QString error;
    row.gstPlayPercent = bench::gstPlayShare(video, 2000, ms, options, &error, &row.gstPlayKiB);
    if (row.gstPlayPercent < 0)
        std::printf("  gst-play-1.0: %s\n", qPrintable(error));
    return row;
}

// How far past B playback runs before each jump back to A, over 20 loops of a
// one-second stretch (the ticks decide when to jump, so up to one tick is expected).
void repeatOvershoot(TForm1* f, bool audio)
{
    // Lesson 3: its video can be sought (the first lesson's RealMedia file cannot).
    f->rzchcklst1->setCurrentIndex(std::min(1, f->rzchcklst1->count() - 1));
    switchFormat(f, audio ? 1 : 0);
    TDSTrackBar* bar = f->dstrckbr1;
    const int unitMs = audio ? 100 : 1000;
    const int a = audio ? 20 : 2;
    auto position = [&]() -> qint64 {
        return audio ? f->audioPlayer->GetPosition() : f->fltrgrph1->currentPositionMs().value_or(0);
    };
    // The bar takes the new player's units at its first tick.
    const int maximum = audio ? f->audioPlayer->GetLength() / 100 : -1;
    waitFor([&] { return audio ? bar->maximum() == maximum : bar->maximum() > 0 && bar->value() < a; }, 15000);
    if (!waitFor([&] { return bar->value() >= a; }, 15000)) {
        std::printf("repeat, %s: the lesson did not reach A\n", audio ? "audio" : "video");
        return;
    }
    f->btnaClick(nullptr);
    if (!waitFor([&] { return bar->value() >= bar->selStart() + 1000 / unitMs; }, 15000)) {
        std::printf("repeat, %s: the lesson did not reach B (at %d of %d)\n", audio ? "audio" : "video", bar->value(),
                    bar->maximum());
        return;
    }
    f->btnbClick(nullptr);
    const qint64 endMs = qint64(bar->selEnd()) * unitMs;
    f->btretuClick(nullptr);
    std::vector<qint64> past;
    qint64 last = position();
    QElapsedTimer clock;
    clock.start();
    qint64 lastPrint = 0;
    while (past.size() < 20 && clock.elapsed() < 120000) {
        runEventLoop(5);
        const qint64 now = position();
        if (now < last - 500)
            past.push_back(last - endMs);
        if (!f->repeatOn)
            break;
        if (qEnvironmentVariableIsSet("VARENDO_BENCH_TRACE") && clock.elapsed() - lastPrint > 250) {
            lastPrint = clock.elapsed();
            std::printf("  %6.2f s: position %lld, bar %d, tmr1 %d, state %d\n", double(clock.elapsed()) / 1000.0, now,
                        bar->value(), int(f->tmr1->isActive()), audio ? f->audioPlayer->State : int(f->fltrgrph1->state()));
        }
        last = now;
    }
    const bool wasRepeating = f->repeatOn;
    const int at = bar->value();
    f->btStopClick(nullptr);
    if (past.empty()) {
        std::printf("repeat, %s: no jump back seen (stretch %d..%d, at %d, %s, %.1f s)\n", audio ? "audio" : "video",
                    bar->selStart(), bar->selEnd(), at, wasRepeating ? "repeating" : "not repeating",
                    double(clock.elapsed()) / 1000.0);
        f->C1Click(nullptr);
        return;
    }
    f->C1Click(nullptr);
    double sum = 0;
    for (qint64 p : past)
        sum += double(p);
    std::printf("repeat, %s: past B before each jump: mean %.0f ms, worst %lld ms over %zu loops in %.1f s\n",
                audio ? "audio" : "video", sum / double(past.size()), *std::max_element(past.begin(), past.end()),
                past.size(), double(clock.elapsed()) / 1000.0);
}

// The first Play after start-up, half a second after the window came up (the sound
// output is found on a thread of its own meanwhile): from the click until the lesson
// plays, its first picture shown or its sound position moving.
void firstPlay(TForm1* f)
{
    QElapsedTimer clock;
    clock.start();
    f->btPlay->click();
    const auto plays = [f] {
        return (f->fltrgrph1->state() == TFilterGraph::State::Playing && f->vdwndw1->hasFrame())
               || (f->audioPlayer->State == TAudioEngine::StatePlaying && f->audioPlayer->GetPosition() > 0);
    };
    while (!plays() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(500);
    }
    std::printf("first Play after start-up: %s %lld ms after the click (goal: within 100 ms)\n",
                plays() ? "playing" : "NOT playing", static_cast<long long>(clock.elapsed()));
    f->btStopClick(nullptr);
    runEventLoop(300);
}

// An opened MP3 with a lyric file of `bytes` beside it: how long the window goes
// without answering, from the open (right after the window's paint) through `ms` of
// playing with sentence tracking. A file over the size the program reads is refused
// with a message; one just under it is read and tracked.
Row lyricsBeside(TForm1* f, const QString& folder, qint64 bytes, int ms, const char* what)
{
    Row row{what, {}, -1};
    const QString mp3 = folder + QStringLiteral("lyrics-bench.mp3");
    const QString lesson = f->audioDir.trimmed() + QStringLiteral("/1/001&002－Excuse Me.mp3");
    QFile::remove(mp3);
    if (!QFile::copy(lesson, mp3)) {
        std::printf("%s: cannot copy %s\n", what, qPrintable(lesson));
        return row;
    }
    QFile lyrics(folder + QStringLiteral("lyrics-bench.lrc"));
    if (!lyrics.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::printf("%s: cannot write %s\n", what, qPrintable(lyrics.fileName()));
        return row;
    }
    lyrics.write("[ti:bench]\r\n[ar:Varendo]\r\n");
    for (int n = 0; lyrics.size() < bytes; ++n) {
        const int s = n % 3600;
        lyrics.write(QStringLiteral("[%1:%2.00]Sentence number %3 of a long lyric file, as a broken tool writes it.\r\n")
                         .arg(s / 60, 2, 10, QLatin1Char('0'))
                         .arg(s % 60, 2, 10, QLatin1Char('0'))
                         .arg(n)
                         .toUtf8());
    }
    lyrics.close();
    f->repaint();
    QTimer::singleShot(0, f, [f, mp3] { f->playopenfiles(mp3); });
    row.ours = measureWindows(ms);
    row.oursKiB = bench::residentKiB(0);
    std::printf("%s: %.1f MB lyrics, %lld timing lines, pane %lld characters, %s; longest gap %.1f ms ending %.1f s in\n",
                what, double(bytes) / 1048576.0, static_cast<long long>(f->timingList.size()),
                static_cast<long long>(f->mmo1->document()->characterCount()), audioStateName(f->audioPlayer->State),
                row.ours.longestGapMs, row.ours.longestGapAt);
    f->btStopClick(nullptr);
    QFile::remove(lyrics.fileName());
    QFile::remove(mp3);
    return row;
}

QString percent(double value)
{
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    const int secondsEach = argc > 1 ? std::max(2, atoi(argv[1])) : 10;
    const int ms = secondsEach * 1000;

    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    if (!dir.isValid() || !bench::copyDemoProgramFolder(folder))
        return 1;
    std::printf("platform %s; sound %s; %d s measured per row\n", qPrintable(QGuiApplication::platformName()),
                qEnvironmentVariableIsEmpty("PULSE_SERVER") ? "default output (no PULSE_SERVER set)"
                                                            : qgetenv("PULSE_SERVER").constData(),
                secondsEach);

    QStringList messages;
    std::vector<Row> rows;
    {
        const auto audio = gst::createAudioLibrary();
        auto windows = createWindows(folder, {.audio = *audio,
                                              .mediaEngines = gst::mediaEngineFactory(),
                                              .wave = {},
                                              .messages = [&messages](const QString& text, bool) {
                                                  messages << text;
                                                  std::fprintf(stderr, "message: %s\n", qPrintable(text));
                                              },
                                              .openDocument = {}});
        TForm1* f = windows->Form1;
        f->show();
        if (!waitFor([&] { return f->firstShowDone; }, 10000))
            std::printf("the main window's first show did not run\n");
        runEventLoop(500);
        std::printf("lesson: %s %s\n", qPrintable(f->cbb1->currentText()), qPrintable(f->rzchcklst1->currentText()));
        firstPlay(f);

        rows.push_back(audioLesson(f, ms));
        rows.push_back(videoLesson(f, ms));
        rows.push_back(lyricsBeside(f, folder, 50LL * 1024 * 1024, ms, "50 MB lyric file"));
        rows.push_back(lyricsBeside(f, folder, playback::kLyricsLargest - 4096, ms, "largest lyric file read"));
        repeatOvershoot(f, true);
        repeatOvershoot(f, false);
        windows.reset();
    }
    gst::Teardown::instance().waitIdle(std::chrono::seconds(10));

    std::printf("\n%-24s %10s %14s %17s %9s %13s %6s\n", "what", "our CPU %", "gst-play CPU %", "longest gap ms",
                "our MiB", "gst-play MiB", "ratio");
    for (const Row& row : rows)
        std::printf("%-24s %10s %14s %17s %9.1f %13.1f %6.2f\n", row.what, qPrintable(percent(row.ours.cpuPercent)),
                    qPrintable(percent(row.gstPlayPercent)),
                    qPrintable(row.ours.longestGapMs < 0 ? QStringLiteral("-")
                                                         : QString::number(row.ours.longestGapMs, 'f', 1)),
                    row.oursKiB / 1024.0, row.gstPlayKiB / 1024.0,
                    row.gstPlayKiB > 0 ? double(row.oursKiB) / double(row.gstPlayKiB) : 0.0);
    std::printf("memory: resident at the end of each measurement; the goal for a video lesson is 1.1 of gst-play-1.0\n");
    if (!messages.isEmpty())
        std::printf("%lld message(s) shown, see above\n", static_cast<long long>(messages.size()));
    return 0;
}
