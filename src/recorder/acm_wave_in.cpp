#include "recorder/acm_wave_in.h"

#include <algorithm>
#include <vector>

namespace varendo {

namespace {

WaveDeviceSlot waveIn;
uint32_t waveInBufferSize = TACMWaveIn::kBufferSize;

} // namespace

TACMWaveIn::TACMWaveIn(QWidget* owner) : WaveComponent(owner) {}

TACMWaveIn::~TACMWaveIn()
{
    closeOnDestruction(waveIn, &WaveService::inReset, &WaveService::inClose);
}

void TACMWaveIn::Open(const WaveFormatRecord* format)
{
    if (waveIn.open || !format)
        return;
    waveInBufferSize = kBufferSize;
    if (!openDevice(waveIn, *format, &WaveService::inOpen,
                    QStringLiteral("Problem creating record handle")))
        return;
    const WaveHandle device = waveIn.handle;
    const auto service = waveIn.service;
    for (int i = 0; i < kBufferCount && waveIn.isCurrent(device); ++i)
        queueBuffer(*service, device, allocateBuffer(waveInBufferSize));
    if (waveIn.isCurrent(device) && service->inStart(device) != waveerr::kNoError)
        showWaveMessage(QStringLiteral("Start error"));
}

void TACMWaveIn::Close()
{
    closeDevice(waveIn, &WaveService::inReset, &WaveService::inClose);
}

void TACMWaveIn::queueBuffer(WaveService& service, WaveHandle device, WaveHeader* header)
{
    if (service.inPrepareHeader(device, header) != waveerr::kNoError)
        waveIn.reportOnce(QStringLiteral("In Prepare error"));
    if (!waveIn.isCurrent(device)) { // closed while a message was up
        freeBuffer(header);
        return;
    }
    if (service.inAddBuffer(device, header) != waveerr::kNoError) {
        waveIn.reportOnce(QStringLiteral("Add buffer error"));
        freeBuffer(header);
    }
}

void TACMWaveIn::handleNotice(const WaveNoticeEvent& notice)
{
    WaveHeader* header = notice.header();
    if (notice.notice() != kNoticeInputData || !header)
        return;
    const WaveHandle device = notice.device();
    // After Close (or from a device closed since) buffers are only freed.
    if (!waveIn.isCurrent(device)) {
        freeBuffer(header);
        return;
    }
    const auto service = waveIn.service;
    if (service->inUnprepareHeader(device, header) != waveerr::kNoError)
        waveIn.reportOnce(QStringLiteral("In Un Prepare error"));

    if (!waveIn.isCurrent(device)) { // closed while a message was up
        freeBuffer(header);
        return;
    }

    const uint32_t size = std::min(header->bytesRecorded, header->bufferLength);
    auto requeue = [&] {
        if (!waveIn.isCurrent(device)) { // OnData closed the device
            freeBuffer(header);
            return;
        }
        resetHeader(header, waveInBufferSize, 0);
        queueBuffer(*service, device, header);
    };
    try {
        if (OnData) {
            const std::vector<char> copy(header->data, header->data + size);
            OnData(copy.data(), static_cast<int>(size));
        }
    } catch (...) {
        requeue(); // keep the buffer circling; the owner's failure goes on up
        throw;
    }
    requeue();
}

} // namespace varendo
