// A failure that a handler reports to the user: the message is Japanese text, ready for the
// error box. Handlers throw it; the entry points catch it and show it.
#pragma once

#include <QString>
#include <stdexcept>

namespace rinova::text {

class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

} // namespace rinova::text
