// Plays a video in the components laid out as in the main window, for a look
// on a real display: varendo_video_demo [file] [seconds] [grab.png] [full-screen]
// Without a file it plays generated colour bars; a repeat stretch of 3..8 s
// shows as the track bar's band.
#include "gstreamer/core/teardown.h"
#include "layout_harness.h"
#include "video_media.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString path = args.value(1);
    if (path.isEmpty())
        path = varendo::test::h264File(640, 480, 20);
    if (path.isEmpty()) {
        std::fprintf(stderr, "no test video: %s\n", qPrintable(varendo::test::lastMediaError()));
        return 1;
    }
    const int seconds = args.value(2, QStringLiteral("8")).toInt();
    const QString grabPath = args.value(3);
    const bool fullScreen = args.value(4) == QLatin1String("full-screen");

    int status = 0;
    {
        varendo::test::MainVideoLayout layout;
        layout.window.show();
        layout.dstrckbr1->setSelStart(3);
        layout.dstrckbr1->setSelEnd(8);
        if (!layout.fltrgrph1->renderFile(path) || !layout.fltrgrph1->play()) {
            std::fprintf(stderr, "cannot play %s: %s\n", qPrintable(path), qPrintable(layout.fltrgrph1->lastError()));
            return 1;
        }
        if (fullScreen)
            layout.vdwndw1->setFullScreen(true);
        QTimer::singleShot(seconds * 1000, &app, [&] {
            if (!grabPath.isEmpty())
                layout.window.grab().save(grabPath);
            app.quit();
        });
        status = app.exec();
    }
    varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
    return status;
}
