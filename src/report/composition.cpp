#include "composition.h"

#include <QPainter>
#include <algorithm>

namespace kervio {

namespace {

constexpr double BodyInsetMm = 0.5;

bool isBlank(const QString &line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c.isSpace(); });
}

class Composer {
public:
    Composer(const ReportTemplate &t, const QDate &date) : m_t(t), m_date(date) {}

    void run(const std::function<void(const ReportPage &)> &takePage)
    {
        const WrappedBody body = wrapBody();
        // blank lines at the end go on a page that is there anyway, never on one of their own
        qsizetype contentEnd = body.lines.size();
        while (contentEnd > 0 && isBlank(body.lines[contentEnd - 1]))
            --contentEnd;
        qsizetype next = 0;
        int pageNo = 0;
        ReportPage page;
        do {
            page.items.clear();
            ++pageNo;
            const double bodyTop = placePageTop(page, pageNo);
            next = placeBodyLines(page, body, bodyTop, next);
            placeBand(page, BandKind::PageFooter, footerTop(), pageNo);
            takePage(page);
        } while (next < contentEnd);
    }

private:
    // The body object's lines broken to its width, and their height.
    struct WrappedBody {
        const ReportObject *object = nullptr;
        QStringList lines;
        double lineMm = 0;
    };

    WrappedBody wrapBody()
    {
        WrappedBody body;
        for (const ReportObject &o : m_t.objects)
            if (o.kind == ReportObject::Rich && o.band == BandKind::ReportSummary)
                body.object = &o;
        if (!body.object)
            return body;
        const ReportFont &font = body.object->font;
        const double width = body.object->rectMm.width();
        body.lineMm = m_typesetter.lineMm(font);
        body.lines.reserve(body.object->lines.size());
        for (const QString &l : body.object->lines) {
            if (m_typesetter.advanceMm(font, l) <= width)
                body.lines << l;
            else
                body.lines << m_typesetter.wrap(font, l, width);
        }
        return body;
    }

    double footerTop() const
    {
        const ReportBand *footer = m_t.band(BandKind::PageFooter);
        return m_t.pageSizeMm.height() - m_t.marginsMm.bottom() - (footer ? footer->heightMm : 0);
    }

    // The report title on the first page, the page header on every page;
    // returns where the body starts.
    double placePageTop(ReportPage &page, int pageNo)
    {
        double y = m_t.marginsMm.top();
        if (pageNo == 1)
            y = placeBand(page, BandKind::ReportTitle, y, pageNo);
        return placeBand(page, BandKind::PageHeader, y, pageNo);
    }

    // Places body lines from `next` on as far as they fit above the footer,
    // at least one, so that an absurd font cannot loop; returns the first
    // line left for the next page.
    qsizetype placeBodyLines(ReportPage &page, const WrappedBody &body, double bandTop, qsizetype next)
    {
        const ReportObject *o = body.object;
        if (!o)
            return next;
        const double x = o->rectMm.left(), w = o->rectMm.width(), limit = footerTop();
        double y = bandTop + o->rectMm.top();
        if (o->topRule)
            addRule(page, QPointF(x, y), QPointF(x + w, y));
        y += BodyInsetMm;
        bool placed = false;
        while (next < body.lines.size() && (y + body.lineMm <= limit + 1e-6 || !placed)) {
            addText(page, {x, y, w, body.lineMm}, body.lines[next], o->font, o->alignment);
            y += body.lineMm;
            ++next;
            placed = true;
        }
        return next;
    }

    // Places the text objects of a band at `bandTop`; returns the band's
    // bottom. An object that grows with its text pushes the objects below it
    // down, and the band grows by as much.
    double placeBand(ReportPage &page, BandKind kind, double bandTop, int pageNo)
    {
        const ReportBand *band = m_t.band(kind);
        if (!band)
            return bandTop;
        std::vector<const ReportObject *> objects;
        for (const ReportObject &o : m_t.objects)
            if (o.band == kind && o.kind == ReportObject::Text)
                objects.push_back(&o);
        std::stable_sort(objects.begin(), objects.end(),
                         [](const ReportObject *a, const ReportObject *b) { return a->rectMm.top() < b->rectMm.top(); });
        std::vector<double> pushed(objects.size(), 0.0); // how far each object's bottom moved down
        double deepest = 0;
        for (size_t i = 0; i < objects.size(); ++i) {
            const QRectF r = objects[i]->rectMm;
            double shift = 0;
            for (size_t j = 0; j < i; ++j) {
                const QRectF above = objects[j]->rectMm;
                if (above.bottom() <= r.top() + 1e-6 && above.left() < r.right() && r.left() < above.right())
                    shift = std::max(shift, pushed[j]);
            }
            const double bottom = placeTextObject(page, *objects[i], bandTop + shift, pageNo);
            pushed[i] = bottom - (bandTop + r.bottom());
            deepest = std::max(deepest, pushed[i]);
        }
        return bandTop + band->heightMm + deepest;
    }

