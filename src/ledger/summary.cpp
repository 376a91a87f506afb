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
        s.text = s.format == Format::Amount ? FormatAmount(s.value, m_reg) : FormatWhole(s.value, m_reg);
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
}

void Summary::setNumber(Field f, double value, Format format)
{
    Slot &s = m_fields[f];
    s.value = value;
    s.format = format;
    s.stale = true;
}

double Summary::amount(Field f) const
{
    const Slot &s = m_fields[f];
    // A whole number below 10^15 reads back exactly from its "#,##0" text.
    if (s.stale && s.format == Format::Whole && std::fabs(s.value) < 1e15)
        return s.value;
    return ParseAmount(text(f), m_reg);
}

const char *Summary::fieldName(Field f)
{
    static const char *names[FieldCount] = {
        "borctoplamEdit", "alacaktoplamtutarEdit", "bakiyetutarEdit", "borckervioEdit",
        "alacakkervioEdit", "netkervioEdit", "genelortgunEdit", "borcortgunEdit",
        "alacakortEdit", "yillikfaizneolurEdit", "aylikfaizneolurEdit"};
    return names[f];
}

const char *Summary::pickerName(Picker p)
{
    static const char *names[PickerCount] = {"DateTimePicker4", "DateTimePicker76", "DateTimePicker3"};
    return names[p];
}

} // namespace kervio
