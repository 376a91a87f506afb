#pragma once
#include "report/composition.h"
#include "report/pageselection.h"

#include <QString>
#include <optional>

class QPrintDialog;
class QPrinter;

namespace kervio {

// A printer for the report: its paper, the whole sheet as the page, the
// report's title as the job's name.
void setUpPrinter(QPrinter &printer, const ComposedReport &report);

// Tells the dialog the report: its pages as the range, "from–to" preset to
// all of them, the current page offered.
void preparePrintDialog(QPrintDialog &dialog, QPrinter &printer, int pageCount);

// What the accepted dialog asks for, with the page list read as the user
// typed it; empty with `error` set when the list cannot be read.
std::optional<PrintRequest> requestFromDialog(const QPrintDialog &dialog, const QPrinter &printer, int currentPage,
                                              QString *error);

// Prints the request with the preview's painter. The pages are chosen here
// and so are the copies, their collation and the reverse order where the
// print system does not make them. Returns an empty text when the pages
// went to the printer, otherwise the failure's text naming the printer.
QString printPreparedReport(const ComposedReport &report, QPrinter &printer, const PrintRequest &request);

} // namespace kervio
