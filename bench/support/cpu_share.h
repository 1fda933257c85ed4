#pragma once
// Shares of one core used over a stretch of wall time, in percent: by this process
// while its event loop runs, and by gst-play-1.0 playing a file beside it.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "support/process_cpu.h"

namespace varendo::bench {

// Runs this thread's event loop for ms, as the program does while it plays.
inline void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
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

// Share of one core gst-play-1.0 uses playing path, over ms once settleMs have passed
// since it started (past its start-up). options go before the file (a sink, say).
// −1 when it could not be run or ended before the measurement did; error then says which.
inline double gstPlayShare(const QString& path, int settleMs, int ms, const QStringList& options = {},
                           QString* error = nullptr)
{
    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.start(QStringLiteral("gst-play-1.0"),
                 QStringList{QStringLiteral("--no-interactive"), QStringLiteral("-q")} + options + QStringList{path});
    if (!player.waitForStarted(10000)) {
        if (error)
            *error = QStringLiteral("not run (%1)").arg(player.errorString());
        return -1.0;
    }
    runEventLoop(settleMs);
    const double before = processCpuSeconds(player.processId());
    QElapsedTimer wall;
    wall.start();
    runEventLoop(ms);
    const double after = processCpuSeconds(player.processId());
    const double elapsed = double(wall.elapsed()) / 1000.0;
    player.kill();
    player.waitForFinished(5000);
    if (before < 0 || after < 0) {
        if (error)
            *error = QStringLiteral("ended early");
        return -1.0;
    }
    return 100.0 * (after - before) / elapsed;
}

} // namespace varendo::bench
