// A-B repeat for a long time, as a learner drills one stretch: the real windows on
// a copy of the demo course, the third lesson in audio or in video mode, a stretch
// of three seconds repeated until the time is up. It counts the jumps back to A and
// every stall: the player says it is playing and repeating, yet the position has not
// moved for a second. A stall the player gets out of by itself is "recovered"; one
// that lasts 15 s is "stuck for good" (the learner would have given up): the bench
// then stops, plays and sets the stretch again, and goes on.
//
//   repeat_loop_bench audio|video [minutes (30)]
//
// Run it under the test null sink (eval "$(bash scripts/pulse-null-sink.sh)") so the
// sound output keeps to a real clock; Qt's offscreen platform unless QT_QPA_PLATFORM
// names another. A status line every minute; the totals at the end.
#include "app/application_setup.h"
#include "audio/audio_object.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/core/teardown.h"
#include "gstreamer/video/gst_media_engine.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "ui/main_window.h"
#include "ui/platform_services.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "support/demo_folder.h"
#include "support/cpu_share.h"

using namespace varendo;
using varendo::bench::runEventLoop;
using varendo::bench::waitFor;

namespace {

constexpr qint64 kStallMs = 1000;      // unmoved this long while playing: a stall
constexpr qint64 kStuckMs = 15000;     // unmoved this long: stuck for good
constexpr int kStretchSeconds = 3;

class Loop {
public:
    Loop(TForm1* f, bool audio) : f_(f), audio_(audio), unitMs_(audio ? 100 : 1000) {}

    qint64 position() const
    {
        return audio_ ? f_->audioPlayer->GetPosition() : f_->fltrgrph1->currentPositionMs().value_or(-1);
    }
    bool playing() const
    {
        return audio_ ? f_->audioPlayer->State == TAudioEngine::StatePlaying
                      : f_->fltrgrph1->state() == TFilterGraph::State::Playing;
    }

    // Plays the lesson from its start and sets the stretch A-B as the learner does:
    // A when the bar reaches two seconds, B three seconds later, then 复读.
    bool start()
    {
        f_->btStopClick(nullptr);
        f_->C1Click(nullptr);
        f_->rzchcklst1->setCurrentIndex(std::min(1, f_->rzchcklst1->count() - 1));
        f_->rg1->SetItemIndex(audio_ ? 1 : 0);
        f_->rg1Click(f_->rg1);
        if (!playing())
            f_->btPlayClick(nullptr);
        TDSTrackBar* bar = f_->dstrckbr1;
        const int a = 2000 / unitMs_;
        if (!waitFor([&] { return bar->maximum() > a && bar->value() >= a; }, 20000)) {
            std::printf("  the lesson did not reach A (bar %d of %d)\n", bar->value(), bar->maximum());
            return false;
        }
        f_->btnaClick(nullptr);
        if (!waitFor([&] { return bar->value() >= bar->selStart() + kStretchSeconds * 1000 / unitMs_; }, 20000)) {
            std::printf("  the lesson did not reach B (bar %d of %d)\n", bar->value(), bar->maximum());
            return false;
        }
        f_->btnbClick(nullptr);
        f_->btretuClick(nullptr);
        return f_->repeatOn;
    }

    TForm1* f_;
    const bool audio_;
    const int unitMs_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    if (argc < 2 || (std::strcmp(argv[1], "audio") != 0 && std::strcmp(argv[1], "video") != 0)) {
        std::fprintf(stderr, "usage: repeat_loop_bench audio|video [minutes]\n");
        return 2;
    }
    const bool audioMode = std::strcmp(argv[1], "audio") == 0;
    const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;

    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    if (!dir.isValid() || !bench::copyDemoProgramFolder(folder))
        return 1;
    std::printf("%s mode, %d min, sound %s\n", audioMode ? "audio" : "video", minutes,
                qEnvironmentVariableIsEmpty("PULSE_SERVER") ? "default output" : qgetenv("PULSE_SERVER").constData());

    int jumps = 0, stalls = 0, recovered = 0, stuck = 0, restarts = 0;
    qint64 longestStallMs = 0;
    {
        const auto audio = gst::createAudioLibrary();
        int messages = 0;
        auto windows = createWindows(folder, {.audio = *audio,
                                              .mediaEngines = gst::mediaEngineFactory(),
                                              .wave = {},
                                              .messages = [&messages](const QString& text, bool) {
                                                  if (++messages <= 10)
                                                      std::fprintf(stderr, "message: %s\n", qPrintable(text));
                                              },
                                              .openDocument = {}});
        TForm1* f = windows->Form1;
        f->show();
        waitFor([&] { return f->firstShowDone; }, 10000);
        runEventLoop(500);
        Loop loop(f, audioMode);
        if (!loop.start()) {
            std::printf("the repeat did not start\n");
            return 1;
        }
        QElapsedTimer clock, moved;
        clock.start();
        moved.start();
        qint64 last = loop.position();
        bool inStall = false;
        int minute = 0;
        std::printf("minute  jumps  stalls  recovered  stuck\n");
        std::fflush(stdout);
        while (clock.elapsed() < minutes * 60000LL) {
            runEventLoop(20);
            const qint64 now = loop.position();
            if (now != last) {
                if (now < last - 500)
                    ++jumps;
                if (inStall) {
                    ++recovered;
                    longestStallMs = std::max(longestStallMs, moved.elapsed());
                    inStall = false;
                }
                last = now;
                moved.start();
            } else if (loop.playing() && f->repeatOn) {
                if (!inStall && moved.elapsed() >= kStallMs) {
                    inStall = true;
                    ++stalls;
                    std::printf("  %.1f s: stall at %lld ms\n", double(clock.elapsed()) / 1000.0, now);
                }
                if (inStall && moved.elapsed() >= kStuckMs) {
                    ++stuck;
                    longestStallMs = std::max(longestStallMs, moved.elapsed());
                    std::printf("  %.1f s: stuck for good at %lld ms; stop, play and set the stretch again\n",
                                double(clock.elapsed()) / 1000.0, now);
                    inStall = false;
                    ++restarts;
                    if (!loop.start()) {
                        std::printf("the repeat did not start again\n");
                        break;
                    }
                    last = loop.position();
                    moved.start();
                }
            } else {
                moved.start(); // not meant to move now
            }
            if (clock.elapsed() >= (minute + 1) * 60000LL) {
                ++minute;
                std::printf("%6d %6d %7d %10d %6d\n", minute, jumps, stalls, recovered, stuck);
                std::fflush(stdout);
            }
        }
        f->btStopClick(nullptr);
        windows.reset();
    }
    gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
    std::printf("\n%s mode, %d min: %d jumps back to A, %d stalls (unmoved >= %lld ms), %d recovered by the player, "
                "%d stuck for good (>= %lld s); longest stall %.1f s\n",
                audioMode ? "audio" : "video", minutes, jumps, stalls, kStallMs, recovered, stuck, kStuckMs / 1000,
                double(longestStallMs) / 1000.0);
    return 0;
}
