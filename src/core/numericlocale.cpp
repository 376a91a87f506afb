#include "numericlocale.h"

namespace kervio {

void useCNumericLocaleInProcess()
{
    setlocale(LC_NUMERIC, "C");
}

CNumericLocale::CNumericLocale()
{
    // a copy of the thread's locale with only its numbers changed
    const locale_t base = duplocale(uselocale(locale_t(nullptr)));
    if (!base)
        return;
    m_locale = newlocale(LC_NUMERIC_MASK, "C", base);
    if (!m_locale) {
        freelocale(base);
        return;
    }
    m_previous = uselocale(m_locale);
}

CNumericLocale::~CNumericLocale()
{
    if (!m_locale)
        return;
    uselocale(m_previous);
    freelocale(m_locale);
}

} // namespace kervio
