#include "reportsearch.h"

#include <QFontMetricsF>
#include <QPaintDevice>

namespace kervio {

std::optional<SearchHit> findNextMatch(const ComposedReport &report, const QString &text,
                                       const std::optional<SearchHit> &previous, int startPage)
{
    if (text.isEmpty())
        return std::nullopt;
    int page = previous ? previous->page : startPage;
    int item = previous ? previous->item : 0;
    int from = previous ? previous->position + 1 : 0;
    for (; page < int(report.pages.size()); ++page, item = 0, from = 0) {
        const std::vector<DrawItem> &items = report.pages[size_t(page)].items;
        for (; item < int(items.size()); ++item, from = 0) {
            if (items[size_t(item)].kind != DrawItem::Text)
                continue;
            const int at = int(items[size_t(item)].text.indexOf(text, from, Qt::CaseInsensitive));
            if (at >= 0)
                return SearchHit{page, item, at, int(text.size())};
        }
    }
    return std::nullopt;
}

QRectF matchRect(const ComposedReport &report, const SearchHit &hit, double pxPerMm, const QPaintDevice *device)
{
    const DrawItem &item = report.pages[size_t(hit.page)].items[size_t(hit.item)];
    const QFont font = item.font.toQFont(pxPerMm * 25.4 / (device ? device->logicalDpiY() : 96.0));
    const QFontMetricsF fm = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    const QRectF box(item.rect.topLeft() * pxPerMm, item.rect.size() * pxPerMm);
    const double full = fm.horizontalAdvance(item.text);
    double x = box.left();
    if (item.alignment & Qt::AlignRight)
        x = box.right() - full;
    else if (item.alignment & Qt::AlignHCenter)
        x = box.center().x() - full / 2;
    x += fm.horizontalAdvance(item.text.left(hit.position));
    const double w = fm.horizontalAdvance(item.text.mid(hit.position, hit.length));
    return QRectF(x, box.top(), w, box.height());
}

} // namespace kervio
