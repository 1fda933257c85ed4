#include "ui/event_hook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

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

// Hands every key released in a window to a handler once, before the control
// it is meant for sees it.
class KeyPreview final : public QObject {
public:
    KeyPreview(QWidget* window, std::function<void(QKeyEvent*)> handler)
        : QObject(window), window_(window), handler_(std::move(handler))
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyRelease || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        // An event not taken by its control travels up to the window through
        // each parent: the first stop is where it is handled.
        const bool travelling =
            event == lastEvent_ && lastReceiver_ && widget != lastReceiver_ && widget->isAncestorOf(lastReceiver_);
        lastEvent_ = event;
        lastReceiver_ = widget;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!travelling && !key->isAutoRepeat() && widget->window() == window_)
            handler_(key);
        return false;
    }

private:
    QWidget* window_;
    std::function<void(QKeyEvent*)> handler_;
    const QEvent* lastEvent_ = nullptr;
    QPointer<QWidget> lastReceiver_;
};

} // namespace

void onEvent(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler)
{
    new EventHook(target, type, std::move(handler));
}

void onKeyRelease(QWidget* window, std::function<void(QKeyEvent*)> handler)
{
    new KeyPreview(window, std::move(handler));
}

} // namespace varendo
