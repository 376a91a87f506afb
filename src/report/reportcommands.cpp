#include "reportcommands.h"

#include "shell/session.h"

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

bool buildAndShow(ReportTable table, Session &session, ReportHost &host)
{
    buildReport(table, session.ledger(), session.params(), session.summary(), session.regional(), host.raporF,
                host.frReport1);
    return prepareAndShow(host);
}

void BitBtn28Click(Session &session, ReportHost &host)
{
    session.BitBtn1Click();
    buildAndShow(ReportTable::Split, session, host);
}

void YazdirButtonClick(Session &session, ReportHost &host)
{
    yaziki(session, host);
}

void yaziki(Session &session, ReportHost &host)
{
    session.BitBtn1Click();
    buildAndShow(ReportTable::Net, session, host);
}

} // namespace kervio
