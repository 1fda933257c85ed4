#pragma once
// The front of an internet stream's pipeline:
//   <source for the URL> ! typefind ! [icydemux !] queue ! decodebin
// ICY streams go through icydemux, so their metadata is read as the data
// arrives, ahead of the decoder; the response header lines come as a bus
// message of the source. The saved copy is written from the bytes the queue takes.
#include "gstreamer/audio/channel_state.h"
#include "gstreamer/core/gst_core.h"

#include <memory>

namespace varendo::gst {

// Builds the front into the builder's bin and links it to the decoder;
// false (error noted) when no source handles the URL's scheme.
bool buildInternetSource(BinBuilder& build, const QByteArray& uri, GstElement* decoder, int timeoutSeconds,
                         const QString& saveFile, const std::shared_ptr<ChannelState>& state);

// The header lines of an "http-headers" element message as a block of
// NUL-terminated lines ending in one more NUL; empty when the message has none.
std::string headerBlock(GstMessage* message);

} // namespace varendo::gst
