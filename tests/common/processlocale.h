#pragma once
// The C library's locale of the whole process set as a desktop sets it, for
// tests that prove our library calls do not depend on it.
#include <QByteArray>
#include <QtTest>
#include <clocale>

namespace kervio::test {

// An empty name leaves the locale as it is.
class ProcessLocale {
public:
    explicit ProcessLocale(const QByteArray &name) : m_before(std::setlocale(LC_ALL, nullptr))
    {
        m_active = name.isEmpty() || std::setlocale(LC_ALL, name.constData()) != nullptr;
    }
    ~ProcessLocale() { std::setlocale(LC_ALL, m_before.constData()); }
    ProcessLocale(const ProcessLocale &) = delete;
    ProcessLocale &operator=(const ProcessLocale &) = delete;
    bool active() const { return m_active; }

private:
    QByteArray m_before;
    bool m_active = false;
};

} // namespace kervio::test

// Skips the test when the machine lacks the locale; in CI (scripts/dev.sh
// generates it) a missing locale fails instead.
#define KERVIO_SET_PROCESS_LOCALE(var, name)                                                                    \
    const kervio::test::ProcessLocale var(name);                                                                \
    if (!var.active()) {                                                                                       \
        const QByteArray why = QByteArray("locale ") + (name) + " is not installed (scripts/dev.sh generates it)"; \
        if (qEnvironmentVariableIsSet("CI"))                                                                    \
            QFAIL(why.constData());                                                                             \
        QSKIP(why.constData());                                                                                 \
    }
