#pragma once
// The wave-audio devices the recorder components talk to: capture and output
// devices opened on a wave-format record, fed with caller-owned buffers that
// come back to a receiver object as queued notices on its thread.
//
// Calls return 0 on success or an error number (the numbering below). A buffer
// handed to a device stays the caller's memory; the device hands it back with a
// notice and never touches it afterwards. Every buffer still queued when the
// device is reset or closed is handed back before that call returns, so after
// close no notice for the device is posted any more.
#include "common/recording_format.h"

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <memory>

namespace varendo {

using WaveResult = uint32_t;
using WaveHandle = uintptr_t; // 0: no device

namespace waveerr {
constexpr WaveResult kNoError = 0;
constexpr WaveResult kError = 1;          // unspecified device failure
constexpr WaveResult kBadDeviceId = 2;    // no such device
constexpr WaveResult kInvalidHandle = 5;
constexpr WaveResult kNoDriver = 6;       // no sound service reachable
constexpr WaveResult kInvalidParam = 11;
constexpr WaveResult kBadFormat = 32;     // format not supported
constexpr WaveResult kStillPlaying = 33;  // buffer still queued
constexpr WaveResult kUnprepared = 34;    // buffer not prepared
} // namespace waveerr

// Notice numbers, as the receiver sees them.
constexpr uint32_t kNoticeInputData = 0x3C0;
constexpr uint32_t kNoticeOutputDone = 0x3BD;

// Buffer flags kept by the device.
constexpr uint32_t kHeaderDone = 0x01;
constexpr uint32_t kHeaderPrepared = 0x02;
constexpr uint32_t kHeaderInQueue = 0x10;

struct WaveHeader {
    char* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    uint32_t flags = 0;
    uint32_t loops = 0;
};

// Posted to the receiver for every buffer a device hands back, in device order.
class WaveNoticeEvent : public QEvent {
public:
    WaveNoticeEvent(uint32_t notice, WaveHandle device, WaveHeader* header);
    static QEvent::Type eventType();

    uint32_t notice() const { return notice_; }
    WaveHandle device() const { return device_; }
    WaveHeader* header() const { return header_; }

private:
    uint32_t notice_;
    WaveHandle device_;
    WaveHeader* header_;
};

// Posts a notice to receiver; safe from any thread.
void postWaveNotice(QObject* receiver, uint32_t notice, WaveHandle device, WaveHeader* header);

class WaveService {
public:
    virtual ~WaveService() = default;

    // Size in bytes of the largest format record any codec of the service uses.
    virtual uint32_t largestFormatSize() = 0;

    // Opens a device on format; notices go to receiver, which must outlive the
    // open device. On failure *handle is left 0.
    virtual WaveResult inOpen(WaveHandle* handle, const WaveFormatRecord* format, QObject* receiver) = 0;
    virtual WaveResult inPrepareHeader(WaveHandle handle, WaveHeader* header);
    virtual WaveResult inAddBuffer(WaveHandle handle, WaveHeader* header) = 0;
    virtual WaveResult inUnprepareHeader(WaveHandle handle, WaveHeader* header);
    virtual WaveResult inStart(WaveHandle handle) = 0;
    // Stops capturing and hands back every queued buffer.
    virtual WaveResult inReset(WaveHandle handle) = 0;
    virtual WaveResult inClose(WaveHandle handle) = 0;

    virtual WaveResult outOpen(WaveHandle* handle, const WaveFormatRecord* format, QObject* receiver) = 0;
    virtual WaveResult outPrepareHeader(WaveHandle handle, WaveHeader* header);
    // Queues header's bufferLength bytes; blocks play in the order written.
    virtual WaveResult outWrite(WaveHandle handle, WaveHeader* header) = 0;
    virtual WaveResult outUnprepareHeader(WaveHandle handle, WaveHeader* header);
    // Stops playing and hands back every queued block.
    virtual WaveResult outReset(WaveHandle handle) = 0;
    virtual WaveResult outClose(WaveHandle handle) = 0;

protected:
    // Whether handle names an open device of the given direction.
    virtual bool isOpenHandle(WaveHandle handle, bool capture) const = 0;
};

// Buffer bookkeeping that every service shares.
namespace wavebuf {
WaveResult prepare(WaveHeader* header);
WaveResult unprepare(WaveHeader* header);
// Checks and marks a buffer as queued on a device.
WaveResult enqueue(WaveHeader* header);
// Marks a buffer as handed back.
void markDone(WaveHeader* header);
} // namespace wavebuf

} // namespace varendo
