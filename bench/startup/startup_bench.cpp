// Start-up benchmark: from exec to the main window mapped on the X server, for the
// real program on three program folders, and for a bare Qt main window of the same
// size in the same run (interleaved, so both see the same machine):
//   - a course like the demo's: 4 books × 72 lessons of ordinary length;
//   - the same lessons with texts of about 700 KB each, a 200 MB database;
//   - 4,000 lessons (4 books × 1,000) of ordinary length.
// The map is waited for with an X event, not by polling. The first runs of each
// also stay up idle for a few seconds and report their peak resident memory.
//
//   startup_bench [runs] [idle-seconds]     (needs DISPLAY, an X server without a
//                                            reparenting window manager, e.g. Xvfb)
#include "database/content_cipher.h"
#include "database/lesson_schema.h"
#include "support/process_cpu.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <ctime>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

constexpr int kMemoryRuns = 5;

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

struct Course {
    const char* what;
    int lessonsPerBook;
    int textLines;        // lines of lesson text; the translation has four times as many
};

void makeCourse(const QString& folder, const Course& course)
{
    auto con = varendo::db::openLessonDatabase(folder + QStringLiteral("varendo.mdb"), folder);
    con->exec(QStringLiteral("BEGIN"));
    QString text;
    for (int i = 0; i < course.textLines; ++i)
        text += QStringLiteral("This is sentence %1 of a lesson text, about as long as a real one.\r\n").arg(i);
    const QString scrambledText = varendo::encodeColumn(text);
    const QString translation = QStringLiteral("参考译文\r\n译文。\r\n").repeated(course.textLines * 2);
    for (int book = 1; book <= 4; ++book) {
        for (int n = 1; n <= course.lessonsPerBook; ++n) {
            // Lesson numbers hold three digits: a book of more lessons repeats them.
            const QString number = QString::number(book == 1 ? (n - 1) % 500 * 2 + 1 : (n - 1) % 999 + 1);
            con->exec(QStringLiteral("insert into book1 (课本号, 课程编号, 课程名, 课程内容, 生词短语, 参考译文, 视频文件名, "
                                     "音频文件名, 课程状态, 时间刻度) values (?,?,?,?,?,?,?,?,?,?)"),
                      {QString::number(book), number, QStringLiteral("Lesson %1  A title\r\n第%1课\r\n").arg(number),
                       scrambledText, varendo::encodeColumn(QStringLiteral("New words and expressions\r\nword  n. 词\r\n")),
                       translation, QStringLiteral("Book%1-%2.rm").arg(book).arg(number),
                       QStringLiteral("%1.mp3").arg(number),
                       (book == 4 && n == course.lessonsPerBook - 2) ? QStringLiteral("学习中") : QStringLiteral("已学习"),
                       varendo::encodeColumn(QStringLiteral("[00:01.00]This is sentence 1\r\n").repeated(40))});
        }
    }
    con->exec(QStringLiteral("COMMIT"));
}

// Watches the root window for top-level windows being mapped.
class MapWatcher {
public:
    MapWatcher()
    {
        int screenNumber = 0;
        connection_ = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection_))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, it.data->root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
        if (atom) {
            pidAtom_ = atom->atom;
            free(atom);
        }
        xcb_flush(connection_);
        ok_ = pidAtom_ != XCB_ATOM_NONE;
    }
    ~MapWatcher() { xcb_disconnect(connection_); }

    bool ok() const { return ok_; }

    // Waits until a window of the process is mapped; the time it arrived, or nothing.
    std::optional<double> waitForMap(pid_t pid, int timeoutMs)
    {
        const double deadline = nowMs() + timeoutMs;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const double at = nowMs();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                free(event);
                if (mapped && ownerOf(window) == pid)
                    return at;
            }
            const int left = int(deadline - nowMs());
            if (left <= 0 || xcb_connection_has_error(connection_))
                return std::nullopt;
            poll(&fd, 1, left);
        }
    }

