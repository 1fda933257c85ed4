// CPU used while an H.264 file plays in the main window's video area (and in
// full screen), beside gst-play-1.0 playing the same file in its own window and mpv
// drawing through X11 at the video area's size and full screen.
// Run it on a display (e.g. Xvfb) so both draw for real:
//   DISPLAY=:99 varendo_video_cpu_bench [seconds]
// CPU is user + system time over wall time, in percent of one core.
#include "gstreamer/core/teardown.h"
#include "layout_harness.h"
#include "video_media.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <cstdio>

#include "support/cpu_share.h"
#include "support/paint_counter.h"

namespace {

struct Sample {
    double cpuPercent = 0;
    double framesPerSecond = 0;
};

Sample playInWidget(const QString& path, int seconds, bool fullScreen)
{
    Sample sample;
    {
        varendo::test::MainVideoLayout layout;
        layout.window.show();
        if (!QTest::qWaitForWindowExposed(&layout.window))
            std::fprintf(stderr, "the window was not shown\n");
        if (!layout.fltrgrph1->renderFile(path) || !layout.fltrgrph1->play()) {
            std::fprintf(stderr, "cannot play %s: %s\n", qPrintable(path), qPrintable(layout.fltrgrph1->lastError()));
            return sample;
        }
        if (fullScreen)
            layout.vdwndw1->setFullScreen(true);
        QTest::qWait(2000);  // past the start
        varendo::bench::PaintCounter counter;
        QWidget* target = fullScreen ? layout.vdwndw1->fullScreenWindow() : layout.vdwndw1;
        target->installEventFilter(&counter);
        QElapsedTimer wall;
        wall.start();
        sample.cpuPercent = varendo::bench::selfShareOver(seconds * 1000);
        sample.framesPerSecond = counter.paints / (wall.elapsed() / 1000.0);
        target->removeEventFilter(&counter);
        layout.vdwndw1->setFullScreen(false);
    }
    varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
    return sample;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = app.arguments().value(1, QStringLiteral("10")).toInt();
    std::printf("platform %s, %d s measured after 2 s, CPU in %% of one core\n",
                qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("%-10s %-28s %8s %10s\n", "file", "player", "CPU %", "paints/s");
    for (const QSize size : {QSize(640, 480), QSize(1280, 720)}) {
        const QString path = varendo::test::h264File(size.width(), size.height(), seconds + 6);
        if (path.isEmpty()) {
            std::fprintf(stderr, "no test file: %s\n", qPrintable(varendo::test::lastMediaError()));
            return 1;
        }
        const QString name = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        const Sample inPlace = playInWidget(path, seconds, false);
        std::printf("%-10s %-28s %8.1f %10.1f\n", qPrintable(name), "video window 572x465", inPlace.cpuPercent,
                    inPlace.framesPerSecond);
        const Sample full = playInWidget(path, seconds, true);
        std::printf("%-10s %-28s %8.1f %10.1f\n", qPrintable(name), "video window, full screen", full.cpuPercent,
                    full.framesPerSecond);
        QString error;
        const double gstPlay = varendo::bench::gstPlayShare(path, 2000, seconds * 1000, {}, &error);
        std::printf("%-10s %-28s %8.1f %10s %s\n", qPrintable(name), "gst-play-1.0 (own window)", gstPlay, "-",
                    qPrintable(error));
        // mpv at the size the video area has in the main window.
        const double mpvWindow = varendo::bench::mpvShare(path, QSize(572, 465), 2000, seconds * 1000, &error);
        std::printf("%-10s %-28s %8.1f %10s %s\n", qPrintable(name), "mpv --vo=x11, 572x465", mpvWindow, "-",
                    qPrintable(error));
        const double mpvFull = varendo::bench::mpvShare(path, QSize(), 2000, seconds * 1000, &error);
        std::printf("%-10s %-28s %8.1f %10s %s\n", qPrintable(name), "mpv --vo=x11, full screen", mpvFull, "-",
                    qPrintable(error));
        if (mpvWindow > 0 && inPlace.cpuPercent > 0)
            std::printf("%-10s window: ours / mpv %.2f (goal 1.0); full screen / window %.2f (goal 1.2)\n",
                        qPrintable(name), inPlace.cpuPercent / mpvWindow, full.cpuPercent / inPlace.cpuPercent);
        std::fflush(stdout);
    }
    return 0;
}
