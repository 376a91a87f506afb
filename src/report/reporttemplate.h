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

// A text object (memo) or the rich-text body. Left edges are measured from
// the paper's left edge, tops from the top of the band, all in millimetres.
struct ReportObject {
    enum Kind { Memo, Rich };
    QString name;
    Kind kind = Memo;
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

    // Letter case is ignored, so "rich1" finds Rich1. Null when absent.
    ReportObject *findObject(const QString &name);
    const ReportObject *findObject(const QString &name) const;
    const ReportBand *band(BandKind kind) const;
};

} // namespace kervio
