#pragma once
// Captures compressed sound from the wave-input device and hands each filled
// buffer to its owner through OnData, on the user-interface thread, in
// capture order. One capture device of the program's wave devices is open at
// a time, whichever instance opened it.
#include "recorder/wave_component.h"

#include <functional>

namespace varendo {

class TACMWaveIn : public WaveComponent {
    Q_OBJECT
public:
    // (data, size in bytes): a private copy, valid until the handler returns.
    using TDataEvent = std::function<void(const void* data, int size)>;

    TACMWaveIn(QWidget* owner, std::shared_ptr<WaveDevices> devices);
    ~TACMWaveIn() override;

    // Opens the capture device on format, queues three buffers and starts
    // capturing; ignored while a capture device is open or format is null.
    void Open(const WaveFormatRecord* format);
    // Stops capturing and closes the device; ignored when none is open.
    void Close();

    TDataEvent OnData;

    // Size of each capture buffer: room for one 65-byte block.
    static constexpr uint32_t kBufferSize = 128;
    static constexpr int kBufferCount = 3;

protected:
    void handleNotice(const WaveNoticeEvent& notice) override;

private:
    // Prepares header and adds it to the device; a buffer the device did not
    // take is freed, as no notice will bring it back.
    void queueBuffer(WaveService& service, WaveHandle device, WaveHeader* header);

    WaveDeviceSlot& waveIn; // the capture device of devices_
};

} // namespace varendo
