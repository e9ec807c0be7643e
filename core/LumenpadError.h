#pragma once

#include <QString>
#include <stdexcept>

// A failure that ends the running handler and reaches the user as the error box's text.
// Every failure the program reports is one of these; the message is the user's text as is.
class LumenpadError : public std::runtime_error {
public:
    explicit LumenpadError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}

    const QString& message() const { return message_; }

private:
    QString message_;
};

// The standard file messages, with the full path and the system's reason filled in.
QString FileOpenMessage(const QString& path, const QString& reason);   // reading
QString FileCreateMessage(const QString& path, const QString& reason); // writing

// The error text as shown: the message, with a full stop appended when its last character
// sorts after "." (so "... Zeile 12)" gets one and "done." or "ok!" do not).
QString ErrorBoxText(const QString& message);
