#pragma once
#include <QString>
#include <exception>

namespace kervio {

// An error that ends the user action where it happens; its text is shown as
// it stands by the general error handler.
class KervioError : public std::exception {
public:
    explicit KervioError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// Ends the action and every loop that called it without any message.
class SilentAbort : public std::exception {
public:
    const char *what() const noexcept override { return "aborted"; }
};

[[noreturn]] inline void raiseInvalidFloat(const QString &s)
{
    throw KervioError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
}
[[noreturn]] inline void raiseInvalidInteger(const QString &s)
{
    throw KervioError(QStringLiteral("'%1' is not a valid integer value").arg(s));
}
[[noreturn]] inline void raiseDivisionByZero()
{
    throw KervioError(QStringLiteral("Floating point division by zero"));
}
[[noreturn]] inline void raiseInvalidOperation()
{
    throw KervioError(QStringLiteral("Invalid floating point operation"));
}
[[noreturn]] inline void raiseOverflow()
{
    throw KervioError(QStringLiteral("Floating point overflow"));
}

} // namespace kervio
