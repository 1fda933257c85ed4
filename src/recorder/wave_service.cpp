#include "recorder/wave_service.h"

#include <QCoreApplication>

#include <mutex>

namespace varendo {

WaveNoticeEvent::WaveNoticeEvent(uint32_t notice, WaveHandle device, WaveHeader* header)
    : QEvent(eventType()), notice_(notice), device_(device), header_(header)
{
}

QEvent::Type WaveNoticeEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void postWaveNotice(QObject* receiver, uint32_t notice, WaveHandle device, WaveHeader* header)
{
    QCoreApplication::postEvent(receiver, new WaveNoticeEvent(notice, device, header));
}

namespace wavebuf {

WaveResult prepare(WaveHeader* header)
{
    if (!header)
        return waveerr::kInvalidParam;
    header->flags |= kHeaderPrepared;
    return waveerr::kNoError;
}

WaveResult unprepare(WaveHeader* header)
{
    if (!header)
        return waveerr::kInvalidParam;
    if (header->flags & kHeaderInQueue)
        return waveerr::kStillPlaying;
    header->flags &= ~kHeaderPrepared;
    return waveerr::kNoError;
}

WaveResult enqueue(WaveHeader* header)
{
    if (!header || (!header->data && header->bufferLength > 0))
        return waveerr::kInvalidParam;
    if (!(header->flags & kHeaderPrepared))
        return waveerr::kUnprepared;
    if (header->flags & kHeaderInQueue)
        return waveerr::kStillPlaying;
    header->flags = (header->flags & ~kHeaderDone) | kHeaderInQueue;
    return waveerr::kNoError;
}

void markDone(WaveHeader* header)
{
    header->flags = (header->flags & ~kHeaderInQueue) | kHeaderDone;
}

} // namespace wavebuf

WaveResult WaveService::inPrepareHeader(WaveHandle handle, WaveHeader* header)
{
    return isOpenHandle(handle, true) ? wavebuf::prepare(header) : waveerr::kInvalidHandle;
}

WaveResult WaveService::inUnprepareHeader(WaveHandle handle, WaveHeader* header)
{
    return isOpenHandle(handle, true) ? wavebuf::unprepare(header) : waveerr::kInvalidHandle;
}

WaveResult WaveService::outPrepareHeader(WaveHandle handle, WaveHeader* header)
{
    return isOpenHandle(handle, false) ? wavebuf::prepare(header) : waveerr::kInvalidHandle;
}

WaveResult WaveService::outUnprepareHeader(WaveHandle handle, WaveHeader* header)
{
    return isOpenHandle(handle, false) ? wavebuf::unprepare(header) : waveerr::kInvalidHandle;
}

namespace {

// Stands in until main() wires the real devices: nothing can be opened.
class NoWaveService final : public WaveService {
public:
    uint32_t largestFormatSize() override { return sizeof(WaveFormatRecord); }
    WaveResult inOpen(WaveHandle* h, const WaveFormatRecord*, QObject*) override { return refuse(h); }
    WaveResult inAddBuffer(WaveHandle, WaveHeader*) override { return waveerr::kInvalidHandle; }
    WaveResult inStart(WaveHandle) override { return waveerr::kInvalidHandle; }
    WaveResult inReset(WaveHandle) override { return waveerr::kInvalidHandle; }
    WaveResult inClose(WaveHandle) override { return waveerr::kInvalidHandle; }
    WaveResult outOpen(WaveHandle* h, const WaveFormatRecord*, QObject*) override { return refuse(h); }
    WaveResult outWrite(WaveHandle, WaveHeader*) override { return waveerr::kInvalidHandle; }
    WaveResult outReset(WaveHandle) override { return waveerr::kInvalidHandle; }
    WaveResult outClose(WaveHandle) override { return waveerr::kInvalidHandle; }

protected:
    bool isOpenHandle(WaveHandle, bool) const override { return false; }

private:
    static WaveResult refuse(WaveHandle* h)
    {
        if (h)
            *h = 0;
        return waveerr::kNoDriver;
    }
};

std::mutex serviceMutex;
std::shared_ptr<WaveService>& currentService()
{
    static std::shared_ptr<WaveService> service = std::make_shared<NoWaveService>();
    return service;
}

} // namespace

void setWaveService(std::shared_ptr<WaveService> service)
{
    std::lock_guard lock(serviceMutex);
    currentService() = service ? std::move(service) : std::make_shared<NoWaveService>();
}

std::shared_ptr<WaveService> waveService()
{
    std::lock_guard lock(serviceMutex);
    return currentService();
}

} // namespace varendo
