// Soak: the real windows, on the real media engine, audio library and sound
// devices, driven round and round through what a learner does: lessons switched in
// video and in audio mode, A-B loops, recordings made and played back, files opened
// directly, a folder searched into the media library, the progress board and the
// notes. Every minute it prints the resident memory and the open descriptors; at
// the end, their growth after the first minute.
// Usage: soak_bench [seconds (600)]   (needs a sound server: run under the null sink)
#include "dialog_answer.h"
#include "event_wait.h"

#include "app/application_setup.h"
#include "sound_media.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "gstreamer/wave/gst_wave_service.h"
#include "video_media.h"
#include "support/process_cpu.h"
#include "ui/main_window.h"
#include "ui/media_list_window.h"
#include "ui/notes_window.h"
#include "ui/platform_services.h"
#include "ui/progress_board.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>

using namespace varendo;

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    const int seconds = argc > 1 ? std::max(30, std::atoi(argv[1])) : 600;

    QTemporaryDir programDir;
    const QString folder = programDir.path() + QLatin1Char('/');
    QDir(folder).mkpath(QStringLiteral("video"));
    QDir(folder).mkpath(QStringLiteral("mp3/1"));
    QDir(folder).mkpath(QStringLiteral("media/a"));
    const QString avi = test::aviFile(6);
    if (avi.isEmpty()) {
        std::fprintf(stderr, "could not make the test video: %s\n", qPrintable(test::lastMediaError()));
        return 1;
    }
    for (int n = 1; n <= 4; ++n) {
        QFile::copy(avi, folder + QStringLiteral("video/lesson%1.avi").arg(n));
        if (!test::writeTone(folder + QStringLiteral("mp3/1/lesson%1.mp3").arg(n), test::Encoding::Mp3, 330 + 40 * n, 5))
            return 1;
    }
    for (int n = 0; n < 30; ++n)
        QFile::copy(avi, folder + QStringLiteral("media/a/clip%1.avi").arg(n));

    static const std::unique_ptr<AudioLibrary> audio = gst::createAudioLibrary();
    int messages = 0;
    auto windows = createWindows(folder, {.audio = *audio,
                                          .mediaEngines = gst::mediaEngineFactory(),
                                          .wave = gst::createWaveService(),
                                          .messages = [&messages](const QString& text, bool) {
                                              if (++messages <= 5)
                                                  std::fprintf(stderr, "message: %s\n", qPrintable(text));
                                          },
                                          .openDocument = {}});
    TForm1* f = windows->Form1;
    // Four lessons, numbered as book 1 numbers its rows.
    {
        auto con = f->database();
        for (int n = 1; n <= 4; ++n)
            con->exec(QStringLiteral("insert into book1 (课本号, 课程编号, 课程名, 视频文件名, 音频文件名) values (?,?,?,?,?)"),
                      {QStringLiteral("1"), QString::number(2 * n - 1), QStringLiteral("Lesson %1").arg(2 * n - 1),
                       QStringLiteral("lesson%1.avi").arg(n), QStringLiteral("lesson%1.mp3").arg(n)});
    }
    f->show();
    f->getkbs(QStringLiteral("1"));
    test::spinFor(500);

    QElapsedTimer clock;
    clock.start();
    long firstMinuteRss = 0;
    int firstMinuteFds = 0;
    int minute = 0, rounds = 0;
    std::printf("minute  RSS KiB  descriptors  rounds\n");
    std::printf("%6d %8ld %12d %7d\n", 0, bench::residentKiB(0), openDescriptors(), 0);
    std::fflush(stdout);
    while (clock.elapsed() < seconds * 1000LL) {
        ++rounds;
        // Lessons in video mode, then in audio mode, with an A-B loop in each.
        for (int mode : {0, 1}) {
            f->rg1->SetItemIndex(mode);
            f->rg1Click(f->rg1);
            for (int lesson = 0; lesson < 4; ++lesson) {
                f->rzchcklst1->setCurrentIndex(lesson);
                f->rzchcklst1Change(f->rzchcklst1);
                test::spinFor(700);
            }
            test::spinFor(1500); // the video's position moves in whole seconds
            f->btnaClick(nullptr);
            test::spinFor(2200);
            f->btnbClick(nullptr);
            f->btretuClick(nullptr);
            test::spinFor(2500);
            f->C1Click(nullptr);
            f->btStopClick(nullptr);
        }
        // A recording, played back.
        f->R3Click(f->R3);
        test::spinFor(1500);
        f->btnstopClick(f->btnstop);
        f->btnplayClick(f->btnplay);
        test::spinFor(1800);
        f->btnstopClick(f->btnstop);
        f->btnrecClick(f->btnrec);
        // A file opened directly, and a folder searched into the media library.
        f->playopenfiles(folder + QStringLiteral("media/a/clip0.avi"));
        test::spinFor(1000);
        f->btStopClick(nullptr);
        {
            test::DialogAnswer answer([&](QDialog* picker) { test::typeFileName(picker, folder + QStringLiteral("media")); });
            f->D1Click(f->D1);
            while (f->searchRunning)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            // Each search adds the folder's tree again; the learner's library would
            // grow with it. Removed, so every round ends where it began.
            QTreeWidget* tree = windows->Form6->tv1;
            delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
        }
        // The progress board and the notes, opened and closed.
        f->J1Click(f->J1);
        test::spinFor(200);
        windows->Form5->btn2->click();
        f->B1Click(f->B1);
        test::spinFor(200);
        windows->Form3->close();

        if (clock.elapsed() >= (minute + 1) * 60000LL) {
            ++minute;
            const long rss = bench::residentKiB(0);
            const int fds = openDescriptors();
            if (minute == 1) {
                firstMinuteRss = rss;
                firstMinuteFds = fds;
            }
            std::printf("%6d %8ld %12d %7d\n", minute, rss, fds, rounds);
            std::fflush(stdout);
        }
    }
    const long rss = bench::residentKiB(0);
    const int fds = openDescriptors();
    std::printf("after the first minute: RSS %+ld KiB, descriptors %+d; %d rounds in %d s; %d messages\n",
                minute >= 1 ? rss - firstMinuteRss : 0, minute >= 1 ? fds - firstMinuteFds : 0, rounds, seconds,
                messages);
    return 0;
}
