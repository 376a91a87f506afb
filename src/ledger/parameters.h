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
    enum class RateSource { None, Yearly, Monthly };

    explicit Parameters(const Regional &reg, QObject *parent = nullptr);

    QString text(Field f) const { return m_text[f]; }
    // Sets a field's text; a rate field passes the change on to the other rate
    // field when RateSource names it. The text is set before the conversion,
    // so a failing conversion leaves it set and the other field unchanged.
    void setText(Field f, const QString &text);

    bool debitWeekend() const { return m_debitWeekend; }   // CheckBox8
    bool creditWeekend() const { return m_creditWeekend; } // CheckBox9
    void setDebitWeekend(bool on);
    void setCreditWeekend(bool on);

    QDate calculationDate() const { return m_date; } // DateTimePicker61
    void setCalculationDate(const QDate &d);

    // Grows with every change of a text, a box or the date: what was read
    // from the parameters at one revision holds until the next.
    quint64 revision() const { return m_revision; }

    RateSource rateSource() const { return m_source; }
    void setRateSource(RateSource s) { m_source = s; }

    // Handlers of the rate fields' focus events.
    void yillikfaizEditEnter() { m_source = RateSource::Yearly; }
    void yillikfaizEditExit() { m_source = RateSource::Monthly; }
    void aylikfaizEditEnter() { m_source = RateSource::Monthly; }
    void aylikfaizEditExit() { m_source = RateSource::Yearly; }

signals:
    void textChanged(kervio::Parameters::Field field, const QString &text);
    void checksChanged();
    void calculationDateChanged(const QDate &date);

private:
    void yillikfaizEditChange();
    void aylikfaizEditChange();

    Regional m_reg;
    QString m_text[6];
    bool m_debitWeekend = false;
    bool m_creditWeekend = false;
    QDate m_date;
    RateSource m_source = RateSource::None;
    quint64 m_revision = 0;
};

} // namespace kervio
