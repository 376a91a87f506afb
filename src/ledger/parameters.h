#pragma once
#include "regional.h"

#include <QDate>
#include <QObject>
#include <QString>

namespace kervio {

// The calculation parameters as the panel holds them: texts and check states,
// plus the calculation date. The yearly/monthly rate link lives here because
// program steps that set a rate text are passed on like typing.
class Parameters : public QObject {
    Q_OBJECT
public:
    enum Field { Company, DaysInYear, YearlyRate, MonthlyRate, DebitGrace, CreditGrace };
    Q_ENUM(Field)
    // The rate field whose changes are copied into the other one.
    enum class RateSource { None, Yearly, Monthly };
    // What entering and leaving a field of the window does to the rate
    // source: a yearly field names the yearly rate while it has the focus
    // and the monthly one after it, a monthly field the other way round.
    enum class RateLinkRole { None, Yearly, Monthly };

    explicit Parameters(const Regional &reg, QObject *parent = nullptr);

    QString text(Field f) const { return m_text[f]; }
    // Sets a field's text; a rate field passes the change on to the other rate
    // field when RateSource names it. The text is set before the conversion,
    // so a failing conversion leaves it set and the other field unchanged.
    void setText(Field f, const QString &text);

    bool debitWeekend() const { return m_debitWeekend; }
    bool creditWeekend() const { return m_creditWeekend; }
    void setDebitWeekend(bool on);
    void setCreditWeekend(bool on);

    QDate calculationDate() const { return m_date; }
    void setCalculationDate(const QDate &d);

    // Grows with every change of a text, a box or the date: what was read
    // from the parameters at one revision holds until the next.
    quint64 revision() const { return m_revision; }

    RateSource rateSource() const { return m_source; }
    void setRateSource(RateSource s) { m_source = s; }

    // The focus entering and leaving a field with the given role.
    void focusEntered(RateLinkRole role);
    void focusLeft(RateLinkRole role);

signals:
    void textChanged(kervio::Parameters::Field field, const QString &text);
    void checksChanged();
    void calculationDateChanged(const QDate &date);

private:
    // The changed rate field's value, converted, into the other rate field
    // (a twelfth or twelve times) when the rate source names it.
    void passRateOn(Field changed);

    Regional m_reg;
    QString m_text[6];
    bool m_debitWeekend = false;
    bool m_creditWeekend = false;
    QDate m_date;
    RateSource m_source = RateSource::None;
    quint64 m_revision = 0;
};

} // namespace kervio
