#include "cli_report.h"
#include "cli_common.h"

#include "report/pdfexport.h"
#include "report/reportcommands.h"

#include <QFileInfo>

namespace kervio {

int writeReportPdf(const QString &ledgerPath, const QString &pdfPath, bool net)
{
    CommandLineSession cli;
    Session &session = cli.session;
    if (!cli.open(ledgerPath))
        return 2;

    ReportHost host;
    bool shown = false;
    host.showPreview = [&](const ComposedReport &) { shown = true; };
    session.guarded([&] {
        if (net)
            printNetReport(session.document(), host);
        else
            printSplitReport(session.document(), host);
    });
    if (!shown)
        return 3; // the reason was shown through the dialogs
    if (!session.guarded([&] { savePdfFile(host.lastReport, QFileInfo(pdfPath).absoluteFilePath()); }))
        return 3;
    return 0;
}

} // namespace kervio
