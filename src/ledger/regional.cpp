#include "regional.h"

namespace kervio {

Regional Regional::fromLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return turkish();
    Regional r;
    const QString dec = locale.decimalPoint();
    const QString grp = locale.groupSeparator();
    if (dec.size() == 1)
        r.decimal = dec.at(0);
    if (grp.size() == 1)
        r.thousands = grp.at(0);
    // The date separator is the first non-letter between the pieces of the
    // short date format ("dd.MM.yyyy", "M/d/yy", ...).
    const QString fmt = locale.dateFormat(QLocale::ShortFormat);
    for (QChar c : fmt) {
        if (!c.isLetter() && !c.isSpace() && c != u'\'') {
            r.date = c;
            break;
        }
    }
    if (r.thousands == r.decimal) // never let the two collide
        r.thousands = r.decimal == u'.' ? u',' : u'.';
    return r;
}

Regional Regional::system()
{
    return fromLocale(QLocale::system());
}

} // namespace kervio
