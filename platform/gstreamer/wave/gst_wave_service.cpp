#include "gstreamer/wave/gst_wave_service.h"

#include "gstreamer/wave/capture_device.h"
#include "gstreamer/wave/output_device.h"

#include <map>
#include <memory>
#include <mutex>

namespace varendo::gst {

namespace {

class GstWaveService final : public WaveService {
public:
    // GSM 6.10 is the only codec, so its record is the largest there is.
    uint32_t largestFormatSize() override { return sizeof(WaveFormatRecord); }

    WaveResult inOpen(WaveHandle* handle, const WaveFormatRecord* format, QObject* receiver) override
    {
        return openDevice(captures_, handle, format, receiver);
    }
    WaveResult inAddBuffer(WaveHandle handle, WaveHeader* header) override
    {
        return onDevice(captures_, handle, [&](CaptureDevice& d) { return d.addBuffer(header); });
    }
    WaveResult inStart(WaveHandle handle) override
    {
        return onDevice(captures_, handle, [](CaptureDevice& d) { return d.start(); });
    }
    WaveResult inReset(WaveHandle handle) override
    {
        return onDevice(captures_, handle, [](CaptureDevice& d) { return d.reset(); });
    }
    WaveResult inClose(WaveHandle handle) override { return closeDevice(captures_, handle); }

    WaveResult outOpen(WaveHandle* handle, const WaveFormatRecord* format, QObject* receiver) override
    {
        return openDevice(outputs_, handle, format, receiver);
    }
    WaveResult outWrite(WaveHandle handle, WaveHeader* header) override
    {
        return onDevice(outputs_, handle, [&](OutputDevice& d) { return d.write(header); });
    }
    WaveResult outReset(WaveHandle handle) override
    {
        return onDevice(outputs_, handle, [](OutputDevice& d) { return d.reset(); });
    }
    WaveResult outClose(WaveHandle handle) override { return closeDevice(outputs_, handle); }

protected:
    bool isOpenHandle(WaveHandle handle, bool capture) const override
    {
        return capture ? find(captures_, handle) != nullptr : find(outputs_, handle) != nullptr;
    }

private:
    template <class Device>
    using Devices = std::map<WaveHandle, std::unique_ptr<Device>>;

    template <class Device>
    WaveResult openDevice(Devices<Device>& devices, WaveHandle* handle, const WaveFormatRecord* format,
                          QObject* receiver)
    {
        if (!handle || !format || !receiver)
            return waveerr::kInvalidParam;
        *handle = 0;
        if (!(*format == gsmRecordingFormat()))
            return waveerr::kBadFormat;
        WaveHandle id;
        {
            std::lock_guard lock(mutex_);
            id = nextHandle_++; // never reused, so a stale notice names a dead device
        }
        auto device = std::make_unique<Device>(id, receiver);
        const WaveResult result = device->open();
        if (result != waveerr::kNoError)
            return result;
        std::lock_guard lock(mutex_);
        devices.emplace(id, std::move(device));
        *handle = id;
        return waveerr::kNoError;
    }

    template <class Device>
    WaveResult closeDevice(Devices<Device>& devices, WaveHandle handle)
    {
        std::unique_ptr<Device> device;
        {
            std::lock_guard lock(mutex_);
            auto it = devices.find(handle);
            if (it == devices.end())
                return waveerr::kInvalidHandle;
            device = std::move(it->second);
            devices.erase(it);
        }
        device->close(); // hands back what is still queued: no notice follows
        return waveerr::kNoError;
    }

    template <class Device, class Call>
    WaveResult onDevice(const Devices<Device>& devices, WaveHandle handle, Call call)
    {
        Device* device = find(devices, handle);
        return device ? call(*device) : waveerr::kInvalidHandle;
    }

    template <class Device>
    Device* find(const Devices<Device>& devices, WaveHandle handle) const
    {
        std::lock_guard lock(mutex_);
        auto it = devices.find(handle);
        return it == devices.end() ? nullptr : it->second.get();
    }

    mutable std::mutex mutex_;
    WaveHandle nextHandle_ = 1;
    Devices<CaptureDevice> captures_;
    Devices<OutputDevice> outputs_;
};

} // namespace

std::shared_ptr<WaveService> createWaveService()
{
    return std::make_shared<GstWaveService>();
}

} // namespace varendo::gst
