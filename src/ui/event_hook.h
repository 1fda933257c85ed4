#pragma once
// Lets a handler see one kind of event of a control before the control does,
// without the window having to filter every control's events itself.
#include <QEvent>

#include <functional>

class QKeyEvent;
class QObject;
class QWidget;

namespace varendo {

// handler returns true to stop the event there. The hook lives as long as target.
void onEvent(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler);

// Hands every key released anywhere in a window to a handler once, before the
// control it is meant for sees it (auto-repeats are left out).
void onKeyRelease(QWidget* window, std::function<void(QKeyEvent*)> handler);

} // namespace varendo
