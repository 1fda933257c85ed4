#pragma once
// Shares of one core used over a stretch of wall time, in percent: by this process
// while its event loop runs, and by gst-play-1.0 or mpv playing a file beside it.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

#include "support/process_cpu.h"

namespace varendo::bench {

// Runs this thread's event loop for ms, as the program does while it plays.
inline void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds or timeoutMs pass; whether it held.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer wall;
    wall.start();
    while (!done()) {
        if (wall.elapsed() >= timeoutMs)
            return false;
        runEventLoop(20);
    }
    return true;
}

// Share of one core this process (all its threads) uses while its event loop runs for ms.
inline double selfShareOver(int ms)
{
    const double cpu = selfCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runEventLoop(ms);
    return 100.0 * (selfCpuSeconds() - cpu) / (double(wall.elapsed()) / 1000.0);
}

// Share of one core another player uses over ms, once settleMs have passed since it
// started (past its start-up): program run with arguments. −1 when it could not be
// run or ended before the measurement did; error then says which. rssKiB, when
// given, gets the player's resident memory at the end.
inline double playerShare(const QString& program, const QStringList& arguments, int settleMs, int ms,
                          QString* error = nullptr, long* rssKiB = nullptr)
{
    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.start(program, arguments);
    if (!player.waitForStarted(10000)) {
        if (error)
            *error = QStringLiteral("%1 not run (%2)").arg(program, player.errorString());
        return -1.0;
    }
    runEventLoop(settleMs);
    const double before = processCpuSeconds(player.processId());
    QElapsedTimer wall;
    wall.start();
    runEventLoop(ms);
    const double after = processCpuSeconds(player.processId());
    if (rssKiB)
        *rssKiB = residentKiB(player.processId());
    const double elapsed = double(wall.elapsed()) / 1000.0;
    player.kill();
    player.waitForFinished(5000);
    if (before < 0 || after < 0) {
        if (error)
            *error = QStringLiteral("%1 ended early").arg(program);
        return -1.0;
    }
    return 100.0 * (after - before) / elapsed;
}

// gst-play-1.0 playing path; options go before the file (a sink, say).
inline double gstPlayShare(const QString& path, int settleMs, int ms, const QStringList& options = {},
                           QString* error = nullptr, long* rssKiB = nullptr)
{
    return playerShare(QStringLiteral("gst-play-1.0"),
                       QStringList{QStringLiteral("--no-interactive"), QStringLiteral("-q")} + options + QStringList{path},
                       settleMs, ms, error, rssKiB);
}

// mpv drawing through plain X11 (no GPU here) in a window of the given size, or full
// screen when size is empty; sound, if any, goes nowhere.
inline double mpvShare(const QString& path, QSize size, int settleMs, int ms, QString* error = nullptr)
{
    QStringList arguments{QStringLiteral("--no-config"), QStringLiteral("--vo=x11"), QStringLiteral("--ao=null"),
                          QStringLiteral("--hwdec=no"), QStringLiteral("--really-quiet"),
                          QStringLiteral("--no-input-default-bindings"), QStringLiteral("--osc=no")};
    arguments << (size.isEmpty() ? QStringLiteral("--fs")
                                 : QStringLiteral("--geometry=%1x%2").arg(size.width()).arg(size.height()));
    return playerShare(QStringLiteral("mpv"), arguments + QStringList{path}, settleMs, ms, error);
}

} // namespace varendo::bench
