#pragma once
// The one error type the program raises: its text is shown to the learner as it stands.
#include <QString>
#include <stdexcept>

namespace varendo {

class VarendoError : public std::runtime_error {
public:
    explicit VarendoError(const QString& message);
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace varendo
