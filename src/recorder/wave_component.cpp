#include "recorder/wave_component.h"

#include "common/program_title.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPaintEvent>

#include <algorithm>
#include <cstring>
#include <utility>

namespace varendo {

namespace {

constexpr std::size_t kFormatHeaderBytes = 18;

// Stands in when the program has no wave devices: nothing can be opened.
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

} // namespace

WaveDevices::WaveDevices(std::shared_ptr<WaveService> service, WaveMessageSink messages)
    : service_(service ? std::move(service) : std::make_shared<NoWaveService>()), messages_(std::move(messages))
{
}

WaveHeader* WaveDevices::allocateBuffer(uint32_t length)
{
    auto* header = new WaveHeader;
    header->data = new char[std::max<uint32_t>(length, 1)]();
    header->bufferLength = length;
    ++buffersOut_;
    return header;
}

void WaveDevices::freeBuffer(WaveHeader* header)
{
    if (!header)
        return;
    delete[] header->data;
    delete header;
    --buffersOut_;
}

void WaveDevices::showMessage(const QString& text) const
{
    if (messages_) {
        messages_(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::Ok);
    box.exec();
}

void WaveDevices::reportOnce(WaveDeviceSlot& slot, const QString& text) const
{
    if (slot.reported.contains(text))
        return;
    slot.reported.insert(text);
    showMessage(text);
}

WaveComponent::WaveComponent(QWidget* owner, std::shared_ptr<WaveDevices> devices)
    : QWidget(owner), devices_(std::move(devices))
{
    resize(32, 32);
}

bool WaveComponent::event(QEvent* e)
{
    if (e->type() == WaveNoticeEvent::eventType()) {
        handleNotice(static_cast<const WaveNoticeEvent&>(*e));
        return true;
    }
    return QWidget::event(e);
}

void WaveComponent::paintEvent(QPaintEvent* e)
{
    e->accept();
}

void WaveComponent::closeOnDestruction(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall closeCall)
{
    if (slot.receiver == this)
        closeDevice(slot, reset, closeCall);
    QCoreApplication::sendPostedEvents(this, WaveNoticeEvent::eventType());
}

void WaveComponent::resetHeader(WaveHeader* header, uint32_t length, uint32_t recorded)
{
    header->bufferLength = length;
    header->bytesRecorded = recorded;
    header->user = 0;
    header->flags = 0;
    header->loops = 0;
}

std::vector<char> WaveComponent::copyFormat(WaveService& service, const WaveFormatRecord& format)
{
    std::vector<char> copy(std::max<std::size_t>(service.largestFormatSize(), sizeof format), 0);
    const std::size_t bytes = std::min(kFormatHeaderBytes + format.extraSize, sizeof format);
    std::memcpy(copy.data(), &format, bytes);
    return copy;
}

bool WaveComponent::openDevice(WaveDeviceSlot& slot, const WaveFormatRecord& format, OpenCall open,
                               const QString& failureText)
{
    WaveService& service = devices_->service();
    const std::vector<char> formatCopy = copyFormat(service, format);
    // From here the device counts as open, also when the service refuses it:
    // later opens wait for a Close.
    slot.open = true;
    slot.handle = 0;
    slot.receiver = this;
    slot.reported.clear();
    WaveHandle handle = 0;
    const WaveResult result =
        (service.*open)(&handle, reinterpret_cast<const WaveFormatRecord*>(formatCopy.data()), this);
    if (result != waveerr::kNoError) {
        devices_->showMessage(failureText + QString::number(result));
        return false;
    }
    slot.handle = handle;
    slot.closing = false;
    return true;
}

void WaveComponent::closeDevice(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall closeCall)
{
    if (!slot.open)
        return;
    const WaveHandle handle = std::exchange(slot.handle, 0);
    slot.closing = true;
    slot.open = false;
    slot.receiver = nullptr;
    if (handle == 0)
        return; // the service never opened it
    WaveService& service = devices_->service();
    (service.*reset)(handle);
    (service.*closeCall)(handle);
}

} // namespace varendo
