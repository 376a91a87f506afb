#include "parameters.h"
#include "textfuncs.h"

namespace kervio {

Parameters::Parameters(const Regional &reg, QObject *parent)
    : QObject(parent), m_reg(reg), m_date(QDate::currentDate())
{
}

void Parameters::setText(Field f, const QString &text)
{
    if (m_text[f] == text)
        return;
    m_text[f] = text;
    ++m_revision;
    emit textChanged(f, text);
    if (f == YearlyRate || f == MonthlyRate)
        passRateOn(f);
}

namespace {
double rateValue(const QString &text, const Regional &reg)
{
    QString t = text;
    t.remove(u' ');
    return t.isEmpty() ? 0.0 : parseNumber(t, reg);
}
} // namespace

void Parameters::passRateOn(Field changed)
{
    // the source decides the direction, so the other field's change does not echo back
    const bool yearly = changed == YearlyRate;
    if (m_source != (yearly ? RateSource::Yearly : RateSource::Monthly))
        return;
    const double v = rateValue(m_text[changed], m_reg);
    setText(yearly ? MonthlyRate : YearlyRate, generalNumberText(yearly ? v / 12 : v * 12, m_reg));
}

void Parameters::focusEntered(RateLinkRole role)
{
    if (role == RateLinkRole::Yearly)
        m_source = RateSource::Yearly;
    else if (role == RateLinkRole::Monthly)
        m_source = RateSource::Monthly;
}

void Parameters::focusLeft(RateLinkRole role)
{
    if (role == RateLinkRole::Yearly)
        m_source = RateSource::Monthly;
    else if (role == RateLinkRole::Monthly)
        m_source = RateSource::Yearly;
}

void Parameters::setDebitWeekend(bool on)
{
    if (m_debitWeekend == on)
        return;
    m_debitWeekend = on;
    ++m_revision;
    emit checksChanged();
}

void Parameters::setCreditWeekend(bool on)
{
    if (m_creditWeekend == on)
        return;
    m_creditWeekend = on;
    ++m_revision;
    emit checksChanged();
}

void Parameters::setCalculationDate(const QDate &d)
{
    if (m_date == d)
        return;
    m_date = d;
    ++m_revision;
    emit calculationDateChanged(d);
}

} // namespace kervio
