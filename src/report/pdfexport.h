#pragma once
#include "composition.h"

#include <QByteArray>
#include <QString>

namespace kervio {

// The prepared report as a PDF document, each page the paper size of the
// report. Needs a GUI application for the fonts.
QByteArray pdfBytes(const ComposedReport &report);
// Raises KervioError ("Dosya Saklanamıyor:") when the file cannot be written.
void savePdfFile(const ComposedReport &report, const QString &path);
// The same PDF straight from the template, each page drawn as soon as it is
// laid out: the report itself is never kept whole.
void savePdfFile(const ReportTemplate &tmpl, const QDate &preparedOn, const QString &path);

} // namespace kervio
