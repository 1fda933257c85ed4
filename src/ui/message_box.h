#pragma once
// Messages to the learner, and the general error handler every event handler runs
// under: an error ends the step in progress and its text is shown in a message box.
#include <QString>
#include <functional>

namespace varendo {

// Takes the messages in place of the boxes (a test records them).
using MessageSink = std::function<void(const QString& text, bool isError)>;
// Takes the questions in place of the boxes: true for the first choice (a test answers them).
using QuestionSink = std::function<bool(const QString& text)>;

class MessageBoxes {
public:
    // Without a sink, messages are shown in modal message boxes.
    explicit MessageBoxes(MessageSink sink = {}, QuestionSink questions = {});

    // Shows an error's text (the general error handler's box).
    void ShowError(const QString& text) const;
    // Shows a plain message.
    void ShowMessage(const QString& text) const;
    // Asks whether to try again ("重试") or give up ("取消"); true to try again.
    // With a message sink and no question sink, the question goes to the sink as an
    // error and the answer is to give up.
    bool AskRetry(const QString& text) const;
    // Runs a handler; any error it raises is shown and the handler's step ends there.
    void guarded(const std::function<void()>& handler) const;

private:
    void show(const QString& text, bool isError) const;

    MessageSink sink_;
    QuestionSink questions_;
};

} // namespace varendo
