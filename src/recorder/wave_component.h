#pragma once
// What the two wave components share: a 32 x 32 child window that draws
// nothing and receives its device's notices, the devices of the program they
// belong to, and the way they report device failures.
#include "recorder/wave_service.h"

#include <QSet>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

namespace varendo {

// Where the components' failure messages go; empty: a modal message box.
using WaveMessageSink = std::function<void(const QString& text)>;

// One device direction: at most one device is open per direction, whichever
// component opened it.
struct WaveDeviceSlot {
    bool open = false;       // counts as open even when the service refused the device
    WaveHandle handle = 0;   // 0 after a refused open
    bool closing = false;    // set by Close until the next successful Open
    QObject* receiver = nullptr;
    QSet<QString> reported;  // per-buffer failures already shown since Open

    // A notice or a pending step still belongs to the device that is open now.
    bool isCurrent(WaveHandle device) const { return open && !closing && handle != 0 && handle == device; }
};

// The wave devices every component of one program shares (the main window's
// and the recording player's): the service, the open capture and output
// devices, and the count of buffers handed out and not yet freed.
class WaveDevices {
public:
    // Without a service every device open is refused with waveerr::kNoDriver.
    explicit WaveDevices(std::shared_ptr<WaveService> service, WaveMessageSink messages = {});
    WaveDevices(const WaveDevices&) = delete;
    WaveDevices& operator=(const WaveDevices&) = delete;

    WaveService& service() const { return *service_; }

    WaveDeviceSlot in;  // the capture device
    WaveDeviceSlot out; // the output device
    // Size of each capture buffer, set by every capture Open.
    uint32_t inBufferSize = 0;

    WaveHeader* allocateBuffer(uint32_t length);
    void freeBuffer(WaveHeader* header);
    // Buffers handed out and not yet freed.
    int buffersInUse() const { return buffersOut_.load(); }

    void showMessage(const QString& text) const;
    // Shows a per-buffer failure once per Open of slot's device: a device that
    // fails every block would otherwise stack a modal box for each 40 ms of sound.
    void reportOnce(WaveDeviceSlot& slot, const QString& text) const;

private:
    std::shared_ptr<WaveService> service_;
    WaveMessageSink messages_;
    std::atomic<int> buffersOut_{0};
};

class WaveComponent : public QWidget {
    Q_OBJECT
protected:
    WaveComponent(QWidget* owner, std::shared_ptr<WaveDevices> devices);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    virtual void handleNotice(const WaveNoticeEvent& notice) = 0;

    // For the derived destructor: nobody could receive the notices of a device
    // this component opened once it is gone, so the device is closed; then the
    // notices still queued here are delivered, which frees their buffers.
    using DeviceCall = WaveResult (WaveService::*)(WaveHandle);
    void closeOnDestruction(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall closeCall);

    // Header fields as they are set before a buffer goes to a device.
    static void resetHeader(WaveHeader* header, uint32_t length, uint32_t recorded);

    // The caller's record copied into a zeroed buffer as large as the largest
    // format record of the service; extra bytes beyond the record are not read.
    static std::vector<char> copyFormat(WaveService& service, const WaveFormatRecord& format);

    // Marks slot open for this component and opens the device through open;
    // shows failureText plus the error number when refused.
    using OpenCall = WaveResult (WaveService::*)(WaveHandle*, const WaveFormatRecord*, QObject*);
    bool openDevice(WaveDeviceSlot& slot, const WaveFormatRecord& format, OpenCall open,
                    const QString& failureText);
    // Marks slot closed (closing flag set) and has the service reset and close
    // its device; the buffers the reset hands back arrive as notices and are
    // freed there. Nothing happens when slot is not open.
    void closeDevice(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall closeCall);

    // Kept by every component, so the devices outlive the last one.
    const std::shared_ptr<WaveDevices> devices_;
};

} // namespace varendo
