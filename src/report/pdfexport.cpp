#include "pdfexport.h"

#include "reportfiles.h"
#include "core/errors.h"
#include "core/appinfo.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace kervio {

namespace {

// A PDF in memory, its pages drawn one at a time.
class PdfPages {
public:
    PdfPages(const QString &title, const QSizeF &pageSizeMm) : m_writer(&m_buffer)
    {
        m_buffer.setBuffer(&m_bytes);
        m_buffer.open(QIODevice::WriteOnly);
        m_writer.setResolution(600);
        m_writer.setTitle(title);
        m_writer.setCreator(applicationTitle() + versionSuffix());
        m_writer.setPageSize(QPageSize(pageSizeMm, QPageSize::Millimeter));
        m_writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        if (!m_painter.begin(&m_writer))
            throw KervioError(QStringLiteral("PDF belgesi oluşturulamadı"));
    }

    void add(const ReportPage &page)
    {
        if (m_pages++ > 0)
            m_writer.newPage();
        paintPage(m_painter, page, m_writer.resolution() / 25.4, m_typesetter);
    }

    QByteArray finish()
    {
        m_painter.end();
        m_buffer.close();
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    QPdfWriter m_writer;
    QPainter m_painter;
    Typesetter m_typesetter;
    int m_pages = 0;
};

} // namespace

QByteArray pdfBytes(const ComposedReport &report)
{
    PdfPages pdf(report.title, report.pageSizeMm);
    for (const ReportPage &page : report.pages)
        pdf.add(page);
    return pdf.finish();
}

void savePdfFile(const ComposedReport &report, const QString &path)
{
    writeReportFile(path, pdfBytes(report));
}

void savePdfFile(const ReportTemplate &tmpl, const QDate &preparedOn, const QString &path)
{
    PdfPages pdf(tmpl.title, tmpl.pageSizeMm);
    composeReportPages(tmpl, preparedOn, [&](const ReportPage &page) { pdf.add(page); });
    writeReportFile(path, pdf.finish());
}

} // namespace kervio
