#pragma once
#include <QString>

class QFont;

namespace kervio {

// A font as the template and the prepared pages store it. Kept free of QFont
// so that the prepared-report reader works without a GUI application.
struct ReportFont {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const ReportFont &) const = default;

    // The family that prints: the named one when it is installed, otherwise
    // its metric-compatible twin. Needs a GUI application.
    QString resolvedFamily() const;
    // The font at `pointSize` scaled by `scale` (device size per point).
    QFont toQFont(double scale = 1.0) const;
};

// The family without a trailing code-page suffix ("Times New Roman Tur").
QString baseFamily(const QString &family);
// The installed stand-in of a Windows family, or an empty text.
QString metricTwin(const QString &family);

} // namespace kervio
