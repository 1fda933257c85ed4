#pragma once
// The audio library over GStreamer: one pipeline per stream or module
// (see audio_channel.h, output_chain.h, internet_source.h).
//
// Calls come from one thread with a Qt event loop (the user-interface thread),
// and none of them waits on GStreamer for long: a local file is given a moment
// to open (its length is then known at once) and goes on opening after that;
// an internet stream connects while the window goes on. Pipelines are taken
// down on the teardown thread.
#include "audio/audio_library.h"

#include <gst/gst.h>
#include <functional>
#include <memory>

namespace varendo::gst {

struct AudioLibraryOptions {
    // Makes the output sink of each stream or module, instead of the sound device.
    // Tests measure the output with it.
    std::function<GstElement*()> makeSink;
    // How long opening a local file waits for it to be ready; a file not ready by
    // then goes on opening and reports its length once it is.
    int openWaitMs = 50;
    // An internet stream that has not started playing by then ends with an error.
    int netTimeoutMs = 8000;
};

// The real library for main(): varendo::TAudioObject audioPlayer(*library, mainWindow).
std::unique_ptr<AudioLibrary> createAudioLibrary(AudioLibraryOptions options = {});

} // namespace varendo::gst
