#pragma once
#include "reportfont.h"
#include "reporttemplate.h"
#include "typesetter.h"

#include <QDate>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <vector>

class QPainter;

namespace kervio {

// One thing drawn on a page, in millimetres from the paper's top left corner:
// a single line of text in its box, or a rule.
struct DrawItem {
    enum Kind : quint8 { Text = 1, Rule = 2 };
    Kind kind = Text;
    QRectF rect;      // Text: the line's box; Rule: from topLeft to bottomRight
    QString text;
    ReportFont font;
    quint32 alignment = Qt::AlignLeft;
    double penWidth = 0; // Rule only

    bool operator==(const DrawItem &) const = default;
};

struct ReportPage {
    std::vector<DrawItem> items;
    bool operator==(const ReportPage &) const = default;
};

// A prepared report: what the preview shows, the printer prints, the PDF
// holds and a prepared-report file stores.
struct ComposedReport {
    QString title;
    QSizeF pageSizeMm{210.0, 297.0};
    std::vector<ReportPage> pages;
    bool operator==(const ComposedReport &) const = default;
};

// Lays the template out on pages; `preparedOn` is what "[DATE]" shows.
// Needs a GUI application for the font metrics.
ComposedReport composeReport(const ReportTemplate &tmpl, const QDate &preparedOn);
// The same pages handed to `takePage` one by one as they are laid out, so
// that a report too large to keep whole never is.
void composeReportPages(const ReportTemplate &tmpl, const QDate &preparedOn,
                        const std::function<void(const ReportPage &)> &takePage);

// Draws one page with its top left corner at the painter's origin, at
// `pxPerMm` device pixels per millimetre. The one drawing routine of the
// preview, the printer and the PDF; `typesetter` keeps the fonts from page
// to page.
void paintPage(QPainter &painter, const ReportPage &page, double pxPerMm, Typesetter &typesetter);
// Where a text item's line starts, in millimetres, after its alignment.
QPointF textOrigin(const DrawItem &item, Typesetter &typesetter);

} // namespace kervio
