#pragma once
// GStreamer launch lines in the tests: building one, running one to its end, and the
// test tone the generated media carry.
#include "gstreamer/core/gst_core.h"

#include <QString>

namespace varendo::test {

// The pipeline a launch line describes, not yet started; an empty one, with the reason in
// *error, when it cannot be built.
gst::Pipeline launch(const QString& description, QString* error);

// Plays a launch line until the end of its stream. Empty when it got there; otherwise why
// not: it cannot be built or started, reports an error, or has not ended within two minutes.
QString runToEnd(const QString& description);

// A launch-line source of a sine tone on two channels at 44100 Hz: `buffers` buffers of
// `samplesPerBuffer` samples each, at `volume` (1 is full scale).
QString stereoSine(double frequencyHz, double volume, int samplesPerBuffer, int buffers);

} // namespace varendo::test
