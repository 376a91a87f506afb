#include "pdfexport.h"

#include "reportfiles.h"
#include "core/errors.h"
#include "core/appinfo.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace kervio {

QByteArray pdfBytes(const ComposedReport &report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setTitle(report.title);
        writer.setCreator(applicationTitle() + versionSuffix());
        writer.setPageSize(QPageSize(report.pageSizeMm, QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        QPainter painter;
        if (!painter.begin(&writer))
            throw KervioError(QStringLiteral("PDF belgesi oluşturulamadı"));
        const double k = writer.resolution() / 25.4;
        Typesetter typesetter;
        for (size_t i = 0; i < report.pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, report.pages[i], k, typesetter);
        }
        painter.end();
    }
    buffer.close();
    return bytes;
}

void savePdfFile(const ComposedReport &report, const QString &path)
{
    writeReportFile(path, pdfBytes(report));
}

} // namespace kervio
