#pragma once
// The wave devices of this machine: capture from PulseAudio's default source
// and output to its default sink, at 8000 Hz mono 16-bit, coded as GSM 6.10 in
// 65-byte blocks (the recording format, the only one offered).
//
// main() hands it to the windows in the platform services.
#include "recorder/wave_service.h"

#include <memory>

namespace varendo::gst {

std::shared_ptr<WaveService> createWaveService();

} // namespace varendo::gst
