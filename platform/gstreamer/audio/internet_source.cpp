#include "gstreamer/audio/internet_source.h"

#include <QFile>

namespace varendo::gst {

namespace {

using Shared = Held<ChannelState>;

void linkStaticPads(GstElement* from, GstElement* to)
{
    PadPtr src(gst_element_get_static_pad(from, "src"));
    PadPtr sink(gst_element_get_static_pad(to, "sink"));
    if (gst_pad_link(src.get(), sink.get()) != GST_PAD_LINK_OK)
        GST_ELEMENT_ERROR(from, CORE, NEGOTIATION, (nullptr), ("stream could not be linked"));
}

// ICY metadata reaches us as the tags icydemux sends downstream.
GstPadProbeReturn onIcyEvent(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_TAG)
        return GST_PAD_PROBE_OK;
    GstTagList* tags = nullptr; // owned by the event
    gst_event_parse_tag(event, &tags);
    gchar* rawTitle = nullptr;
    gchar* rawUrl = nullptr;
    gst_tag_list_get_string(tags, GST_TAG_TITLE, &rawTitle);
    gst_tag_list_get_string(tags, GST_TAG_HOMEPAGE, &rawUrl);
    TextPtr title(rawTitle);
    TextPtr url(rawUrl);
    if (title || url) {
        std::string text;
        if (title)
            text += std::string("StreamTitle='") + title.get() + "';";
        if (url)
            text += std::string("StreamUrl='") + url.get() + "';";
        ChannelState& state = Shared::of(data);
        state.update([&] { state.meta = std::move(text); });
    }
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn onSavedBytes(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    ChannelState& state = Shared::of(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstMapInfo map;
    std::lock_guard lock(state.mutex);
    if (state.save && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        std::fwrite(map.data, 1, map.size, state.save);
        gst_buffer_unmap(buffer, &map);
    }
    return GST_PAD_PROBE_OK;
}

void onIcyPad(GstElement*, GstPad* pad, gpointer data)
{
    ChannelState& state = Shared::of(data);
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, onIcyEvent, Shared::hold(Shared::ptr(data)),
                      &Shared::release);
    PadPtr sink(gst_element_get_static_pad(state.queue, "sink"));
    gst_pad_link(pad, sink.get());
}

void onStreamType(GstElement* typefind, guint, GstCaps* caps, gpointer data)
{
    ChannelState& state = Shared::of(data);
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (gst_structure_has_name(s, "application/x-icy") && state.icydemux) {
        int interval = 0;
        gst_structure_get_int(s, "metadata-interval", &interval);
        state.update([&] { state.metaInterval = interval; });
        linkStaticPads(typefind, state.icydemux);
    } else {
        linkStaticPads(typefind, state.queue);
    }
}

} // namespace

bool buildInternetSource(BinBuilder& build, const QByteArray& uri, GstElement* decoder, int timeoutSeconds,
                         const QString& saveFile, const std::shared_ptr<ChannelState>& state)
{
    GError* raw = nullptr;
    // Whatever source this machine has for the scheme (no FTP source: no stream).
    GstElement* source = gst_element_make_from_uri(GST_URI_SRC, uri.constData(), nullptr, &raw);
    ErrorPtr error(raw);
    if (!source) {
        build.fail(QStringLiteral("这台电脑上没有能打开“%1”的网络组件。").arg(QString::fromUtf8(uri)));
        return false;
    }
    build.add(source);
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(source), "iradio-mode"))
        g_object_set(source, "iradio-mode", TRUE, nullptr);
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(source), "timeout"))
        g_object_set(source, "timeout", guint(timeoutSeconds), nullptr);

    GstElement* typefind = build.make("typefind");
    GstElement* queue = build.make("queue");
    if (!build.ok() || !build.link(source, typefind) || !build.link(queue, decoder))
        return false;
    state->queue = queue;
    // Enough room ahead of the decoder for the first metadata block to arrive
    // while the stream pre-rolls.
    g_object_set(queue, "max-size-buffers", 0u, "max-size-time", guint64(0), "max-size-bytes", guint(512 * 1024),
                 nullptr);
    if (hasElement("icydemux")) {
        state->icydemux = build.make("icydemux");
        g_signal_connect_data(state->icydemux, "pad-added", G_CALLBACK(onIcyPad), Shared::hold(state),
                              &Shared::releaseClosure, GConnectFlags(0));
    }
    g_signal_connect_data(typefind, "have-type", G_CALLBACK(onStreamType), Shared::hold(state),
                          &Shared::releaseClosure, GConnectFlags(0));
    if (!saveFile.isEmpty()) {
        state->save = std::fopen(QFile::encodeName(saveFile).constData(), "wb");
        PadPtr queueIn(gst_element_get_static_pad(queue, "sink"));
        gst_pad_add_probe(queueIn.get(), GST_PAD_PROBE_TYPE_BUFFER, onSavedBytes, Shared::hold(state),
                          &Shared::release);
    }
    return build.ok();
}

std::string headerBlock(GstMessage* message)
{
    const GstStructure* s = gst_message_get_structure(message);
    GstStructure* raw = nullptr;
    if (!s || !gst_structure_has_name(s, "http-headers")
        || !gst_structure_get(s, "response-headers", GST_TYPE_STRUCTURE, &raw, nullptr))
        return {};
    StructurePtr headers(raw);
    std::string block;
    const int count = gst_structure_n_fields(headers.get());
    for (int i = 0; i < count; ++i) {
        const char* name = gst_structure_nth_field_name(headers.get(), i);
        const GValue* value = gst_structure_get_value(headers.get(), name);
        auto addLine = [&](const GValue* v) {
            if (G_VALUE_HOLDS_STRING(v))
                block += std::string(name) + ':' + g_value_get_string(v) + '\0';
        };
        if (GST_VALUE_HOLDS_ARRAY(value)) {
            for (guint k = 0; k < gst_value_array_get_size(value); ++k)
                addLine(gst_value_array_get_value(value, k));
        } else {
            addLine(value);
        }
    }
    return block.empty() ? block : block + '\0';
}

} // namespace varendo::gst
