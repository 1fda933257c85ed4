#include "recorder/acm_wave_out.h"

#include <cstring>

namespace varendo {

namespace {

const QString kPrepareError = QStringLiteral("WaveOutPrepareHeader error");

} // namespace

TACMWaveOut::TACMWaveOut(QWidget* owner, std::shared_ptr<WaveDevices> devices)
    : WaveComponent(owner, std::move(devices)), waveOut(devices_->out)
{
}

TACMWaveOut::~TACMWaveOut()
{
    closeOnDestruction(waveOut, &WaveService::outReset, &WaveService::outClose);
}

void TACMWaveOut::Open(const WaveFormatRecord* format)
{
    if (waveOut.open || !format)
        return;
    openDevice(waveOut, *format, &WaveService::outOpen,
               QStringLiteral("Problem creating playing handle"));
}

void TACMWaveOut::Write(const void* block, int size)
{
    // A refused device had its error shown once by Open; its blocks are dropped
    // until Close rather than reported again for every block.
    if (!waveOut.isCurrent(waveOut.handle) || size < 0 || (!block && size > 0))
        return;
    const WaveHandle device = waveOut.handle;
    WaveService& service = devices_->service();
    WaveHeader* header = devices_->allocateBuffer(static_cast<uint32_t>(size));
    if (size > 0)
        std::memcpy(header->data, block, static_cast<std::size_t>(size));
    resetHeader(header, static_cast<uint32_t>(size), static_cast<uint32_t>(size));

    if (service.outPrepareHeader(device, header) != waveerr::kNoError)
        devices_->reportOnce(waveOut, kPrepareError);
    if (!waveOut.isCurrent(device)) { // closed while a message was up
        devices_->freeBuffer(header);
        return;
    }
    if (service.outWrite(device, header) != waveerr::kNoError) {
        devices_->reportOnce(waveOut, QStringLiteral("WaveOutWrite error"));
        devices_->freeBuffer(header); // the device did not take it: no done notice will come
    }
}

void TACMWaveOut::Close()
{
    closeDevice(waveOut, &WaveService::outReset, &WaveService::outClose);
}

void TACMWaveOut::handleNotice(const WaveNoticeEvent& notice)
{
    WaveHeader* header = notice.header();
    if (notice.notice() != kNoticeOutputDone || !header)
        return;
    const WaveHandle device = notice.device();
    if (waveOut.isCurrent(device)) {
        if (devices_->service().outUnprepareHeader(device, header) != waveerr::kNoError)
            devices_->reportOnce(waveOut, kPrepareError);
    }
    devices_->freeBuffer(header);
}

} // namespace varendo
