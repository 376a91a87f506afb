#pragma once
#include "composition.h"
#include "reporttemplate.h"
#include "reporttext.h"

#include <functional>

namespace kervio {

class Document;

// What the main window keeps for printing: the hidden text holder (raporF),
// the report component's template (frReport1) and how a prepared report is
// shown. The window installs the modal preview as `showPreview`; tests and
// the command line install a hook that keeps the report instead.
struct ReportHost {
    TextHolder raporF;
    ReportTemplate frReport1 = ReportTemplate::standard();
    // Shows the prepared report modally; returns when it is closed.
    std::function<void(const ComposedReport &)> showPreview;
    // The date "[DATE]" shows; today unless set (tests).
    std::function<QDate()> today;
    // The last report prepared, kept until the next one.
    ComposedReport lastReport;
};

// "YAZDIR": recalculates, builds the split table and shows the preview.
// Raises what the recalculation raises; run it under the general error
// handler.
void BitBtn28Click(Document &document, ReportHost &host);
// The picture button: calls yaziki.
void YazdirButtonClick(Document &document, ReportHost &host);
// The net table report.
void yaziki(Document &document, ReportHost &host);

// Builds the report of `table` without recalculating, then prepares and shows
// it. Returns false when nothing was shown (no page).
bool buildAndShow(ReportTable table, const Document &document, ReportHost &host);
// Composes the template as it stands into host.lastReport and shows it.
bool prepareAndShow(ReportHost &host);

} // namespace kervio
