#pragma once
#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace kervio {

enum class ZoomMode { Percent, PageWidth, WholePage, TwoPages };

struct PreviewZoom {
    ZoomMode mode = ZoomMode::Percent;
    int percent = 100;
    bool operator==(const PreviewZoom &) const = default;
    // The same entry of the zoom menu: a fitting mode whatever its percent.
    bool sameChoice(const PreviewZoom &other) const
    {
        return *this == other || (mode != ZoomMode::Percent && mode == other.mode);
    }
};

// Where the pages of a prepared report lie in the preview's scrolled
// content for a zoom and a viewport: one page under the other, or two side
// by side, with a gap around and between them, centred when narrower than
// the viewport. Coordinates are device pixels.
class PreviewLayout {
public:
    static constexpr int Gap = 10;

    PreviewLayout() = default;
    // `dpi`: the screen's pixels per inch, which 100 per cent stands for.
    PreviewLayout(QSizeF pageSizeMm, int pageCount, PreviewZoom zoom, QSize viewport, double dpi);

    double pxPerMm() const { return m_scale; }
    QSizeF contentSize() const { return m_content; }
    int pageCount() const { return m_pageCount; }
    // Pages that go by on one step to the next page: two in the two-page view.
    int pagesPerStep() const { return m_zoom.mode == ZoomMode::TwoPages ? 2 : 1; }
    // The zoom in per cent as it is in force, also for the fitting modes.
    int effectivePercent() const;

    QRectF pageRect(int page) const;
    // The page shown at a vertical scroll position (the left one of a
    // pair): the first at the very top, the last at the very bottom, else
    // the last one whose top lies above the first third of the viewport, or
    // above the middle of the page at the top where pages are small.
    int pageAt(int scrollTop) const;
    // The vertical scroll position that shows `page` at the top.
    int scrollTopOf(int page) const;
    // The scroll positions that bring `contentRect` into view, starting from
    // `scroll`: unchanged on an axis where it is already visible.
    QPoint scrollToShow(const QRectF &contentRect, QPoint scroll) const;
    // The largest scroll positions.
    QSize scrollRange() const;
    // `page` moved into the pages there are.
    int clampPage(int page) const;
    bool hasPageAfter(int page) const { return page + pagesPerStep() < m_pageCount; }

private:
    QSizeF m_pageSizeMm{210.0, 297.0};
    int m_pageCount = 0;
    PreviewZoom m_zoom;
    QSize m_viewport;
    double m_dpi = 96;
    double m_scale = 1;
    QSizeF m_content;
};

} // namespace kervio
