#include "reportcommands.h"

#include "ledger/document.h"

namespace kervio {

namespace {

// Composes the template as it stands into host.lastReport and shows it,
// or hands the template over when the host takes it.
bool prepareAndPreview(ReportHost &host)
{
    const QDate today = host.today ? host.today() : QDate::currentDate();
    if (host.takeTemplate) {
        host.takeTemplate(host.reportTemplate, today);
        return true;
    }
    host.lastReport = composeReport(host.reportTemplate, today);
    if (host.lastReport.pages.empty())
        return false;
    if (host.showPreview)
        host.showPreview(host.lastReport);
    return true;
}

void recalculateAndShow(ReportTable table, Document &document, ReportHost &host)
{
    document.recalculateAll();
    showReport(table, document, host);
}

} // namespace

bool showReport(ReportTable table, const Document &document, ReportHost &host)
{
    buildReport(table, document.ledger(), document.params(), document.summary(), document.regional(), host.body,
                host.reportTemplate);
    return prepareAndPreview(host);
}

void printSplitReport(Document &document, ReportHost &host)
{
    recalculateAndShow(ReportTable::Split, document, host);
}

void printNetReport(Document &document, ReportHost &host)
{
    recalculateAndShow(ReportTable::Net, document, host);
}

} // namespace kervio
