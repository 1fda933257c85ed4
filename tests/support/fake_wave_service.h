#pragma once
// An in-process wave service: records every call, fails the calls a test
// asks it to, and hands buffers back when the test says so, through the same
// queued notices a real device posts.
#include "recorder/wave_service.h"

#include <deque>
#include <string>
#include <vector>

namespace varendo::test {

class FakeWaveService : public WaveService {
public:
    struct Direction {
        WaveResult openResult = waveerr::kNoError;
        WaveResult prepareResult = waveerr::kNoError;
        WaveResult queueResult = waveerr::kNoError; // add buffer / write
        WaveResult unprepareResult = waveerr::kNoError;
        WaveHandle handle = 0;
        QObject* receiver = nullptr;
        std::vector<char> format; // the record as the device received it
        std::deque<WaveHeader*> queued;
    };
    Direction in, out;
    WaveResult startResult = waveerr::kNoError;
    std::vector<std::string> calls;
    uint32_t formatSize = 40;

    // The device fills the oldest capture buffer with bytes and hands it back.
    bool capture(const std::vector<char>& bytes);
    // The device finishes the oldest output block.
    bool play();
    void clearCalls() { calls.clear(); }

    uint32_t largestFormatSize() override;
    WaveResult inOpen(WaveHandle* handle, const WaveFormatRecord* format, QObject* receiver) override;
    WaveResult inPrepareHeader(WaveHandle handle, WaveHeader* header) override;
    WaveResult inAddBuffer(WaveHandle handle, WaveHeader* header) override;
    WaveResult inUnprepareHeader(WaveHandle handle, WaveHeader* header) override;
    WaveResult inStart(WaveHandle handle) override;
    WaveResult inReset(WaveHandle handle) override;
    WaveResult inClose(WaveHandle handle) override;
    WaveResult outOpen(WaveHandle* handle, const WaveFormatRecord* format, QObject* receiver) override;
    WaveResult outPrepareHeader(WaveHandle handle, WaveHeader* header) override;
    WaveResult outWrite(WaveHandle handle, WaveHeader* header) override;
    WaveResult outUnprepareHeader(WaveHandle handle, WaveHeader* header) override;
    WaveResult outReset(WaveHandle handle) override;
    WaveResult outClose(WaveHandle handle) override;

protected:
    bool isOpenHandle(WaveHandle handle, bool capture) const override;

private:
    WaveResult open(Direction& d, const char* name, WaveHandle* handle, const WaveFormatRecord* format,
                    QObject* receiver);
    WaveResult queue(Direction& d, const char* name, WaveHandle handle, WaveHeader* header);
    WaveResult handBackAll(Direction& d, const char* name, WaveHandle handle, uint32_t notice);
    WaveResult close(Direction& d, const char* name, WaveHandle handle, uint32_t notice);
    WaveHandle nextHandle_ = 100;
};

} // namespace varendo::test
