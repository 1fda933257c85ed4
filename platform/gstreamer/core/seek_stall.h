#pragma once
// A stuck seek on demand, for the tests of the players' watchdogs: once armed, the
// next flushing seek a player sends leaves it without sound or picture, as a sink
// left waiting on the clock does, until the player restarts its pipeline.
//
// A player calls SeekStall::follow() with the pad its decoded stream enters its
// output by, just before it sends a flushing seek; when armed, the streaming thread
// is held at that pad from the seek's flush on. release() (or the object's end)
// lets it go again. Unarmed, follow() costs one atomic read.
#include "gstreamer/core/handles.h"

#include <atomic>
#include <memory>

namespace varendo::gst {

class SeekStall {
public:
    SeekStall() = default;
    ~SeekStall() { release(); }
    SeekStall(const SeekStall&) = delete;
    SeekStall& operator=(const SeekStall&) = delete;

    // The next flushing seek of any player in this process stalls.
    static void armNext();
    // Seeks stalled so far in this process.
    static int stalledCount();

    void follow(GstPad* pad);
    void release();

private:
    PadPtr pad_;
    unsigned long probe_ = 0;      // blocks the data
    unsigned long flushProbe_ = 0; // sees the seek's flush
};

} // namespace varendo::gst
