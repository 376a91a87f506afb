#include "printcommand.h"

#include "report/gui/reportprinting.h"
#include "shell/cli_common.h"
#include "shell/cli_report.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>

namespace kervio {

namespace {

const char *const Usage =
    "Kullanım: kervio --report IN.krv --print [--printer YAZICI] [--pages LİSTE] [--copies N] [--net]\n";

int usage(const QString &message)
{
    std::fputs(Usage, stderr);
    writeErrorLine(message);
    return 64;
}

struct PrintOptions {
    QString in;
    QString printer;
    QString pages;
    bool pagesGiven = false;
    QString copies = QStringLiteral("1");
    bool net = false;
};

// Empty when the options are sound, otherwise the message.
QString readOptions(const QStringList &args, PrintOptions &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--report") && hasValue)
            o.in = args[++i];
        else if (a == QLatin1String("--print"))
            continue;
        else if (a == QLatin1String("--printer") && hasValue)
            o.printer = args[++i];
        else if (a == QLatin1String("--pages") && hasValue) {
            o.pages = args[++i];
            o.pagesGiven = true;
        } else if (a == QLatin1String("--copies") && hasValue)
            o.copies = args[++i];
        else if (a == QLatin1String("--net"))
            o.net = true;
        else
            return QStringLiteral("Bilinmeyen ya da eksik seçenek: ") + a;
    }
    if (o.in.isEmpty())
        return QStringLiteral("Eksik seçenek: --report");
    return {};
}

// The printer asked for, or the message why there is none.
QString choosePrinter(const QString &named, QPrinter &printer)
{
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    const QString name = named.isEmpty() ? QPrinterInfo::defaultPrinterName() : named;
    if (name.isEmpty())
        return PrintText::noPrinter();
    if (!installed.contains(name))
        return PrintText::printerNotFound(name);
    printer.setPrinterName(name);
    return {};
}

} // namespace

bool isPrintCommandLine(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--report")) && arguments.contains(QStringLiteral("--print"));
}

int runPrintCommandLine(const QStringList &arguments)
{
    QStringList args = arguments;
    if (!args.isEmpty() && !args.first().startsWith(QLatin1String("--")))
        args.removeFirst();
    PrintOptions o;
    if (const QString wrong = readOptions(args, o); !wrong.isEmpty())
        return usage(wrong);
    PrintRequest request;
    if (o.pagesGiven) {
        const std::optional<QPageRanges> ranges = parsePageList(o.pages);
        if (!ranges) {
            writeErrorLine(PrintText::badPageList(o.pages));
            return 64;
        }
        request.choice = PageChoice::PageRanges;
        request.ranges = *ranges;
        request.pageList = o.pages;
    }
    bool copiesOk = false;
    request.order.copies = o.copies.trimmed().toInt(&copiesOk);
    if (!copiesOk || request.order.copies < 1 || request.order.copies > 999) {
        writeErrorLine(QStringLiteral("Kopya sayısı 1 ile 999 arasında bir tam sayı olmalı: ") + o.copies);
        return 64;
    }

    bool ok = false;
    const std::unique_ptr<QGuiApplication> ownApp = reportApplication(&ok);
    if (!ok)
        return 70;
    CommandLineSession cli;
    ComposedReport report;
    if (const int status = prepareReportOf(cli, o.in, o.net, report))
        return status;
    QPrinter printer(QPrinter::HighResolution);
    QString failure = choosePrinter(o.printer, printer);
    if (failure.isEmpty()) {
        setUpPrinter(printer, report);
        failure = printPreparedReport(report, printer, request);
    }
    if (!failure.isEmpty()) {
        writeErrorLine(failure);
        return 3;
    }
    return 0;
}

} // namespace kervio
