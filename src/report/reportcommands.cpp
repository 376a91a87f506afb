#include "reportcommands.h"

#include "ledger/document.h"

namespace kervio {

bool prepareAndShow(ReportHost &host)
{
    host.lastReport = composeReport(host.frReport1, host.today ? host.today() : QDate::currentDate());
    if (host.lastReport.pages.empty())
        return false;
    if (host.showPreview)
        host.showPreview(host.lastReport);
    return true;
}

bool buildAndShow(ReportTable table, const Document &document, ReportHost &host)
{
    buildReport(table, document.ledger(), document.params(), document.summary(), document.regional(), host.raporF,
                host.frReport1);
    return prepareAndShow(host);
}

void BitBtn28Click(Document &document, ReportHost &host)
{
    document.recalculateAll();
    buildAndShow(ReportTable::Split, document, host);
}

void YazdirButtonClick(Document &document, ReportHost &host)
{
    yaziki(document, host);
}

void yaziki(Document &document, ReportHost &host)
{
    document.recalculateAll();
    buildAndShow(ReportTable::Net, document, host);
}

} // namespace kervio
