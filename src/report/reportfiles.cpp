#include "reportfiles.h"

#include "frpfile.h"
#include "pdfexport.h"

#include "core/errors.h"
#include "core/savefile.h"

#include <QFileInfo>

namespace kervio {

ReportSaveTarget reportSaveTarget(const QString &chosenName)
{
    ReportSaveTarget target{chosenName, ReportSaveTarget::PreparedReport};
    if (chosenName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        target.format = ReportSaveTarget::Pdf;
    else if (QFileInfo(chosenName).suffix().isEmpty())
        target.path += QStringLiteral(".frp");
    return target;
}

void saveReport(const ComposedReport &report, const ReportSaveTarget &target)
{
    if (target.format == ReportSaveTarget::Pdf)
        savePdfFile(report, target.path);
    else
        saveFrpFile(report, target.path);
}

void writeReportFile(const QString &path, const QByteArray &bytes)
{
    if (!saveFileContents(path, bytes))
        throw KervioError(QStringLiteral("Dosya Saklanamıyor:\r") + QFileInfo(path).absoluteFilePath());
}

} // namespace kervio
