#pragma once
// What a capture and an output device have in common: the pipeline, its
// failures, the buffers queued on it and the receiver of its notices.
#include "gstreamer/core/bus_bridge.h"
#include "gstreamer/core/gst_core.h"
#include "recorder/wave_service.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace varendo::gst {

class WaveDevice {
public:
    WaveDevice(WaveHandle handle, QObject* receiver, uint32_t notice);
    virtual ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    WaveHandle handle() const { return handle_; }
    // Stops the device for good and hands back every buffer still queued.
    void close();

protected:
    // Builds the pipeline from a launch description; kNoDriver when elements are missing.
    WaveResult buildPipeline(const char* description);
    // Sets the built pipeline playing; kNoDriver when the sound server refuses
    // the connection. Called without mutex_ held.
    WaveResult playPipeline();
    // Brings the pipeline to NULL, which stops its streaming thread; it can be
    // played again. Called without mutex_ held.
    void stopPipeline();
    // Stops and drops the pipeline. Derived destructors call it first, so no
    // streaming thread outlives the members it uses.
    void releasePipeline();
    GstElement* element(const char* name) const;

    // Hands header back to the receiver. Caller holds mutex_.
    void handBackLocked(WaveHeader* header);
    // Hands back every queued header, in queue order. Caller holds mutex_.
    void handBackAllLocked();

    // Waits (bounded) until ready() holds or the pipeline fails. Caller holds lock.
    template <class Ready>
    bool waitLocked(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit, Ready ready)
    {
        return changed_.wait_for(lock, limit, [&] { return failed_ || ready(); }) && !failed_;
    }
    void notifyLocked() { changed_.notify_all(); }

    // Called with mutex_ held when the pipeline reports an error.
    virtual void onFailureLocked() {}

    struct Queued {
        WaveHeader* header;
        GstClockTime end = 0; // output: stream time by which its sound has gone to the sink
    };

    mutable std::mutex mutex_;
    std::deque<Queued> queued_;
    bool failed_ = false;

private:
    void noteBusMessage(GstMessage* message);

    const WaveHandle handle_;
    QObject* const receiver_;
    const uint32_t notice_;
    Pipeline pipeline_;
    BusBridge bus_;
    std::condition_variable changed_;
};

} // namespace varendo::gst
