#pragma once
#include "composition.h"

#include <QByteArray>
#include <QString>

namespace kervio {

// Where the preview's "Sakla" writes for the name the user chose, and in
// which format: a name ending in ".pdf" (any case) gets a PDF, any other a
// prepared report, with ".frp" added to a name without an extension.
struct ReportSaveTarget {
    enum Format { PreparedReport, Pdf };
    QString path;
    Format format = PreparedReport;
};
ReportSaveTarget reportSaveTarget(const QString &chosenName);

// Writes the report in the target's format; raises KervioError with the
// text the user sees.
void saveReport(const ComposedReport &report, const ReportSaveTarget &target);

// Replaces the file with `bytes`; raises "Dosya Saklanamıyor:" with the
// file's full path when it cannot be written.
void writeReportFile(const QString &path, const QByteArray &bytes);

} // namespace kervio
