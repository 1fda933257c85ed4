#include "gstreamer/core/bus_bridge.h"

#include <QCoreApplication>
#include <QEvent>

#include <mutex>

namespace varendo::gst {

namespace {

const QEvent::Type kBusEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct BusEvent final : QEvent {
    BusEvent(quint64 gen, GstMessage* msg) : QEvent(kBusEvent), generation(gen), message(gst_message_ref(msg)) {}
    quint64 generation;
    MessagePtr message;
};

} // namespace

struct BusBridge::Link {
    std::mutex mutex;
    QObject* target = nullptr; // null once detached
    quint64 generation = 0;
    int kinds = 0;
    Tap tap;
};

BusBridge::BusBridge(QObject* parent) : QObject(parent) {}

BusBridge::~BusBridge()
{
    detach();
}

void BusBridge::attach(GstElement* pipeline, int kinds, Receiver receiver, Tap tap)
{
    detach();
    link_ = std::make_shared<Link>();
    link_->target = this;
    link_->generation = ++generation_;
    link_->kinds = kinds;
    link_->tap = std::move(tap);
    receiver_ = std::move(receiver);
    BusPtr bus(gst_element_get_bus(pipeline));
    gst_bus_set_sync_handler(bus.get(), &BusBridge::onMessage, Held<Link>::hold(link_), &Held<Link>::release);
}

void BusBridge::detach()
{
    if (!link_)
        return;
    {
        std::lock_guard lock(link_->mutex);
        link_->target = nullptr;
        link_->tap = nullptr;
    }
    link_.reset();
    receiver_ = nullptr;
    ++generation_;
}

void BusBridge::forgetPending()
{
    if (!link_)
        return;
    std::lock_guard lock(link_->mutex);
    link_->generation = ++generation_;
}

GstBusSyncReply BusBridge::onMessage(GstBus*, GstMessage* message, gpointer data)
{
    Link& link = Held<Link>::of(data);
    {
        std::lock_guard lock(link.mutex);
        if (link.tap)
            link.tap(message);
        if (link.target && (GST_MESSAGE_TYPE(message) & link.kinds))
            QCoreApplication::postEvent(link.target, new BusEvent(link.generation, message));
    }
    // Nobody pops the bus: the message ends here, and dropping it means giving back its reference.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void BusBridge::customEvent(QEvent* event)
{
    if (event->type() != kBusEvent)
        return QObject::customEvent(event);
    auto* bus = static_cast<BusEvent*>(event);
    if (!link_ || bus->generation != generation_ || !receiver_)
        return;
    // The receiver may detach (and so clear itself) while it runs.
    const Receiver receiver = receiver_;
    receiver(bus->message.get());
}

} // namespace varendo::gst
