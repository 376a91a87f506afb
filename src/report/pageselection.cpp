#include "pageselection.h"

#include <QStringList>
#include <algorithm>

namespace kervio {

std::vector<int> pagesToPrint(PageChoice choice, const QPageRanges &ranges, int currentPage, int pageCount)
{
    std::vector<int> out;
    switch (choice) {
    case PageChoice::CurrentPage:
        if (currentPage >= 0 && currentPage < pageCount)
            out.push_back(currentPage);
        break;
    case PageChoice::PageRanges:
        for (const QPageRanges::Range &r : ranges.toRangeList())
            for (int p = std::max(1, r.from); p <= std::min(pageCount, r.to); ++p)
                out.push_back(p - 1);
        break;
    case PageChoice::AllPages:
        for (int p = 0; p < pageCount; ++p)
            out.push_back(p);
        break;
    }
    return out;
}

namespace {

// A page number of digits only, at least 1.
std::optional<int> pageNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || !std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (!ok || n < 1)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<QPageRanges> parsePageList(const QString &text)
{
    QPageRanges ranges;
    const QStringList items = text.split(u',');
    for (const QString &item : items) {
        const QStringList ends = item.split(u'-');
        if (ends.size() > 2)
            return std::nullopt;
        const std::optional<int> from = pageNumber(ends.front());
        const std::optional<int> to = pageNumber(ends.back());
        if (!from || !to || *to < *from)
            return std::nullopt;
        ranges.addRange(*from, *to);
    }
    return ranges;
}

std::vector<int> printSequence(const std::vector<int> &pages, const PrintOrder &order)
{
    std::vector<int> once = pages;
    if (order.reverse)
        std::reverse(once.begin(), once.end());
    const int copies = std::max(1, order.copies);
    std::vector<int> out;
    out.reserve(once.size() * size_t(copies));
    if (order.collate) {
        for (int c = 0; c < copies; ++c)
            out.insert(out.end(), once.begin(), once.end());
    } else {
        for (int p : once)
            out.insert(out.end(), size_t(copies), p);
    }
    return out;
}

namespace PrintText {

QString noPrinter()
{
    return QStringLiteral("Yüklü yazıcı bulunamadı; rapor yazdırılamadı.");
}

QString printerNotFound(const QString &printer)
{
    return QStringLiteral("Yazıcı bulunamadı: %1. Rapor yazdırılamadı.").arg(printer);
}

QString badPageList(const QString &list)
{
    return QStringLiteral("Sayfa listesi anlaşılamadı: \"%1\". Sayfaları virgülle, aralıkları tireyle yazın "
                          "(örnek: 1,3,5-12).")
        .arg(list);
}

QString noPageInList(const QString &list, int pageCount)
{
    return QStringLiteral("\"%1\" listesinde raporun hiçbir sayfası yok (rapor %2 sayfa). Hiçbir şey yazdırılmadı.")
        .arg(list)
        .arg(pageCount);
}

QString cannotStart(const QString &printer)
{
    return QStringLiteral("Yazıcı başlatılamadı: %1. Rapor yazdırılamadı.").arg(printer);
}

QString jobRefused(const QString &printer)
{
    return QStringLiteral("Yazıcı yeni iş kabul etmiyor: %1. Rapor yazdırılamadı.").arg(printer);
}

QString notFinished(const QString &printer)
{
    return QStringLiteral("Yazdırma işi yazıcıya ulaştırılamadı: %1. Rapor yazdırılmamış olabilir.").arg(printer);
}

} // namespace PrintText

} // namespace kervio
