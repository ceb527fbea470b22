#pragma once

#include <QString>

#include <stdexcept>

namespace vl {

// An error raised by the platform layer (a full list, a file that cannot be written). It ends
// the operation that was running; the application's general error report shows its message.
class PlatformError : public std::runtime_error
{
public:
    explicit PlatformError(const QString &message) :
        std::runtime_error(message.toStdString()),
        message_(message)
    { }
    const QString &message() const { return message_; }

private:
    QString message_;
};

} // namespace vl
