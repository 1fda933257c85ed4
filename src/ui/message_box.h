#pragma once
// Messages to the learner, and the general error handler every event handler runs
// under: an error ends the step in progress and its text is shown in a message box.
#include <QString>
#include <functional>

class QWidget;

namespace varendo {

// Shows an error's text (the general error handler's box).
void ShowError(const QString& text);
// Shows a plain message.
void ShowMessage(const QString& text);

// Tests replace the boxes with a recorder; an empty function restores them.
using MessageSink = std::function<void(const QString& text, bool isError)>;
void setMessageSink(MessageSink sink);

// Runs a handler; any error it raises is shown and the handler's step ends there.
void guarded(const std::function<void()>& handler);

} // namespace varendo
