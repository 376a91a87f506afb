#include "reportsearch.h"

#include <algorithm>


namespace kervio {

namespace {

// Dotted and dotless i pair up differently in Turkish: İ/i and I/ı.
QChar turkishLower(QChar c)
{
    if (c == u'I')
        return u'ı';
    if (c == u'İ')
        return u'i';
    return c.toLower();
}

bool sameLetter(QChar a, QChar b)
{
    return a == b || turkishLower(a) == turkishLower(b) || a.toLower() == b.toLower();
}

} // namespace

qsizetype indexOfIgnoringCase(const QString &haystack, const QString &needle, qsizetype from)
{
    const qsizetype last = haystack.size() - needle.size();
    for (qsizetype at = std::max<qsizetype>(0, from); at <= last; ++at) {
        qsizetype k = 0;
        while (k < needle.size() && sameLetter(haystack[at + k], needle[k]))
            ++k;
        if (k == needle.size())
            return at;
    }
    return -1;
}

std::optional<SearchHit> findNextMatch(const ComposedReport &report, const QString &text,
                                       const std::optional<SearchHit> &previous, int startPage, bool *wrapped)
{
    if (wrapped)
        *wrapped = false;
    const int pages = int(report.pages.size());
    if (text.isEmpty() || pages == 0)
        return std::nullopt;
    // the text items in reading order from where the search begins, once round
    const int firstPage = previous ? previous->page : std::clamp(startPage, 0, pages - 1);
    const int firstItem = previous ? previous->item : 0;
    for (int step = 0; step <= pages; ++step) {
        const int page = (firstPage + step) % pages;
        const std::vector<DrawItem> &items = report.pages[size_t(page)].items;
        const bool begin = step == 0, end = step == pages;
        const int from = begin ? firstItem : 0;
        const int to = end ? std::min(firstItem + 1, int(items.size())) : int(items.size());
        for (int item = from; item < to; ++item) {
            if (items[size_t(item)].kind != DrawItem::Text)
                continue;
            const QString &line = items[size_t(item)].text;
            const bool startItem = previous && item == firstItem;
            qsizetype at = indexOfIgnoringCase(line, text, begin && startItem ? previous->position + 1 : 0);
            if (end && startItem && at > previous->position)
                at = -1; // back where the search began
            if (at >= 0) {
                if (wrapped)
                    *wrapped = firstPage + step >= pages;
                return SearchHit{page, item, int(at), int(text.size())};
            }
        }
    }
    return std::nullopt;
}

QRectF matchRect(const ComposedReport &report, const SearchHit &hit, double pxPerMm, Typesetter &typesetter)
{
    const DrawItem &item = report.pages[size_t(hit.page)].items[size_t(hit.item)];
    const QPointF origin = textOrigin(item, typesetter);
    const double x = origin.x() + typesetter.advanceMm(item.font, item.text.left(hit.position));
    const double w = typesetter.advanceMm(item.font, item.text.mid(hit.position, hit.length));
    return QRectF(x * pxPerMm, item.rect.top() * pxPerMm, w * pxPerMm, item.rect.height() * pxPerMm);
}

} // namespace kervio
