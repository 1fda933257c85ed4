#pragma once
// Owning handles for the GStreamer and GLib objects we hold, so that every
// reference taken is given back on every path.
#include <gst/gst.h>

#include <memory>
#include <utility>

namespace varendo::gst {

template <auto Release>
struct Releaser {
    template <class T>
    void operator()(T* p) const
    {
        if (p)
            Release(p);
    }
};

template <class T, auto Release>
using Handle = std::unique_ptr<T, Releaser<Release>>;

inline void unrefObject(gpointer p) { gst_object_unref(p); }
inline void unrefGObject(gpointer p) { g_object_unref(p); }
inline void unrefMessage(GstMessage* m) { gst_message_unref(m); }
inline void unrefCaps(GstCaps* c) { gst_caps_unref(c); }
inline void unrefSample(GstSample* s) { gst_sample_unref(s); }
inline void unrefTagList(GstTagList* t) { gst_tag_list_unref(t); }
inline void freeError(GError* e) { g_error_free(e); }
inline void freeIterator(GstIterator* i) { gst_iterator_free(i); }
inline void freeStructure(GstStructure* s) { gst_structure_free(s); }
inline void freeText(gchar* t) { g_free(t); }

using ElementPtr = Handle<GstElement, unrefObject>;
using BusPtr = Handle<GstBus, unrefObject>;
using PadPtr = Handle<GstPad, unrefObject>;
using FactoryPtr = Handle<GstElementFactory, unrefObject>;
// A child of a child proxy (an equaliser band) is a plain GObject.
using GObjectPtr = Handle<GObject, unrefGObject>;
using MessagePtr = Handle<GstMessage, unrefMessage>;
using CapsPtr = Handle<GstCaps, unrefCaps>;
using SamplePtr = Handle<GstSample, unrefSample>;
using TagListPtr = Handle<GstTagList, unrefTagList>;
using ErrorPtr = Handle<GError, freeError>;
using IteratorPtr = Handle<GstIterator, freeIterator>;
using StructurePtr = Handle<GstStructure, freeStructure>;
using TextPtr = Handle<gchar, freeText>;

// A GValue that is unset when it goes.
class Value {
public:
    Value() = default;
    ~Value() { g_value_unset(&value_); }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    GValue* get() { return &value_; }
    void reset() { g_value_reset(&value_); }

private:
    GValue value_ = G_VALUE_INIT;
};

// A pipeline (or any element) that is brought to NULL before it is released.
class Pipeline {
public:
    Pipeline() = default;
    explicit Pipeline(GstElement* owned) : element_(owned) {}
    ~Pipeline() { reset(); }
    Pipeline(Pipeline&& other) noexcept : element_(std::exchange(other.element_, nullptr)) {}
    Pipeline& operator=(Pipeline&& other) noexcept
    {
        if (this != &other) {
            reset();
            element_ = std::exchange(other.element_, nullptr);
        }
        return *this;
    }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    GstElement* get() const { return element_; }
    explicit operator bool() const { return element_ != nullptr; }
    void reset(GstElement* owned = nullptr);
    // Gives up ownership without stopping the pipeline.
    GstElement* release() { return std::exchange(element_, nullptr); }

private:
    GstElement* element_ = nullptr;
};

// Callback data that shares ownership of T with whoever else holds it; hand
// hold(p) to GStreamer with release as its destroy notify.
template <class T>
struct Held {
    static gpointer hold(const std::shared_ptr<T>& p) { return new std::shared_ptr<T>(p); }
    static void release(gpointer data) { delete static_cast<std::shared_ptr<T>*>(data); }
    static void releaseClosure(gpointer data, GClosure*) { release(data); }
    static T& of(gpointer data) { return **static_cast<std::shared_ptr<T>*>(data); }
    static const std::shared_ptr<T>& ptr(gpointer data) { return *static_cast<std::shared_ptr<T>*>(data); }
};

} // namespace varendo::gst
