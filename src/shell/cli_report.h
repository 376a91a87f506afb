#pragma once
#include <QString>

namespace kervio {

// kervio --report IN.krv --pdf OUT.pdf [--net]
// Opens IN.krv as "KAYITTAN AÇ" does and writes the report that "YAZDIR"
// (with --net the print-preview picture button) previews as a PDF. Messages
// go to standard error, one line each. Exit status: 0 written, 2 the file
// could not be opened, 3 the report could not be made or written. The fonts
// need a graphical application object.
int writeReportPdf(const QString &ledgerPath, const QString &pdfPath, bool net);

} // namespace kervio
