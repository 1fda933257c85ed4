// Searching a generated tree of 100,000 files in 10,000 folders, a tenth of
// them media:
//   - the search alone (the walk and the pruning, into a plain tree) beside
//     "find DIR -type f" over the same tree, both with the tree in the cache;
//   - the growth of the process's peak memory over that search;
//   - the real windows adding the folder: how long until the tree is complete
//     and pruned, and the longest gap of the window's event loop meanwhile.
// Usage: library_bench [folders [files per folder]]
#include "dialog_answer.h"

#include "app/application_setup.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "library/folder_search.h"
#include "ui/main_window.h"
#include "ui/media_list_window.h"
#include "ui/platform_services.h"
#include "ui/varendo_windows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "support/loop_gaps.h"

using namespace varendo;

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// folders folders of filesEach files, in two levels of sqrt(folders); one file
// in ten is an MP3 or an AVI, the rest text.
bool makeTree(const QString& root, int folders, int filesEach)
{
    int side = 1;
    while (side * side < folders)
        ++side;
    int made = 0;
    for (int a = 0; a < side && made < folders; ++a)
        for (int b = 0; b < side && made < folders; ++b, ++made) {
            const QString dir = QStringLiteral("%1/d%2/e%3").arg(root).arg(a).arg(b);
            if (!QDir().mkpath(dir))
                return false;
            for (int f = 0; f < filesEach; ++f) {
                const char* ext = f % 10 == 0 ? (made % 2 ? "mp3" : "avi") : "txt";
                QFile file(QStringLiteral("%1/f%2.%3").arg(dir).arg(f).arg(QLatin1String(ext)));
                if (!file.open(QIODevice::WriteOnly))
                    return false;
            }
        }
    return true;
}

double findSeconds(const QString& root)
{
    QElapsedTimer clock;
    clock.start();
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"), {root, QStringLiteral("-type"), QStringLiteral("f")});
    find.waitForFinished(-1);
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    const int folders = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int filesEach = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/media");
    QElapsedTimer clock;
    clock.start();
    if (!makeTree(root, folders, filesEach)) {
        std::fprintf(stderr, "could not lay out the tree under %s\n", qPrintable(root));
        return 1;
    }
    std::printf("tree: %d folders, %d files (made in %.1f s)\n", folders, folders * filesEach,
                clock.nsecsElapsed() / 1e9);

    findSeconds(root); // the tree into the cache
    const double find = findSeconds(root);
    const long before = peakKiB();
    clock.restart();
    const library::MediaTree tree = library::searchIntoTree(root);
    const double search = clock.nsecsElapsed() / 1e9;
    std::printf("search alone: %.3f s for %d nodes; find -type f: %.3f s (%.1fx)\n", search, tree.count(), find,
                search / find);
    std::printf("peak memory: %ld KiB before the search, %ld KiB after (+%ld KiB)\n", before, peakKiB(),
                peakKiB() - before);

    QTemporaryDir programDir;
    static const std::unique_ptr<AudioLibrary> audio = gst::createAudioLibrary();
    auto windows = createWindows(programDir.path() + QLatin1Char('/'),
                                 {.audio = *audio, .mediaEngines = gst::mediaEngineFactory(), .wave = {},
                                  .messages = [](const QString& text, bool) {
                                      std::fprintf(stderr, "message: %s\n", qPrintable(text));
                                  },
                                  .openDocument = {}});
    TForm1* f = windows->Form1;
    f->show();
    QCoreApplication::processEvents();

    const long windowBefore = peakKiB();
    test::DialogAnswer answer([&](QDialog* picker) { test::typeFileName(picker, root); });
    bench::LoopGaps gaps;
    f->D1Click(f->D1);
    clock.restart();
    gaps.start();
    while (f->searchRunning)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double fill = clock.nsecsElapsed() / 1e9;
    const double gap = gaps.stop();
    std::printf("window: tree of %d nodes complete and pruned in %.3f s; longest event-loop gap %.1f ms "
                "(ending %.2f s in); peak memory +%ld KiB\n",
                windows->Form6->nodeCount(), fill, gap, gaps.longestAt(), peakKiB() - windowBefore);
    return 0;
}
