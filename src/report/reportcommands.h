#pragma once
#include "composition.h"
#include "reporttemplate.h"
#include "reporttext.h"

#include <functional>

namespace kervio {

class Document;

// What the main window keeps for printing: the report body, the report
// template and how a prepared report is shown. The window installs the
// modal preview as `showPreview`; tests and the command line install a hook
// that keeps the report instead.
struct ReportHost {
    ReportBody body;
    ReportTemplate reportTemplate = ReportTemplate::standard();
    // Shows the prepared report modally; returns when it is closed.
    std::function<void(const ComposedReport &)> showPreview;
    // When set, takes the built template and the date "[DATE]" shows instead
    // of a prepared report: the command line writes a large report's PDF
    // page by page without keeping its pages.
    std::function<void(const ReportTemplate &, const QDate &)> takeTemplate;
    // The date "[DATE]" shows; today unless set (tests).
    std::function<QDate()> today;
    // The last report prepared, kept until the next one.
    ComposedReport lastReport;
};

// "YAZDIR": recalculates, builds the split table and shows the preview.
// Raises what the recalculation raises; run it under the general error
// handler.
void printSplitReport(Document &document, ReportHost &host);
// The print-preview picture button: the same with the net table.
void printNetReport(Document &document, ReportHost &host);

// Builds the report of `table` without recalculating, then prepares and shows
// it. Returns false when nothing was shown (no page).
bool showReport(ReportTable table, const Document &document, ReportHost &host);

} // namespace kervio
