#include "previewlayout.h"

#include <algorithm>
#include <cmath>

namespace kervio {

namespace {

double scaleFor(QSizeF page, PreviewZoom zoom, QSize viewport, double dpi)
{
    const double gap = PreviewLayout::Gap;
    const double fitWidth = (viewport.width() - 2 * gap) / page.width();
    const double fitHeight = (viewport.height() - 2 * gap) / page.height();
    double scale = 1;
    switch (zoom.mode) {
    case ZoomMode::Percent: scale = zoom.percent / 100.0 * dpi / 25.4; break;
    case ZoomMode::PageWidth: scale = fitWidth; break;
    case ZoomMode::WholePage: scale = std::min(fitWidth, fitHeight); break;
    case ZoomMode::TwoPages:
        scale = std::min((viewport.width() - 3 * gap) / (2 * page.width()), fitHeight);
        break;
    }
    return std::max(scale, 0.05);
}

} // namespace

PreviewLayout::PreviewLayout(QSizeF pageSizeMm, int pageCount, PreviewZoom zoom, QSize viewport, double dpi)
    : m_pageSizeMm(pageSizeMm), m_pageCount(pageCount), m_zoom(zoom), m_viewport(viewport), m_dpi(dpi),
      m_scale(scaleFor(pageSizeMm, zoom, viewport, dpi))
{
    const int perRow = pagesPerStep();
    const int rows = (std::max(1, pageCount) + perRow - 1) / perRow;
    const double pw = pageSizeMm.width() * m_scale, ph = pageSizeMm.height() * m_scale;
    m_content = QSizeF(perRow * pw + (perRow + 1) * Gap, rows * (ph + Gap) + Gap);
}

int PreviewLayout::effectivePercent() const
{
    if (m_zoom.mode == ZoomMode::Percent)
        return m_zoom.percent;
    return int(std::lround(m_scale * 25.4 / m_dpi * 100));
}

QRectF PreviewLayout::pageRect(int page) const
{
    const QSizeF size = m_pageSizeMm * m_scale;
    const bool two = m_zoom.mode == ZoomMode::TwoPages;
    const int row = two ? page / 2 : page, col = two ? page % 2 : 0;
    const double rowWidth = two ? 2 * size.width() + Gap : size.width();
    const double left = std::max<double>(Gap, (m_viewport.width() - rowWidth) / 2.0);
    return QRectF(left + col * (size.width() + Gap), Gap + row * (size.height() + Gap), size.width(), size.height());
}

int PreviewLayout::pageAt(int scrollTop) const
{
    if (m_pageCount == 0 || scrollTop <= 0)
        return 0;
    const int lastRow = (m_pageCount - 1) / pagesPerStep() * pagesPerStep();
    if (scrollTop >= scrollRange().height())
        return lastRow;
    const double pageHeight = m_pageSizeMm.height() * m_scale;
    const double probe = scrollTop + std::min(m_viewport.height() / 3.0, pageHeight / 2.0);
    int current = 0;
    for (int p = 0; p < m_pageCount; p += pagesPerStep())
        if (pageRect(p).top() - Gap <= probe)
            current = p;
    return current;
}

int PreviewLayout::scrollTopOf(int page) const
{
    return int(pageRect(page).top()) - Gap;
}

QPoint PreviewLayout::scrollToShow(const QRectF &r, QPoint scroll) const
{
    if (r.top() < scroll.y() || r.bottom() > scroll.y() + m_viewport.height())
        scroll.setY(int(r.center().y() - m_viewport.height() / 2.0));
    if (r.left() < scroll.x() || r.right() > scroll.x() + m_viewport.width())
        scroll.setX(int(r.left() - Gap));
    return scroll;
}

QSize PreviewLayout::scrollRange() const
{
    return QSize(std::max(0, int(std::ceil(m_content.width())) - m_viewport.width()),
                 std::max(0, int(std::ceil(m_content.height())) - m_viewport.height()));
}

int PreviewLayout::clampPage(int page) const
{
    return std::clamp(page, 0, std::max(0, m_pageCount - 1));
}

} // namespace kervio
