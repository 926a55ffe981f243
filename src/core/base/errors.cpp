#include "core/base/errors.h"

#include <system_error>

namespace {

QString messageOf(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const TagscopeError*>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}

// Walks std::nested_exception links and keeps the last non-empty message found.
QString innermostMessage(const std::exception& error)
{
    QString found = messageOf(error);
    try {
        std::rethrow_if_nested(error);
    } catch (const std::exception& inner) {
        const QString innerText = innermostMessage(inner);
        if (!innerText.isEmpty())
            found = innerText;
    } catch (...) {
    }
    return found;
}

} // namespace

TagscopeError::TagscopeError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

const char* TagscopeError::what() const noexcept
{
    return m_utf8.constData();
}

const char* SilentAbort::what() const noexcept
{
    return "Operation aborted";
}

QString ErrorReportText(const std::exception& error)
{
    if (dynamic_cast<const SilentAbort*>(&error))
        return {};
    QString text = innermostMessage(error);
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    return text;
}

QString ErrorReportText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return ErrorReportText(e);
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

QString SystemErrorMessage(int code)
{
    // Unlike strerror, safe on any thread.
    return QString::fromLocal8Bit(std::system_category().message(code));
}

QString SystemErrorText(int code)
{
    if (code == 0)
        return QStringLiteral("A call to an OS function failed");
    return QStringLiteral("System Error.  Code: %1.\r\n%2").arg(QString::number(code), SystemErrorMessage(code));
}

[[noreturn]] void RaiseSystemError(int code)
{
    throw TagscopeError(SystemErrorText(code));
}
