#include "celltext.h"
#include "core/errors.h"
#include "ledger/textfuncs.h"

#include <cmath>

namespace kervio {

QString errorValueMessage()
{
    return QStringLiteral("Could not convert variant of type (Error) into type (String)");
}

QString dateTimeCellText(const WorkbookCell &c, const Regional &reg)
{
    auto two = [](int v) { return QString::number(v).rightJustified(2, u'0'); };
    int sec = int(std::lround(c.second));
    int minute = c.minute, hour = c.hour;
    if (sec >= 60) { // 59.9995 s rounds up into the next minute
        sec -= 60;
        if (++minute >= 60) {
            minute -= 60;
            ++hour;
        }
    }
    const bool hasTime = hour != 0 || minute != 0 || sec != 0;
    QString out;
    if (c.hasDate) {
        out = two(c.day) + reg.date + two(c.month) + reg.date + QString::number(c.year).rightJustified(4, u'0');
        if (hasTime)
            out += u' ';
    }
    if (hasTime || !c.hasDate)
        out += two(hour) + u':' + two(minute) + u':' + two(sec);
    return out;
}

QString workbookCellText(const WorkbookCell &c, const Regional &reg)
{
    switch (c.kind) {
    case WorkbookCell::Kind::Empty:
        return {};
    case WorkbookCell::Kind::Text:
        return c.text;
    case WorkbookCell::Kind::Number:
        return generalNumberText(c.number, reg);
    case WorkbookCell::Kind::Boolean:
        return c.number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case WorkbookCell::Kind::DateTime:
        return dateTimeCellText(c, reg);
    case WorkbookCell::Kind::Error:
        throw KervioError(errorValueMessage());
    }
    return {};
}

} // namespace kervio
