#include "recorder/wave_component.h"

#include "common/program_title.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPaintEvent>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

namespace varendo {

namespace {

WaveMessageSink& messageSink()
{
    static WaveMessageSink sink;
    return sink;
}

std::atomic<int> buffersOut{0};

constexpr std::size_t kFormatHeaderBytes = 18;

} // namespace

void setWaveMessageSink(WaveMessageSink sink)
{
    messageSink() = std::move(sink);
}

void showWaveMessage(const QString& text)
{
    if (messageSink()) {
        messageSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text,
                    QMessageBox::Ok);
    box.exec();
}

void WaveDeviceSlot::reportOnce(const QString& text)
{
    if (reported.contains(text))
        return;
    reported.insert(text);
    showWaveMessage(text);
}

WaveComponent::WaveComponent(QWidget* owner) : QWidget(owner)
{
    resize(32, 32);
}

int WaveComponent::buffersInUse()
{
    return buffersOut.load();
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

void WaveComponent::closeOnDestruction(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall close)
{
    if (slot.receiver == this)
        closeDevice(slot, reset, close);
    QCoreApplication::sendPostedEvents(this, WaveNoticeEvent::eventType());
}

WaveHeader* WaveComponent::allocateBuffer(uint32_t length)
{
    auto* header = new WaveHeader;
    header->data = new char[std::max<uint32_t>(length, 1)]();
    resetHeader(header, length, 0);
    ++buffersOut;
    return header;
}

void WaveComponent::freeBuffer(WaveHeader* header)
{
    if (!header)
        return;
    delete[] header->data;
    delete header;
    --buffersOut;
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
    auto service = waveService();
    const std::vector<char> formatCopy = copyFormat(*service, format);
    // From here the device counts as open, also when the service refuses it:
    // later opens wait for a Close.
    slot.open = true;
    slot.handle = 0;
    slot.service = service;
    slot.receiver = this;
    slot.reported.clear();
    WaveHandle handle = 0;
    const WaveResult result = ((*service).*open)(
        &handle, reinterpret_cast<const WaveFormatRecord*>(formatCopy.data()), this);
    if (result != waveerr::kNoError) {
        showWaveMessage(failureText + QString::number(result));
        return false;
    }
    slot.handle = handle;
    slot.closing = false;
    return true;
}

void WaveComponent::closeDevice(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall close)
{
    if (!slot.open)
        return;
    const std::shared_ptr<WaveService> service = std::exchange(slot.service, nullptr);
    const WaveHandle handle = std::exchange(slot.handle, 0);
    slot.closing = true;
    slot.open = false;
    slot.receiver = nullptr;
    if (handle == 0)
        return; // the service never opened it
    ((*service).*reset)(handle);
    ((*service).*close)(handle);
}

} // namespace varendo
