#include "ui/event_hook.h"

#include <QObject>

namespace varendo {
namespace {

class EventHook : public QObject {
public:
    EventHook(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler)
        : QObject(target), type_(type), handler_(std::move(handler))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == type_ && handler_(event))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type_;
    std::function<bool(QEvent*)> handler_;
};

} // namespace

void onEvent(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler)
{
    new EventHook(target, type, std::move(handler));
}

} // namespace varendo
