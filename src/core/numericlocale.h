#pragma once
#include <locale.h>

namespace kervio {

// The C library's number conversions (the printf and strtod families) follow
// LC_NUMERIC, which an application object takes from the environment: under
// a Turkish locale they write and read decimal commas. Our own texts take
// their separators from Regional, never from there.

// Sets the process's LC_NUMERIC back to "C"; called right after the
// application object exists. QLocale::system() still reads the environment.
void useCNumericLocaleInProcess();

// While it lives, the calling thread converts numbers in the C library as
// in the "C" locale, whatever the process locale; the libraries that write
// and read workbooks run under it.
class CNumericLocale {
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

private:
    locale_t m_locale = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
};

} // namespace kervio
