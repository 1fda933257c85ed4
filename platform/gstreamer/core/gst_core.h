#pragma once
// GStreamer start-up and owning handles for the objects we hold.
#include <gst/gst.h>
#include <memory>
#include <utility>

namespace varendo::gst {

// Initialises GStreamer once per process; safe from any thread.
void ensureInitialised();

struct ObjectUnref {
    void operator()(gpointer p) const { if (p) gst_object_unref(p); }
};
struct MessageUnref {
    void operator()(GstMessage* m) const { if (m) gst_message_unref(m); }
};
struct CapsUnref {
    void operator()(GstCaps* c) const { if (c) gst_caps_unref(c); }
};
struct SampleUnref {
    void operator()(GstSample* s) const { if (s) gst_sample_unref(s); }
};

using ElementPtr = std::unique_ptr<GstElement, ObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, ObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, ObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;
using SamplePtr = std::unique_ptr<GstSample, SampleUnref>;

// A pipeline (or any element) that is brought to NULL before it is released.
class Pipeline {
public:
    Pipeline() = default;
    explicit Pipeline(GstElement* owned) : element_(owned) {}
    ~Pipeline() { reset(); }
    Pipeline(Pipeline&& other) noexcept : element_(std::exchange(other.element_, nullptr)) {}
    Pipeline& operator=(Pipeline&& other) noexcept
    {
        if (this != &other) { reset(); element_ = std::exchange(other.element_, nullptr); }
        return *this;
    }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    GstElement* get() const { return element_; }
    explicit operator bool() const { return element_ != nullptr; }
    void reset(GstElement* owned = nullptr);

private:
    GstElement* element_ = nullptr;
};

// Element factory present on this machine (plugins may be missing).
bool hasElement(const char* factoryName);

} // namespace varendo::gst
