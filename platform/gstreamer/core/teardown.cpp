#include "gstreamer/core/teardown.h"

namespace varendo::gst {

Teardown& Teardown::instance()
{
    static Teardown teardown;
    return teardown;
}

Teardown::Teardown() : worker_([this] { run(); }) {}

Teardown::~Teardown()
{
    const bool drained = waitIdle(std::chrono::seconds(5));
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    // A pipeline stuck on a dead source must not keep the program from ending.
    if (drained)
        worker_.join();
    else
        worker_.detach();
}

void Teardown::dispose(Pipeline pipeline)
{
    if (!pipeline)
        return;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(pipeline));
    }
    wake_.notify_one();
}

bool Teardown::waitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return queue_.empty() && !busy_; });
}

void Teardown::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Pipeline next = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        next.reset();
        lock.lock();
        busy_ = false;
        if (queue_.empty())
            idle_.notify_all();
    }
}

} // namespace varendo::gst
