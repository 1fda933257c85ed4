#include "recorder/acm_wave_in.h"

#include <algorithm>
#include <vector>

namespace varendo {

TACMWaveIn::TACMWaveIn(QWidget* owner, std::shared_ptr<WaveDevices> devices)
    : WaveComponent(owner, std::move(devices)), waveIn(devices_->in)
{
}

TACMWaveIn::~TACMWaveIn()
{
    closeOnDestruction(waveIn, &WaveService::inReset, &WaveService::inClose);
}

void TACMWaveIn::Open(const WaveFormatRecord* format)
{
    if (waveIn.open || !format)
        return;
    devices_->inBufferSize = kBufferSize;
    if (!openDevice(waveIn, *format, &WaveService::inOpen,
                    QStringLiteral("Problem creating record handle")))
        return;
    const WaveHandle device = waveIn.handle;
    WaveService& service = devices_->service();
    for (int i = 0; i < kBufferCount && waveIn.isCurrent(device); ++i)
        queueBuffer(service, device, devices_->allocateBuffer(devices_->inBufferSize));
    if (waveIn.isCurrent(device) && service.inStart(device) != waveerr::kNoError)
        devices_->showMessage(QStringLiteral("Start error"));
}

void TACMWaveIn::Close()
{
    closeDevice(waveIn, &WaveService::inReset, &WaveService::inClose);
}

void TACMWaveIn::queueBuffer(WaveService& service, WaveHandle device, WaveHeader* header)
{
    if (service.inPrepareHeader(device, header) != waveerr::kNoError)
        devices_->reportOnce(waveIn, QStringLiteral("In Prepare error"));
    if (!waveIn.isCurrent(device)) { // closed while a message was up
        devices_->freeBuffer(header);
        return;
    }
    if (service.inAddBuffer(device, header) != waveerr::kNoError) {
        devices_->reportOnce(waveIn, QStringLiteral("Add buffer error"));
        devices_->freeBuffer(header);
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
        devices_->freeBuffer(header);
        return;
    }
    WaveService& service = devices_->service();
    if (service.inUnprepareHeader(device, header) != waveerr::kNoError)
        devices_->reportOnce(waveIn, QStringLiteral("In Un Prepare error"));

    if (!waveIn.isCurrent(device)) { // closed while a message was up
        devices_->freeBuffer(header);
        return;
    }

    const uint32_t size = std::min(header->bytesRecorded, header->bufferLength);
    auto requeue = [&] {
        if (!waveIn.isCurrent(device)) { // OnData closed the device
            devices_->freeBuffer(header);
            return;
        }
        resetHeader(header, devices_->inBufferSize, 0);
        queueBuffer(service, device, header);
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
