#pragma once
#include "regional.h"

#include <QDate>
#include <QString>

namespace kervio {

// The summary panel's fields. A field holds either a text or a number with
// its format; the text is made when somebody reads it, so that a walk over
// 100,000 rows does not format a summary it overwrites at the next row.
class Summary {
public:
    enum Field {
        DebitTotal,
        CreditTotal,
        Balance,
        DebitDiff,
        CreditDiff,
        NetDiff,
        OverallDays,
        DebitDays,
        CreditDays,
        YearlyRateResult,
        MonthlyRateResult,
        FieldCount
    };
    // the average due dates
    enum Picker { OverallDate, DebitDate, CreditDate, PickerCount };
    enum class Format { Text, Amount, Whole };

    explicit Summary(const Regional &reg);

    QString text(Field f) const;
    void setText(Field f, const QString &text);
    void setNumber(Field f, double value, Format format);
    // parseAmount of the field's text, without making the text where the
    // number already says it.
    double amount(Field f) const;

    QDate date(Picker p) const { return m_dates[p]; }
    void setDate(Picker p, const QDate &d)
    {
        m_dates[p] = d;
        ++m_revision;
    }
    // Changes with every field or date set.
    quint64 revision() const { return m_revision; }

private:
    struct Slot {
        mutable QString text;
        double value = 0;
        Format format = Format::Text;
        mutable bool stale = false;
    };
    Regional m_reg;
    Slot m_fields[FieldCount];
    QDate m_dates[PickerCount];
    quint64 m_revision = 0;
};

} // namespace kervio
