#pragma once
// Takes pipelines down to NULL and frees them on a thread of its own, so the
// user interface never waits on a source that is slow to stop.
#include "gstreamer/core/gst_core.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace varendo::gst {

class PipelineReaper {
public:
    static PipelineReaper& instance();

    void dispose(Pipeline pipeline);
    // True once every pipeline handed over so far is gone (or false after timeout).
    bool waitIdle(std::chrono::milliseconds timeout);

    ~PipelineReaper();
    PipelineReaper(const PipelineReaper&) = delete;
    PipelineReaper& operator=(const PipelineReaper&) = delete;

private:
    PipelineReaper();
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
