#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// An error of the program, carrying the text the user is shown.
class TagscopeError : public std::exception
{
public:
    explicit TagscopeError(QString message);

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override;

private:
    QString m_message;
    QByteArray m_utf8;
};

// Ends a command without any report.
class SilentAbort final : public std::exception
{
public:
    const char* what() const noexcept override;
};

// The text the general error report shows for an error that escaped a command: the innermost non-empty message of a
// chain of nested errors, with a "." appended when its last character sorts after "."; empty for a silent abort.
QString ErrorReportText(const std::exception& error);
QString ErrorReportText(const std::exception_ptr& error);

// The operating system's own message for an error code (an errno value), such as "No such file or directory".
QString SystemErrorMessage(int code);

// The text of an error of the operating system: "System Error.  Code: <code>.\r\n<the system's message>", or
// "A call to an OS function failed" for code 0.
QString SystemErrorText(int code);

// Throws TagscopeError with SystemErrorText(code).
[[noreturn]] void RaiseSystemError(int code);