private:
    pid_t ownerOf(xcb_window_t window)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = pid_t(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
        free(reply);
        return pid;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
    bool ok_ = false;
};

struct Run {
    double ms = 0;
    long peak = 0;
};

std::optional<Run> launch(MapWatcher& watcher, const std::vector<std::string>& argv, int idleSeconds)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const double start = nowMs();
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        std::fprintf(stderr, "cannot start %s: %s\n", args[0], strerror(failed));
        return std::nullopt;
    }
    const std::optional<double> mapped = watcher.waitForMap(pid, 20000);
    Run run;
    if (mapped) {
        run.ms = *mapped - start;
        if (idleSeconds > 0) {
            timespec idle{idleSeconds, 0};
            nanosleep(&idle, nullptr);
            run.peak = varendo::bench::residentKiB(pid, true);
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (!mapped) {
        std::fprintf(stderr, "%s mapped no window within 20 s\n", args[0]);
        return std::nullopt;
    }
    return run;
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 20;
    const int idleSeconds = argc >= 3 ? std::max(0, atoi(argv[2])) : 5;
    MapWatcher watcher;
    if (!watcher.ok()) {
        std::fprintf(stderr, "startup_bench needs an X display (DISPLAY)\n");
        return 1;
    }
    const Course courses[] = {{"demo-sized course, 288 lessons", 72, 40},
                              {"200 MB database, 288 lessons", 72, 3600},
                              {"4,000 lessons", 1000, 40}};
    // The main window's first size.
    const std::vector<std::string> bare{BARE_WINDOW_EXECUTABLE, "1025", "581"};
    for (const Course& course : courses) {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/");
        {
            QCoreApplication app(argc, argv);
            makeCourse(folder, course);
            // The program finds its database beside its executable.
            if (!QFile::copy(QStringLiteral(VARENDO_EXECUTABLE), folder + QStringLiteral("varendo"))) {
                std::fprintf(stderr, "cannot copy %s\n", VARENDO_EXECUTABLE);
                return 1;
            }
        }
        const std::string program = (folder + QStringLiteral("varendo")).toStdString();
        const double databaseMiB = double(QFileInfo(folder + QStringLiteral("varendo.mdb")).size()) / (1024.0 * 1024.0);

        std::vector<double> programMs, bareMs;
        std::vector<long> programPeak, barePeak;
        for (int i = 0; i < runs; ++i) {
            const int idle = i < kMemoryRuns ? idleSeconds : 0;
            const auto b = launch(watcher, bare, idle);
            const auto p = launch(watcher, {program}, idle);
            if (!b || !p)
                return 1;
            bareMs.push_back(b->ms);
            programMs.push_back(p->ms);
            if (idle) {
                barePeak.push_back(b->peak);
                programPeak.push_back(p->peak);
            }
        }
        const double pm = median(programMs), bm = median(bareMs);
        std::printf("%s (database %.1f MiB)\n", course.what, databaseMiB);
        std::printf("  exec to main window mapped, median of %d interleaved runs:\n", runs);
        std::printf("    Varendo                %.1f ms   (min %.1f)\n", pm,
                    *std::min_element(programMs.begin(), programMs.end()));
        std::printf("    bare Qt main window    %.1f ms   (min %.1f)\n", bm, *std::min_element(bareMs.begin(), bareMs.end()));
        std::printf("    ratio                  %.2f  (goal 1.3)\n", pm / bm);
        if (!programPeak.empty()) {
            const long pp = median(programPeak), bp = median(barePeak);
            std::printf("  peak resident memory after %d s idle, median of %zu runs:\n", idleSeconds, programPeak.size());
            std::printf("    Varendo %.1f MiB, bare Qt window %.1f MiB, ratio %.2f  (goal 1.5)\n", pp / 1024.0,
                        bp / 1024.0, double(pp) / double(bp));
        }
        std::fflush(stdout);
    }
    return 0;
}
