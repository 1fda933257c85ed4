// CPU used while an H.264 file plays in the main window's video area (and in
// full screen), beside gst-play-1.0 playing the same file in its own window.
// Run it on a display (e.g. Xvfb) so both draw for real:
//   DISPLAY=:99 varendo_video_cpu_bench [seconds]
// CPU is user + system time over wall time, in percent of one core.
#include "gstreamer/core/teardown.h"
#include "layout_harness.h"
#include "test_media.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "support/process_cpu.h"

namespace {

struct Sample {
    double cpuPercent = 0;
    double framesPerSecond = 0;
};

// Counts the paints of the widget the video is drawn in.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
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
        PaintCounter counter;
        QWidget* target = fullScreen ? layout.vdwndw1->fullScreenWindow() : layout.vdwndw1;
        target->installEventFilter(&counter);
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = varendo::bench::selfCpuSeconds();
        QTest::qWait(seconds * 1000);
        const double cpu = varendo::bench::selfCpuSeconds() - cpuBefore;
        const double elapsed = wall.elapsed() / 1000.0;
        target->removeEventFilter(&counter);
        sample.cpuPercent = 100.0 * cpu / elapsed;
        sample.framesPerSecond = counter.paints / elapsed;
        layout.vdwndw1->setFullScreen(false);
    }
    varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
    return sample;
}

double playWithGstPlay(const QString& path, int seconds)
{
    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.start(QStringLiteral("gst-play-1.0"), {QStringLiteral("--no-interactive"), QStringLiteral("-q"), path});
    if (!player.waitForStarted(10000))
        return -1.0;
    QTest::qWait(2000);
    const double before = varendo::bench::processCpuSeconds(player.processId());
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const double after = varendo::bench::processCpuSeconds(player.processId());
    const double elapsed = wall.elapsed() / 1000.0;
    player.kill();
    player.waitForFinished(5000);
    if (before < 0 || after < 0)
        return -1.0;  // ended before the measurement did
    return 100.0 * (after - before) / elapsed;
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
        std::printf("%-10s %-28s %8.1f %10s\n", qPrintable(name), "gst-play-1.0 (own window)",
                    playWithGstPlay(path, seconds), "-");
        std::fflush(stdout);
    }
    return 0;
}
