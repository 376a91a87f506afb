#include "reportprinting.h"
#include "printsystem.h"

#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>

namespace kervio {

namespace {

// The CUPS options the toolkit hands to the print system with the job.
constexpr auto SystemOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// A typed page list goes to the print system too, which would choose again
// among the pages chosen here; the system must print every page it gets.
void dropSystemPageRanges(QPrinter &printer)
{
    QPrintEngine *engine = printer.printEngine();
    const QVariant value = engine ? engine->property(SystemOptions) : QVariant();
    if (!value.isValid())
        return;
    QStringList options = value.toStringList();
    for (qsizetype i = 0; i + 1 < options.size();) {
        if (options[i] == QLatin1String("page-ranges"))
            options.remove(i, 2);
        else
            i += 2;
    }
    engine->setProperty(SystemOptions, options);
}

bool isSystemPrinter(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::NativeFormat;
}

QString printerLabel(const QPrinter &printer)
{
    return isSystemPrinter(printer) ? printer.printerName() : printer.outputFileName();
}

bool printerInstalled(const QPrinter &printer)
{
    return !isSystemPrinter(printer) || QPrinterInfo::availablePrinterNames().contains(printer.printerName());
}

QString unreachable(const QPrinter &printer)
{
    return printerLabel(printer).isEmpty() ? PrintText::noPrinter() : PrintText::printerNotFound(printerLabel(printer));
}

// Copies the print system makes itself are left to it; the rest are
// printed here, one after the other.
PrintOrder orderPrintedHere(QPrinter &printer, PrintOrder order)
{
    if (isSystemPrinter(printer) && printer.supportsMultipleCopies()) {
        printer.setCopyCount(std::max(1, order.copies));
        printer.setCollateCopies(order.collate);
        order.copies = 1;
    } else {
        printer.setCopyCount(1);
    }
    printer.setPageOrder(QPrinter::FirstPageFirst);
    return order;
}

} // namespace

void setUpPrinter(QPrinter &printer, const ComposedReport &report)
{
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(report.pageSizeMm, QPageSize::Millimeter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(report.title);
}

void preparePrintDialog(QPrintDialog &dialog, QPrinter &printer, int pageCount)
{
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCurrentPage
                      | QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    const int last = std::max(1, pageCount);
    dialog.setMinMax(1, last);
    // without a range the dialog refuses every list and offers "1 to 1"
    printer.setFromTo(1, last);
    printer.setPrintRange(QPrinter::AllPages);
}

std::optional<PrintRequest> requestFromDialog(const QPrintDialog &dialog, const QPrinter &printer, int currentPage,
                                              QString *error)
{
    PrintRequest r;
    r.currentPage = currentPage;
    r.order = PrintOrder{printer.copyCount(), printer.collateCopies(), printer.pageOrder() == QPrinter::LastPageFirst};
    switch (printer.printRange()) {
    case QPrinter::CurrentPage: r.choice = PageChoice::CurrentPage; break;
    case QPrinter::PageRange:
        r.choice = PageChoice::PageRanges;
        r.ranges = printer.pageRanges();
        r.pageList = r.ranges.toString();
        break;
    case QPrinter::AllPages:
    case QPrinter::Selection: r.choice = PageChoice::AllPages; break;
    }
    // The dialog of the Unix desktops reads a list it cannot parse, such as
    // "7-5", as all pages: what the user typed is read here.
    const auto *listButton = dialog.findChild<const QRadioButton *>(QStringLiteral("pagesRadioButton"));
    const auto *listEdit = dialog.findChild<const QLineEdit *>(QStringLiteral("pagesLineEdit"));
    if (listButton && listEdit && listButton->isChecked()) {
        r.pageList = listEdit->text();
        const std::optional<QPageRanges> ranges = parsePageList(r.pageList);
        if (!ranges) {
            if (error)
                *error = PrintText::badPageList(r.pageList);
            return std::nullopt;
        }
        r.choice = PageChoice::PageRanges;
        r.ranges = *ranges;
    }
    return r;
}

QString printPreparedReport(const ComposedReport &report, QPrinter &printer, const PrintRequest &request)
{
    const int pageCount = int(report.pages.size());
    const std::vector<int> chosen = pagesToPrint(request.choice, request.ranges, request.currentPage, pageCount);
    if (chosen.empty())
        return PrintText::noPageInList(request.pageList, pageCount);
    if (!printerInstalled(printer))
        return unreachable(printer);
    if (isSystemPrinter(printer))
        if (const QString refusal = printSystemRefusal(printer.printerName()); !refusal.isEmpty())
            return refusal;
    dropSystemPageRanges(printer);
    const std::vector<int> sequence = printSequence(chosen, orderPrintedHere(printer, request.order));

    QPainter painter;
    if (!painter.begin(&printer))
        return PrintText::cannotStart(printerLabel(printer));
    const double k = printer.resolution() / 25.4;
    Typesetter typesetter;
    bool complete = true;
    for (size_t i = 0; i < sequence.size() && complete; ++i) {
        if (i > 0)
            complete = printer.newPage();
        if (complete)
            paintPage(painter, report.pages[size_t(sequence[i])], k, typesetter);
    }
    complete = painter.end() && complete;
    if (!complete || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return PrintText::notFinished(printerLabel(printer));
    // a print system that went away takes the job with it without a word
    if (!printerInstalled(printer))
        return PrintText::notFinished(printerLabel(printer));
    return {};
}

} // namespace kervio
