#pragma once
// Messages to the learner, and the general error handler every event handler runs
// under: an error ends the step in progress and its text is shown in a message box.
#include <QString>
#include <functional>

namespace varendo {

// Takes the messages in place of the boxes (a test records them).
using MessageSink = std::function<void(const QString& text, bool isError)>;

class MessageBoxes {
public:
    // Without a sink, messages are shown in modal message boxes.
    explicit MessageBoxes(MessageSink sink = {});

    // Shows an error's text (the general error handler's box).
    void ShowError(const QString& text) const;
    // Shows a plain message.
    void ShowMessage(const QString& text) const;
    // Runs a handler; any error it raises is shown and the handler's step ends there.
    void guarded(const std::function<void()>& handler) const;

private:
    void show(const QString& text, bool isError) const;

    MessageSink sink_;
};

} // namespace varendo
