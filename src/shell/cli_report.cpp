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

// Opens the ledger in `cli` and makes the report "YAZDIR" (with `net` the
// picture button) would preview. 0, or the exit status with the reason on
// standard error.
int prepareReport(CommandLineSession &cli, const QString &ledgerPath, bool net, ComposedReport &report)
{
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
    report = std::move(host.lastReport);
    return 0;
}

} // namespace

int writeReportPdf(const QString &ledgerPath, const QString &pdfPath, bool net)
{
    CommandLineSession cli;
    ComposedReport report;
    if (const int status = prepareReport(cli, ledgerPath, net, report))
        return status;
    if (!cli.session.guarded([&] { savePdfFile(report, QFileInfo(pdfPath).absoluteFilePath()); }))
        return 3;
    return 0;
}

void setReportPrinter(ReportPrinter printer) { installedPrinter() = std::move(printer); }

int printReport(const QString &ledgerPath, const QString &printer, const PrintRequest &request, bool net)
{
    if (!installedPrinter()) {
        writeErrorLine(PrintText::noPrinter());
        return 3;
    }
    CommandLineSession cli;
    ComposedReport report;
    if (const int status = prepareReport(cli, ledgerPath, net, report))
        return status;
    const QString failure = installedPrinter()(report, printer, request);
    if (!failure.isEmpty()) {
        writeErrorLine(failure);
        return 3;
    }
    return 0;
}

} // namespace kervio
