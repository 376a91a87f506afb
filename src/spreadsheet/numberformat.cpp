// The number format codes of the xlsx and ods formats: which of them are
// dates, and the built-in ones an xlsx names only by number.
#include "workbookreader.h"

namespace kervio {

QString builtinNumberFormat(int id)
{
    switch (id) {
    case 0: return QStringLiteral("General");
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 12: return QStringLiteral("# ?/?");
    case 13: return QStringLiteral("# ?\?/?\?");
    case 14: return QStringLiteral("mm-dd-yy");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("m/d/yy h:mm");
    case 37: return QStringLiteral("#,##0 ;(#,##0)");
    case 38: return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39: return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40: return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mmss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default:
        // the East Asian date formats
        if ((id >= 27 && id <= 36) || (id >= 50 && id <= 58))
            return QStringLiteral("yyyy/m/d");
        return QStringLiteral("General");
    }
}

bool isDateFormatCode(const QString &code)
{
    // Only the first section decides; quoted text, escaped characters and
    // bracketed parts (colours, locales) are not format letters, elapsed
    // time ([h], [mm]) is.
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != u'"';
            continue;
        }
        if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u';') {
            return false;
        } else if (c == u'[') {
            const int end = code.indexOf(u']', i);
            if (end < 0)
                return false;
            const QString inner = code.mid(i + 1, end - i - 1).toLower();
            if (!inner.isEmpty() && (inner[0] == u'h' || inner[0] == u'm' || inner[0] == u's')
                && inner.count(inner[0]) == inner.size())
                return true;
            i = end;
        } else if (code.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            i += 6;
        } else {
            const QChar l = c.toLower();
            if (l == u'd' || l == u'm' || l == u'y' || l == u'h' || l == u's')
                return true;
        }
    }
    return false;
}

} // namespace kervio
