#include "summary.h"
#include "textfuncs.h"

#include <cmath>

namespace kervio {

Summary::Summary(const Regional &reg) : m_reg(reg)
{
    const QDate today = QDate::currentDate();
    for (QDate &d : m_dates)
        d = today;
}

QString Summary::text(Field f) const
{
    const Slot &s = m_fields[f];
    if (s.stale) {
        s.text = s.format == Format::Amount ? formatAmount(s.value, m_reg) : formatWhole(s.value, m_reg);
        s.stale = false;
    }
    return s.text;
}

void Summary::setText(Field f, const QString &text)
{
    Slot &s = m_fields[f];
    s.text = text;
    s.format = Format::Text;
    s.stale = false;
    ++m_revision;
}

void Summary::setNumber(Field f, double value, Format format)
{
    Slot &s = m_fields[f];
    s.value = value;
    s.format = format;
    s.stale = true;
    ++m_revision;
}

double Summary::amount(Field f) const
{
    const Slot &s = m_fields[f];
    // A whole number below 10^15 reads back exactly from its "#,##0" text.
    if (s.stale && s.format == Format::Whole && std::fabs(s.value) < 1e15)
        return s.value;
    return parseAmount(text(f), m_reg);
}

} // namespace kervio
