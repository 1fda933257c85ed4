#pragma once
// Tells when a playing pipeline is stuck, from what its owner sees on its own ticks.
//
// A flushing seek on a busy sound server can leave a pipeline that says it plays
// while its sink waits on the clock for good: the position stays where the seek put
// it and nothing is heard. Nothing in the pipeline reports it, so the owner looks
// every few hundred milliseconds and hands what it saw here:
//   Idle     not meant to move (stopped, paused, held, at its end, still opening);
//   Seeking  a seek was sent and has not finished (the pipeline is not asked then);
//   Moving   playing, at this position.
// stuck() is true once a seek has not finished within seekLimitMs or the position
// has not changed within stillLimitMs; it then starts counting afresh, so a pipeline
// that stays stuck is reported again one limit later, not on every look.
#include <cstdint>

namespace varendo::gst {

class StallWatch {
public:
    enum class Phase { Idle, Seeking, Moving };

    StallWatch(std::int64_t stillLimitMs, std::int64_t seekLimitMs)
        : stillLimitMs_(stillLimitMs), seekLimitMs_(seekLimitMs)
    {
    }

    bool stuck(Phase phase, std::int64_t nowMs, std::int64_t positionMs = 0)
    {
        if (phase != phase_ || (phase == Phase::Moving && positionMs != positionMs_)) {
            phase_ = phase;
            positionMs_ = positionMs;
            sinceMs_ = nowMs;
            return false;
        }
        const std::int64_t limit = phase == Phase::Seeking ? seekLimitMs_ : stillLimitMs_;
        if (phase == Phase::Idle || nowMs - sinceMs_ < limit)
            return false;
        sinceMs_ = nowMs;
        return true;
    }

    // Forgets what was seen: the next look starts counting.
    void reset() { phase_ = Phase::Idle; }

private:
    const std::int64_t stillLimitMs_;
    const std::int64_t seekLimitMs_;
    Phase phase_ = Phase::Idle;
    std::int64_t positionMs_ = 0;
    std::int64_t sinceMs_ = 0;
};

} // namespace varendo::gst
