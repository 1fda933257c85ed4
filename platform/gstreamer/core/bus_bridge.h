#pragma once
// Carries a pipeline's bus messages to the user-interface thread.
//
// The bus's sync handler runs on whichever thread posts a message. It gives the
// message to an optional tap there (for state a waiting caller needs at once),
// posts the kinds asked for to this object as an event tagged with the
// pipeline's generation, and then drops the message, giving back its reference:
// a message kept holds its source element, and with it the whole pipeline.
// Events of a pipeline this bridge no longer watches are never delivered.
#include "gstreamer/core/handles.h"

#include <QObject>

#include <functional>
#include <memory>

namespace varendo::gst {

class BusBridge final : public QObject {
    Q_OBJECT
public:
    // Runs on the posting thread, with the bridge's lock held: keep it short.
    using Tap = std::function<void(GstMessage*)>;
    // Runs on this object's thread.
    using Receiver = std::function<void(GstMessage*)>;

    explicit BusBridge(QObject* parent = nullptr);
    ~BusBridge() override;

    // Watches pipeline's bus from now on (and no earlier pipeline's). kinds is a
    // mask of GstMessageType; messages of other kinds only reach the tap.
    void attach(GstElement* pipeline, int kinds, Receiver receiver, Tap tap = {});
    // Stops listening; call before the pipeline is handed over for release.
    void detach();
    bool attached() const { return link_ != nullptr; }
    // Drops the messages posted so far and not yet delivered, and goes on
    // listening: for a pipeline restarted, whose earlier news no longer holds.
    void forgetPending();

protected:
    void customEvent(QEvent* event) override;

private:
    struct Link;
    static GstBusSyncReply onMessage(GstBus* bus, GstMessage* message, gpointer data);

    std::shared_ptr<Link> link_;
    Receiver receiver_;
    quint64 generation_ = 0;
};

} // namespace varendo::gst
