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
        DebitTotal,        // borctoplamEdit
        CreditTotal,       // alacaktoplamtutarEdit
        Balance,           // bakiyetutarEdit
        DebitDiff,         // borckervioEdit
        CreditDiff,        // alacakkervioEdit
        NetDiff,           // netkervioEdit
        OverallDays,       // genelortgunEdit
        DebitDays,         // borcortgunEdit
        CreditDays,        // alacakortEdit
        YearlyRateResult,  // yillikfaizneolurEdit
        MonthlyRateResult, // aylikfaizneolurEdit
        FieldCount
    };
    enum Picker { OverallDate, DebitDate, CreditDate, PickerCount }; // DateTimePicker4, 76, 3
    enum class Format { Text, Amount, Whole };

    explicit Summary(const Regional &reg);

    QString text(Field f) const;
    void setText(Field f, const QString &text);
    void setNumber(Field f, double value, Format format);
    // ParseAmount of the field's text, without making the text where the
    // number already says it.
    double amount(Field f) const;

    QDate date(Picker p) const { return m_dates[p]; }
    void setDate(Picker p, const QDate &d) { m_dates[p] = d; }

    static const char *fieldName(Field f);
    static const char *pickerName(Picker p);

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
};

} // namespace kervio
