// Start-up benchmark: from process start to the main window shown (the first show's
// lesson choice and settings load done), on a program folder whose database holds
// 4 books × 72 lessons; and the peak memory of the process.
//
//   startup_bench [runs]    (use QT_QPA_PLATFORM=offscreen, or a display)
//
// Each run is a fresh process (the benchmark re-executes itself), so every figure
// includes loading the program and its libraries.
#include "app/application_setup.h"
#include "database/content_cipher.h"
#include "database/lesson_schema.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "ui/main_window.h"
#include "ui/varendo_windows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Milliseconds since this process was started by the kernel (10 ms resolution).
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

void makeCourse(const QString& folder)
{
    auto con = varendo::db::openLessonDatabase(folder + QStringLiteral("varendo.mdb"), folder);
    con->exec(QStringLiteral("BEGIN"));
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("This is sentence %1 of a lesson text, about as long as a real one.\r\n").arg(i);
    for (int book = 1; book <= 4; ++book) {
        for (int n = 1; n <= 72; ++n) {
            const QString number = QString::number(book == 1 ? 2 * n - 1 : n);
            con->exec(QStringLiteral("insert into book1 (课本号, 课程编号, 课程名, 课程内容, 生词短语, 参考译文, 视频文件名, "
                                     "音频文件名, 课程状态, 时间刻度) values (?,?,?,?,?,?,?,?,?,?)"),
                      {QString::number(book), number, QStringLiteral("Lesson %1  A title\r\n第%1课\r\n").arg(number),
                       varendo::encodeColumn(text), varendo::encodeColumn(QStringLiteral("New words and expressions\r\nword  n. 词\r\n")),
                       QStringLiteral("参考译文\r\n译文。\r\n").repeated(20), QStringLiteral("Book%1-%2.rm").arg(book).arg(number),
                       QStringLiteral("%1.mp3").arg(number),
                       (book == 4 && n == 70) ? QStringLiteral("学习中") : QStringLiteral("已学习"),
                       varendo::encodeColumn(QStringLiteral("[00:01.00]This is sentence 1\r\n").repeated(40))});
        }
    }
    con->exec(QStringLiteral("COMMIT"));
}

int child(int argc, char** argv, const QString& folder)
{
    QApplication app(argc, argv);
    varendo::setUpApplication(app);
    const auto audio = varendo::gst::createAudioLibrary();
    auto windows = varendo::createWindows(
        folder, {.audio = *audio, .mediaEngines = varendo::gst::mediaEngineFactory(), .wave = {}, .messages = {}, .openDocument = {}});
    windows->Form1->show();
    // The first show runs when the window is shown; measure once the event loop has
    // delivered it.
    QTimer::singleShot(0, [&] {
        const double ms = msSinceProcessStart();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%.1f %ld %d\n", ms, usage.ru_maxrss, windows->Form1->firstShowDone ? 1 : 0);
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLocal8Bit(argv[2]));

    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 10;
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    {
        QCoreApplication app(argc, argv);
        makeCourse(folder);
    }
    std::vector<double> times;
    std::vector<long> peaks;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--child"), folder});
        if (!p.waitForFinished(60000)) {
            std::fprintf(stderr, "run %d did not finish\n", i);
            return 1;
        }
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 3 || f[2] != "1") {
            std::fprintf(stderr, "run %d: unexpected output\n", i);
            return 1;
        }
        times.push_back(f[0].toDouble());
        peaks.push_back(f[1].toLong());
    }
    std::sort(times.begin(), times.end());
    std::sort(peaks.begin(), peaks.end());
    std::printf("start to main window shown (288 lessons): median %.0f ms, min %.0f ms, max %.0f ms over %d runs\n",
                times[times.size() / 2], times.front(), times.back(), runs);
    std::printf("peak resident memory: median %.1f MiB, max %.1f MiB\n", peaks[peaks.size() / 2] / 1024.0,
                peaks.back() / 1024.0);
    return 0;
}
