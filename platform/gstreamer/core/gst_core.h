#pragma once
// The one way this program talks to GStreamer: start-up, owning handles,
// building pipelines with errors the learner can read, and the texts of
// GStreamer's own errors.
#include "gstreamer/core/handles.h"

#include <QString>

namespace varendo::gst {

// Initialises GStreamer once per process; safe from any thread.
void ensureInitialised();

// Element factory present on this machine (plugins may be missing).
bool hasElement(const char* factoryName);

// The learner's text for an element this machine does not have.
QString missingElementText(const char* factoryName);
// The learner's text for an error message on a bus, GStreamer's own words after ours.
QString errorText(GstMessage* error, const QString& what);

// Makes the elements of one bin, adding each as it is made. The first element
// that is missing or link that fails is remembered, named, so the caller can
// report it at once instead of waiting for a pipeline that never starts.
class BinBuilder {
public:
    explicit BinBuilder(GstBin* bin) : bin_(bin) {}
    // The element, owned by the bin; null (and the error noted) when missing.
    GstElement* make(const char* factory, const char* name = nullptr);
    // Adds an element made elsewhere (takes its floating reference).
    GstElement* add(GstElement* element);
    bool link(GstElement* from, GstElement* to);
    // Links a chain; null entries are skipped (optional elements that are absent).
    bool linkChain(std::initializer_list<GstElement*> chain);
    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    void fail(const QString& why)
    {
        if (error_.isEmpty())
            error_ = why;
    }

private:
    GstBin* bin_;
    QString error_;
};

// A launch description built into a pipeline; the error names the missing element.
Pipeline parseLaunch(const char* description, QString* error);

} // namespace varendo::gst
