#pragma once
// What the streaming threads learn about one channel's pipeline, behind a lock:
// read by the channel on the user-interface thread, and by a caller that waits
// a moment for a local file to open.
#include <gst/gst.h>

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

namespace varendo::gst {

struct ChannelState {
    std::mutex mutex;
    std::condition_variable changed;
    GstElement* pipeline = nullptr; // not owned: set while the channel holds its pipeline
    int asyncDone = 0;              // pre-rolls and seeks completed
    bool ended = false;
    bool failed = false;
    bool audioLinked = false;
    QString error;       // why it failed, in the learner's words
    std::string headers; // NUL-terminated header lines, then a NUL; empty when none
    std::optional<std::string> meta;
    int metaInterval = 0;
    std::FILE* save = nullptr; // the internet stream's saved copy

    // Elements an internet pipeline links once the stream's type is known; owned by it.
    GstElement* icydemux = nullptr;
    GstElement* queue = nullptr;
    GstElement* output = nullptr; // first element of the output chain

    ~ChannelState() { closeSave(); }

    template <typename Change>
    void update(Change change)
    {
        {
            std::lock_guard lock(mutex);
            change();
        }
        changed.notify_all();
    }
    template <typename Predicate>
    bool waitFor(int timeoutMs, Predicate predicate)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), predicate);
    }
    void fail(const QString& why)
    {
        update([&] {
            if (!failed)
                error = why;
            failed = ended = true;
        });
    }
    void closeSave()
    {
        std::lock_guard lock(mutex);
        if (save)
            std::fclose(save);
        save = nullptr;
    }
};

} // namespace varendo::gst
