#pragma once
// The event loop's longest gap: the most time between two turns of a 10 ms
// timer on this thread, which is how long the window could not answer.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace varendo::bench {

// The longest time between two turns of a 10 ms timer on this thread.
class LoopGaps : public QObject {
public:
    LoopGaps()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { turn(); });
    }

    void start()
    {
        longestNs_ = 0;
        longestEndNs_ = 0;
        lastNs_ = 0;
        clock_.start();
        timer_.start();
    }

    // Stops; the longest gap in milliseconds, the time since the last turn included.
    double stop()
    {
        turn();
        timer_.stop();
        return double(longestNs_) / 1e6;
    }
    // When the longest gap ended, in seconds from the start.
    double longestAt() const { return double(longestEndNs_) / 1e9; }

private:
    void turn()
    {
        const qint64 now = clock_.nsecsElapsed();
        if (now - lastNs_ > longestNs_) {
            longestNs_ = now - lastNs_;
            longestEndNs_ = now;
        }
        lastNs_ = now;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastNs_ = 0;
    qint64 longestNs_ = 0;
    qint64 longestEndNs_ = 0;
};

} // namespace varendo::bench
