#include "printcommand.h"

#include "report/gui/reportprinting.h"
#include "shell/cli_report.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace kervio {

namespace {

// The printer asked for, or the message why there is none.
QString choosePrinter(const QString &named, QPrinter &printer)
{
    const QString name = named.isEmpty() ? QPrinterInfo::defaultPrinterName() : named;
    if (name.isEmpty())
        return PrintText::noPrinter();
    if (!QPrinterInfo::availablePrinterNames().contains(name))
        return PrintText::printerNotFound(name);
    printer.setPrinterName(name);
    return {};
}

QString printOnPrinter(const ComposedReport &report, const QString &named, const PrintRequest &request)
{
    QPrinter printer(QPrinter::HighResolution);
    if (QString failure = choosePrinter(named, printer); !failure.isEmpty())
        return failure;
    setUpPrinter(printer, report);
    return printPreparedReport(report, printer, request);
}

} // namespace

void installCommandLinePrinting() { setReportPrinter(printOnPrinter); }

} // namespace kervio
