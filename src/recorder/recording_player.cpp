#include "recorder/recording_player.h"

#include "recorder/recorder_state.h"

#include <QFile>
#include <QMetaObject>
#include <QSemaphore>

#include <mutex>

namespace varendo {

// What the thread and the steps it has queued share; a queued step may run
// after the thread object is gone.
struct myfirthread::Shared {
    mutable std::mutex mutex;
    bool abandoned = false;
};

myfirthread::myfirthread(const QString& fileName, TACMWaveOut* waveOut, QObject* context, Steps steps)
    : FileName(fileName), WaveOut(waveOut), shared_(std::make_shared<Shared>()), context_(context),
      steps_(std::move(steps))
{
}

myfirthread::~myfirthread()
{
    abandon();
    wait();
}

void myfirthread::abandon()
{
    std::lock_guard lock(shared_->mutex);
    shared_->abandoned = true;
}

bool myfirthread::abandoned() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->abandoned;
}

bool myfirthread::onUiThread(std::function<void()> step)
{
    auto done = std::make_shared<QSemaphore>();
    {
        // Posting under the lock: once abandon() has returned, nothing new
        // reaches the context, which may then go.
        std::lock_guard lock(shared_->mutex);
        if (shared_->abandoned)
            return false;
        QMetaObject::invokeMethod(
            context_,
            [shared = shared_, step = std::move(step), done] {
                bool run;
                {
                    std::lock_guard held(shared->mutex);
                    run = !shared->abandoned;
                }
                if (run)
                    step();
                done->release();
            },
            Qt::QueuedConnection);
    }
    // Wait for the step, but not for a context that abandoned us: its queued
    // step may never run.
    while (!done->tryAcquire(1, 20))
        if (abandoned())
            return false;
    return !abandoned();
}

void myfirthread::run()
{
    if (!onUiThread(steps_.showPlaying))
        return;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = file.errorString();
        onUiThread([this, reason] {
            steps_.stop();
            steps_.unreadable(reason);
        });
        return;
    }
    const qint64 size = file.size();
    Seconds = qint32(recorder::recordingSeconds(size));
    if (Seconds == 0) {
        file.close();
        onUiThread(steps_.stop);
        return;
    }
    const qint32 seconds = Seconds;
    if (!onUiThread([this, seconds] { steps_.started(seconds); }))
        return;
    const qint64 blocks = recorder::recordingBlocks(size);
    for (qint64 i = 0; i < blocks; ++i) {
        if (!file.seek(i * recorder::kBlockBytes) || file.read(Block, recorder::kBlockBytes) != recorder::kBlockBytes)
            break;
        BlockSize = int(recorder::kBlockBytes);
        if (!onUiThread([this, seconds] { steps_.writeBlock(seconds, Block, BlockSize); }))
            break;
    }
    file.close();
}

} // namespace varendo
