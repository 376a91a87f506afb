#include "cli_report.h"
#include "cli_common.h"

#include "report/pageselection.h"
#include "report/pdfexport.h"
#include "report/reportcommands.h"

#include <QFileInfo>

namespace kervio {

namespace {

ReportPrinter &installedPrinter()
{
    static ReportPrinter printer;
    return printer;
}

// Runs "YAZDIR" (with `net` the picture button) on the opened ledger, into
// `host`; what goes wrong is shown through the dialogs.
void makeReport(CommandLineSession &cli, bool net, ReportHost &host)
{
    Session &session = cli.session;
    session.guarded([&] {
        if (net)
            printNetReport(session.document(), host);
        else
            printSplitReport(session.document(), host);
    });
}

} // namespace

int writeReportPdf(const QString &ledgerPath, const QString &pdfPath, bool net)
{
    CommandLineSession cli;
    if (!cli.open(ledgerPath))
        return 2;
    ReportHost host;
    bool written = false;
    host.takeTemplate = [&](const ReportTemplate &tmpl, const QDate &today) {
        savePdfFile(tmpl, today, QFileInfo(pdfPath).absoluteFilePath());
        written = true;
    };
    makeReport(cli, net, host);
    return written ? 0 : 3; // otherwise the reason was shown through the dialogs
}

void setReportPrinter(ReportPrinter printer) { installedPrinter() = std::move(printer); }

int printReport(const QString &ledgerPath, const QString &printer, const PrintRequest &request, bool net)
{
    if (!installedPrinter()) {
        writeErrorLine(PrintText::noPrinter());
        return 3;
    }
    CommandLineSession cli;
    if (!cli.open(ledgerPath))
        return 2;
    ReportHost host;
    bool shown = false;
    host.showPreview = [&](const ComposedReport &) { shown = true; };
    makeReport(cli, net, host);
    if (!shown)
        return 3; // the reason was shown through the dialogs
    const QString failure = installedPrinter()(host.lastReport, printer, request);
    if (!failure.isEmpty()) {
        writeErrorLine(failure);
        return 3;
    }
    return 0;
}

} // namespace kervio
