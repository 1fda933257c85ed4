#pragma once
// What the lifetime and latency tests measure: open descriptors, live
// pipelines, and the longest time the event loop went without a turn.
#include "event_wait.h"
#include "gstreamer/core/teardown.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QElapsedTimer>
#include <QTimer>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>

namespace varendo::test {

// What each open descriptor of the process points at (files, sockets, pipes).
inline QStringList openDescriptors()
{
    QDir fds(QStringLiteral("/proc/self/fd"));
    QStringList targets;
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System))
        targets << QFile::symLinkTarget(fds.filePath(fd));
    return targets;
}

// Pipelines (playbin among them) alive in the process, as GStreamer's leaks
// tracer counts them when the test runs with GST_TRACERS=leaks(filters=GstPipeline);
// -1 without the tracer.
inline int livePipelines()
{
    int count = -1;
    GList* tracers = gst_tracing_get_active_tracers();
    for (GList* l = tracers; l; l = l->next) {
        if (!g_str_equal(G_OBJECT_TYPE_NAME(l->data), "GstLeaksTracer"))
            continue;
        GstStructure* live = nullptr;
        g_signal_emit_by_name(l->data, "get-live-objects", &live);
        const GValue* list = live ? gst_structure_get_value(live, "live-objects-list") : nullptr;
        count = list && GST_VALUE_HOLDS_LIST(list) ? int(gst_value_list_get_size(list)) : -1;
        // The tracer's report gives back a reference to each object it names
        // that it never took (GStreamer 1.22): take one for it first.
        for (int i = 0; i < count; ++i) {
            const GstStructure* entry = gst_value_get_structure(gst_value_list_get_value(list, guint(i)));
            const GValue* object = entry ? gst_structure_get_value(entry, "object") : nullptr;
            if (object && G_VALUE_HOLDS_OBJECT(object))
                g_object_ref(g_value_get_object(object));
        }
        if (live)
            gst_structure_free(live);
    }
    g_list_free_full(tracers, gst_object_unref);
    return count;
}

// Lets the teardown thread finish what was handed to it.
inline void settlePipelines()
{
    spinFor(50);
    varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(20));
    spinFor(50);
}

// A 10 ms timer on the event loop; the longest gap between two of its turns.
class LoopLatency {
public:
    LoopLatency()
    {
        timer_.setInterval(10);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (clock_.isValid())
                longest_ = std::max(longest_, clock_.restart());
            else
                clock_.start();
        });
        timer_.start();
    }
    qint64 longestGapMs() const
    {
        // The wait since the last turn counts too: a call still blocking ends it.
        return std::max(longest_, clock_.isValid() ? clock_.elapsed() : 0);
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

} // namespace varendo::test
