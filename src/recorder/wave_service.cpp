#include "recorder/wave_service.h"

#include <QCoreApplication>

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

} // namespace varendo
