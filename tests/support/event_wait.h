#pragma once
// Runs the event loop until a condition holds or a generous time has passed.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace varendo::test {

template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for the given time.
inline void spinFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

} // namespace varendo::test
