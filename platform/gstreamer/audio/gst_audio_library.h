#pragma once
// The audio library over GStreamer: one pipeline per stream or module.
//
//   local file:  filesrc ! decodebin ! <output>
//   internet:    <source for the URL> ! typefind ! [icydemux !] queue ! decodebin ! <output>
//   output:      audioconvert ! audioresample ! S16LE stereo at the Init frequency
//                ! equalizer-nbands ! volume ! sink
//
// The sink is PulseAudio, else ALSA, else (no sound device, or device 0) a silent sink
// that keeps to the clock, so streams still play in real time and report positions.
// Streaming threads only record what they see (end, errors, headers, metadata) under a
// lock; nothing is delivered to an event loop, so the library works on any thread that
// makes all its calls.
#include "audio/audio_library.h"

#include <gst/gst.h>
#include <functional>
#include <memory>

namespace varendo::gst {

struct AudioLibraryOptions {
    // Makes the output sink of each stream or module, instead of the sound device.
    // Tests measure the output with it.
    std::function<GstElement*()> makeSink;
    int openTimeoutMs = 5000; // opening a local file, and each seek
    int netTimeoutMs = 8000;  // connecting to an internet stream and reading its start
};

// The real library for main(): varendo::TAudioObject audioPlayer(*library, mainWindow).
std::unique_ptr<AudioLibrary> createAudioLibrary(AudioLibraryOptions options = {});

} // namespace varendo::gst
