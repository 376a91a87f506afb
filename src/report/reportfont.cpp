#include "reportfont.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>

namespace kervio {

QString baseFamily(const QString &family)
{
    static const QLatin1String suffixes[] = {QLatin1String(" Tur"), QLatin1String(" TUR"), QLatin1String(" CE"),
                                             QLatin1String(" Cyr")};
    for (const QLatin1String &s : suffixes)
        if (family.endsWith(s, Qt::CaseInsensitive) && family.size() > s.size())
            return family.left(family.size() - s.size());
    return family;
}

QString metricTwin(const QString &family)
{
    const QString f = baseFamily(family).toLower();
    if (f == QLatin1String("courier new") || f == QLatin1String("courier"))
        return QStringLiteral("Liberation Mono");
    if (f == QLatin1String("arial") || f == QLatin1String("helvetica"))
        return QStringLiteral("Liberation Sans");
    if (f == QLatin1String("times new roman") || f == QLatin1String("times"))
        return QStringLiteral("Liberation Serif");
    if (f == QLatin1String("tahoma") || f == QLatin1String("verdana"))
        return QStringLiteral("DejaVu Sans");
    return {};
}

QString ReportFont::resolvedFamily() const
{
    // looked up once per family: a long report asks for the same few fonts
    static QHash<QString, QString> cache;
    const auto it = cache.constFind(family);
    if (it != cache.constEnd())
        return *it;
    QString name = baseFamily(family);
    if (!QFontDatabase::hasFamily(name)) {
        const QString twin = metricTwin(name);
        if (!twin.isEmpty())
            name = twin;
    }
    cache.insert(family, name);
    return name;
}

QFont ReportFont::toQFont(double scale) const
{
    QFont f(resolvedFamily());
    f.setPointSizeF(pointSize * scale);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    // unhinted glyphs scale linearly, so every zoom and the paper agree
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    f.setStyleHint(QFont::AnyStyle, QFont::PreferOutline);
    return f;
}

} // namespace kervio
