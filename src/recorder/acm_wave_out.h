#pragma once
// Plays blocks of compressed sound on the wave-output device. One output
// device of the program's wave devices is open at a time: Write and Close on
// any instance act on it, whichever instance opened it, and its notices go to
// the opener.
#include "recorder/wave_component.h"

namespace varendo {

class TACMWaveOut : public WaveComponent {
    Q_OBJECT
public:
    TACMWaveOut(QWidget* owner, std::shared_ptr<WaveDevices> devices);
    ~TACMWaveOut() override;

    // Opens the output device on format; ignored while an output device is
    // open or format is null.
    void Open(const WaveFormatRecord* format);
    // Copies size bytes and queues them for playing; ignored when no output
    // device is open. Does not wait.
    void Write(const void* block, int size);
    // Drops what is queued and closes the device; ignored when none is open.
    void Close();

protected:
    void handleNotice(const WaveNoticeEvent& notice) override;

private:
    WaveDeviceSlot& waveOut; // the output device of devices_
};

} // namespace varendo
