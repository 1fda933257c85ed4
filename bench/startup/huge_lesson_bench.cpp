// A lesson whose title and translation are 20 MB each, the start lesson of its
// program folder: how long the real windows take from creation to the first paint
// of the main window, and the longest gap of the window's event loop after that
// first paint, while the lesson is shown at start and after Play (its media file
// is missing, so Play loads the texts again and reports the file).
//
//   huge_lesson_bench [megabytes]       (runs on the platform Qt is given, e.g.
//                                        QT_QPA_PLATFORM=offscreen)
#include "app/application_setup.h"
#include "database/content_cipher.h"
#include "database/lesson_record.h"
#include "database/lesson_schema.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/core/teardown.h"
#include "gstreamer/video/gst_media_engine.h"
#include "ui/main_window.h"
#include "ui/platform_services.h"
#include "ui/varendo_windows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>

#include "support/cpu_share.h"
#include "support/loop_gaps.h"

using namespace varendo;

namespace {

// Counts the main window's paints.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void makeFolder(const QString& folder, int megabytes)
{
    auto con = db::openLessonDatabase(folder + QStringLiteral("varendo.mdb"), folder);
    const QString titleLine = QStringLiteral("Lesson 1 A title that goes on and on\r\n");
    const QString translationLine = QStringLiteral("参考译文，一行又一行，很长很长。\r\n");
    const qsizetype characters = qsizetype(megabytes) * 1024 * 1024;
    con->exec(QStringLiteral("insert into book1 (课本号, 课程编号, 课程名, 课程内容, 生词短语, 参考译文, 视频文件名, "
                             "音频文件名, 课程状态, 时间刻度) values (?,?,?,?,?,?,?,?,?,?)"),
              {QStringLiteral("1"), QStringLiteral("1"), titleLine.repeated(characters / titleLine.size()),
               encodeColumn(QStringLiteral("Listen to the tape.\r\nA short lesson text.\r\n")),
               encodeColumn(QStringLiteral("New words and expressions\r\nword  n. 词\r\n")),
               translationLine.repeated(characters / 3 / translationLine.size()), QStringLiteral("Book1-001.rm"),
               QStringLiteral("001.mp3"), QStringLiteral("学习中"),
               encodeColumn(QStringLiteral("[00:01.00]Listen to the tape.\r\n"))});
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    makeFolder(folder, megabytes);
    std::printf("platform %s; a lesson with a %d MB title and translation\n",
                qPrintable(QGuiApplication::platformName()), megabytes);
    {
        const auto audio = gst::createAudioLibrary();
        QElapsedTimer clock;
        clock.start();
        int messages = 0;
        auto windows = createWindows(folder, {.audio = *audio,
                                              .mediaEngines = gst::mediaEngineFactory(),
                                              .wave = {},
                                              .messages = [&messages](const QString&, bool) { ++messages; },
                                              .openDocument = {}});
        TForm1* f = windows->Form1;
        FirstPaint paint;
        f->installEventFilter(&paint);
        f->show();
        while (!paint.painted && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        std::printf("windows created to first paint: %lld ms\n", qint64(clock.elapsed()));
        std::printf("title pane %lld characters, translation pane %lld characters\n",
                    qint64(f->rzm1->toPlainText().size()), qint64(f->rzm3->toPlainText().size()));

        bench::LoopGaps gaps;
        gaps.start();
        bench::runEventLoop(2000);
        std::printf("longest event-loop gap in the 2 s after the first paint: %.1f ms\n", gaps.stop());

        // The lesson's row alone, then its load into the panes, as choosing it runs it.
        QElapsedTimer load;
        load.start();
        db::readLesson(f->database(), QStringLiteral("1"), QStringLiteral("1"));
        std::printf("reading the lesson's row: %lld ms\n", qint64(load.elapsed()));
        load.restart();
        f->getkcs(QStringLiteral("1"), QStringLiteral("1"));
        std::printf("loading the lesson into the panes: %lld ms\n", qint64(load.elapsed()));
        bench::runEventLoop(500);

        gaps.start();
        f->btPlay->click();
        bench::runEventLoop(3000);
        std::printf("longest event-loop gap from Play on, over 3 s: %.1f ms  (goal: at most 100)\n", gaps.stop());
        std::printf("messages shown: %d\n", messages);
        windows.reset();
    }
    gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
    return 0;
}
