#pragma once
// Takes pipelines down to NULL and frees them on a thread of its own, so the
// user interface never waits on a source that is slow to stop (a dead HTTP
// connection can hold the change to NULL for as long as its time-out).
#include "gstreamer/core/handles.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace varendo::gst {

class Teardown {
public:
    // The process's one teardown thread, started on first use.
    static Teardown& instance();

    void dispose(Pipeline pipeline);
    // True once every pipeline handed over so far is gone (false after timeout).
    bool waitIdle(std::chrono::milliseconds timeout);

    ~Teardown();
    Teardown(const Teardown&) = delete;
    Teardown& operator=(const Teardown&) = delete;

private:
    Teardown();
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Pipeline> queue_;
    bool busy_ = false;
    bool quit_ = false;
    std::thread worker_;
};

} // namespace varendo::gst
