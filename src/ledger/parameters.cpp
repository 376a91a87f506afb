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
    if (f == YearlyRate)
        yillikfaizEditChange();
    else if (f == MonthlyRate)
        aylikfaizEditChange();
}

namespace {
double rateValue(const QString &text, const Regional &reg)
{
    QString t = text;
    t.remove(u' ');
    return t.isEmpty() ? 0.0 : StrToFloat(t, reg);
}
} // namespace

void Parameters::yillikfaizEditChange()
{
    if (m_source != RateSource::Yearly)
        return;
    const double v = rateValue(m_text[YearlyRate], m_reg);
    setText(MonthlyRate, FloatToStr(v / 12, m_reg));
}

void Parameters::aylikfaizEditChange()
{
    if (m_source != RateSource::Monthly)
        return;
    const double v = rateValue(m_text[MonthlyRate], m_reg);
    setText(YearlyRate, FloatToStr(v * 12, m_reg));
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
