#pragma once
// What the two wave components share: a 32 x 32 child window that draws
// nothing and receives its device's notices, the buffers it hands to devices,
// and the way it reports device failures.
#include "recorder/wave_service.h"

#include <QSet>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace varendo {

// Where the components' failure messages go. The default shows a modal
// message box; tests install a recorder. An empty function restores the default.
using WaveMessageSink = std::function<void(const QString& text)>;
void setWaveMessageSink(WaveMessageSink sink);
void showWaveMessage(const QString& text);

// One device direction of the process: at most one device is open per
// direction, whichever component opened it.
struct WaveDeviceSlot {
    bool open = false;       // counts as open even when the service refused the device
    WaveHandle handle = 0;   // 0 after a refused open
    bool closing = false;    // set by Close until the next successful Open
    std::shared_ptr<WaveService> service;
    QObject* receiver = nullptr;
    QSet<QString> reported;  // per-buffer failures already shown since Open

    // A notice or a pending step still belongs to the device that is open now.
    bool isCurrent(WaveHandle device) const { return open && !closing && handle != 0 && handle == device; }
    // Shows a per-buffer failure once per Open: a device that fails every
    // block would otherwise stack a modal box for each 40 ms of sound.
    void reportOnce(const QString& text);
};

class WaveComponent : public QWidget {
    Q_OBJECT
public:
    // Buffers handed out by any component and not yet freed, process-wide.
    static int buffersInUse();

protected:
    explicit WaveComponent(QWidget* owner);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    virtual void handleNotice(const WaveNoticeEvent& notice) = 0;

    // For the derived destructor: nobody could receive the notices of a device
    // this component opened once it is gone, so the device is closed; then the
    // notices still queued here are delivered, which frees their buffers.
    using DeviceCall = WaveResult (WaveService::*)(WaveHandle);
    void closeOnDestruction(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall close);

    static WaveHeader* allocateBuffer(uint32_t length);
    static void freeBuffer(WaveHeader* header);
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
    static void closeDevice(WaveDeviceSlot& slot, DeviceCall reset, DeviceCall close);
};

} // namespace varendo