    double placeTextObject(ReportPage &page, const ReportObject &o, double bandTop, int pageNo)
    {
        const double x = o.rectMm.left(), w = o.rectMm.width(), top = bandTop + o.rectMm.top();
        const double lineMm = m_typesetter.lineMm(o.font);
        if (o.topRule)
            addRule(page, QPointF(x, top), QPointF(x + w, top));
        double y = top;
        for (const QString &line : o.lines)
            for (const QString &part : m_typesetter.wrap(o.font, expand(line, o, pageNo), w)) {
                addText(page, {x, y, w, lineMm}, part, o.font, o.alignment);
                y += lineMm;
            }
        return std::max(top + o.rectMm.height(), y);
    }

    // Only the engine's own expressions are evaluated; any other text in
    // brackets (a company name, say) prints as it stands.
    QString expand(QString text, const ReportObject &o, int pageNo) const
    {
        if (text.contains(u'[')) {
            text.replace(QLatin1String("[DATE]"),
                         m_date.toString(o.datePattern.isEmpty() ? QStringLiteral("dd.MM.yyyy") : o.datePattern));
            text.replace(QLatin1String("[PAGE#]"), QString::number(pageNo));
        }
        return text;
    }

    void addText(ReportPage &page, const QRectF &r, const QString &text, const ReportFont &font, Qt::Alignment a)
    {
        DrawItem item;
        item.kind = DrawItem::Text;
        item.rect = r;
        item.text = text;
        item.font = font;
        item.alignment = quint32(a);
        page.items.push_back(std::move(item));
    }

    void addRule(ReportPage &page, QPointF from, QPointF to)
    {
        DrawItem item;
        item.kind = DrawItem::Rule;
        item.rect = QRectF(from, to);
        item.font = ReportFont{};
        item.penWidth = m_t.ruleWidthMm;
        page.items.push_back(std::move(item));
    }

    const ReportTemplate &m_t;
    QDate m_date;
    Typesetter m_typesetter;
};

} // namespace

ComposedReport composeReport(const ReportTemplate &tmpl, const QDate &preparedOn)
{
    ComposedReport out;
    out.title = tmpl.title;
    out.pageSizeMm = tmpl.pageSizeMm;
    // a copy holds no room to spare
    composeReportPages(tmpl, preparedOn, [&](const ReportPage &page) { out.pages.push_back(page); });
    return out;
}

void composeReportPages(const ReportTemplate &tmpl, const QDate &preparedOn,
                        const std::function<void(const ReportPage &)> &takePage)
{
    Composer(tmpl, preparedOn).run(takePage);
}

void paintPage(QPainter &p, const ReportPage &page, double pxPerMm, Typesetter &typesetter)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(Qt::black);
    for (const DrawItem &item : page.items) {
        if (item.kind == DrawItem::Rule) {
            const double w = item.penWidth * pxPerMm;
            p.setPen(QPen(Qt::black, w < 1.0 ? 0.0 : w)); // thinner than a pixel: one device pixel
            p.drawLine(item.rect.topLeft() * pxPerMm, item.rect.bottomRight() * pxPerMm);
            p.setPen(Qt::black);
            continue;
        }
        if (item.text.isEmpty())
            continue;
        typesetter.add(p, item.font, item.text, textOrigin(item, typesetter), pxPerMm);
    }
    typesetter.flush(p, pxPerMm);
    p.restore();
}

QPointF textOrigin(const DrawItem &item, Typesetter &typesetter)
{
    double x = item.rect.left();
    if (item.alignment & (Qt::AlignRight | Qt::AlignHCenter)) {
        const double room = item.rect.width() - typesetter.advanceMm(item.font, item.text);
        x += item.alignment & Qt::AlignRight ? room : room / 2;
    }
    return QPointF(x, item.rect.top());
}

} // namespace kervio
