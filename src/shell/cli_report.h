#pragma once
#include <QString>

#include <functional>

namespace kervio {

struct ComposedReport;
struct PrintRequest;

// kervio --report IN.krv --pdf OUT.pdf [--net]
// Opens IN.krv as "KAYITTAN AÇ" does and writes the report that "YAZDIR"
// (with --net the print-preview picture button) previews as a PDF. Messages
// go to standard error, one line each. Exit status: 0 written, 2 the file
// could not be opened, 3 the report could not be made or written. The fonts
// need a graphical application object.
int writeReportPdf(const QString &ledgerPath, const QString &pdfPath, bool net);

// Prints a prepared report on the printer named (empty: the default one).
// Returns an empty text when the pages went to the printer, otherwise the
// failure's text. Printing lives above the command line: the program's
// start hands it in.
using ReportPrinter = std::function<QString(const ComposedReport &, const QString &printer, const PrintRequest &)>;
void setReportPrinter(ReportPrinter printer);

// kervio --report IN.krv --print [--printer NAME] [--pages LIST] [--copies N] [--net]
// Opens IN.krv as --pdf does and prints the report through the printer
// handed in. Exit status: 0 printed, 2 the file could not be opened, 3 the
// report could not be made or printed, 64 a page list or number of copies
// that cannot be read.
int printReport(const QString &ledgerPath, const QString &printer, const PrintRequest &request, bool net);

} // namespace kervio
