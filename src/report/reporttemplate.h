#pragma once
#include "reportfont.h"

#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <vector>

namespace kervio {

enum class BandKind { ReportTitle, PageHeader, ReportSummary, PageFooter };

struct ReportBand {
    QString name;
    BandKind kind;
    double heightMm = 0;
};

// A text object or the rich-text body. Left edges are measured from
// the paper's left edge, tops from the top of the band, all in millimetres.
struct ReportObject {
    enum Kind { Text, Rich };
    QString name;
    Kind kind = Text;
    BandKind band = BandKind::ReportTitle;
    QRectF rectMm;
    QStringList lines;
    ReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool topRule = false;
    QString datePattern; // how "[DATE]" shows in this object

    // The object holds exactly this one line.
    void setText(const QString &line) { lines = QStringList{line}; }
    void setFont(const ReportFont &f) { font = f; }
    void setLines(const QStringList &l) { lines = l; }
};

// The names of the template's objects. Lookup ignores letter case.
namespace TemplateObject {
inline constexpr QLatin1String TitleLine("titleLine");       // program, version, "Rapor Dökümü"
inline constexpr QLatin1String CompanyLine("companyLine");   // "İşlem Yapılan Firma : "
inline constexpr QLatin1String DateLine("dateLine");         // the calculation date
inline constexpr QLatin1String RatesLine("ratesLine");       // days in a year and the rates
inline constexpr QLatin1String GraceLine("graceLine");       // the grace-day sentence
inline constexpr QLatin1String PrintDate("printDate");       // "[DATE]" in the page header
inline constexpr QLatin1String ColumnHeader("columnHeader"); // the table's header line
inline constexpr QLatin1String Body("body");                 // the rich-text body
inline constexpr QLatin1String FooterRule("footerRule");     // the footer's empty left part
inline constexpr QLatin1String PageNumber("pageNumber");     // "Sayfa [PAGE#]"
} // namespace TemplateObject

// The report template of the main window: one A4 page with its four bands
// and their objects, and the report's title.
class ReportTemplate {
public:
    static ReportTemplate standard();

    QSizeF pageSizeMm{210.0, 297.0};
    QMarginsF marginsMm{12.0, 11.9, 12.0, 11.9};
    double ruleWidthMm = 25.4 / 90.998; // one layout unit
    QString title;
    std::vector<ReportBand> bands;
    std::vector<ReportObject> objects;

    // Letter case is ignored, so "BODY" finds the body. Null when absent.
    ReportObject *findObject(const QString &name);
    const ReportObject *findObject(const QString &name) const;
    const ReportBand *band(BandKind kind) const;
};

} // namespace kervio
