#include "composition.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

namespace kervio {

namespace {

// Metrics are taken at a fixed high resolution, so the layout does not
// depend on the screen the program runs on.
constexpr double MeasureDpi = 1200.0;
constexpr double MmPerPx = 25.4 / MeasureDpi;
constexpr double BodyInsetMm = 0.5;

const QPaintDevice *measureDevice()
{
    static QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        const int dpm = int(MeasureDpi / 0.0254 + 0.5);
        i.setDotsPerMeterX(dpm);
        i.setDotsPerMeterY(dpm);
        return i;
    }();
    return &image;
}

class Measure {
public:
    explicit Measure(const ReportFont &f) : m_font(f.toQFont()), m_fm(m_font, measureDevice()) {}
    double lineMm() const { return m_fm.lineSpacing() * MmPerPx; }

    // The visual lines of one text line in a box `widthMm` wide: broken at
    // word boundaries, or anywhere inside a word longer than the box.
    QStringList wrap(const QString &text, double widthMm) const
    {
        const double widthPx = widthMm / MmPerPx;
        if (text.isEmpty() || m_fm.horizontalAdvance(text) <= widthPx)
            return {text};
        QTextLayout layout(text, m_font, const_cast<QPaintDevice *>(measureDevice()));
        QTextOption opt;
        opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(opt);
        layout.beginLayout();
        QStringList out;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthPx);
            QString part = text.mid(line.textStart(), line.textLength());
            while (part.size() > 1 && part.back().isSpace())
                part.chop(1);
            out << part;
        }
        layout.endLayout();
        if (out.isEmpty())
            out << text;
        return out;
    }

private:
    QFont m_font;
    QFontMetricsF m_fm;
};

class Composer {
public:
    Composer(const ReportTemplate &t, const QDate &date) : m_t(t), m_date(date) {}

    ComposedReport run()
    {
        ComposedReport out;
        out.title = m_t.title;
        out.pageSizeMm = m_t.pageSizeMm;
        const WrappedBody body = wrapBody();
        qsizetype next = 0;
        int pageNo = 0;
        do {
            ReportPage &page = out.pages.emplace_back();
            ++pageNo;
            const double bodyTop = placePageTop(page, pageNo);
            next = placeBodyLines(page, body, bodyTop, next);
            placeBand(page, BandKind::PageFooter, footerTop(), pageNo, false);
        } while (next < body.lines.size());
        return out;
    }

private:
    // The body object's lines broken to its width, and their height.
    struct WrappedBody {
        const ReportObject *object = nullptr;
        QStringList lines;
        double lineMm = 0;
    };

    WrappedBody wrapBody() const
    {
        WrappedBody body;
        for (const ReportObject &o : m_t.objects)
            if (o.kind == ReportObject::Rich && o.band == BandKind::ReportSummary)
                body.object = &o;
        if (!body.object)
            return body;
        const Measure m(body.object->font);
        body.lineMm = m.lineMm();
        for (const QString &l : body.object->lines)
            body.lines << m.wrap(l, body.object->rectMm.width());
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
            y = placeBand(page, BandKind::ReportTitle, y, pageNo, true);
        return placeBand(page, BandKind::PageHeader, y, pageNo, false);
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

    // Places the text objects of a band at `bandTop`; returns the band's bottom.
    double placeBand(ReportPage &page, BandKind kind, double bandTop, int pageNo, bool fixedHeight)
    {
        const ReportBand *band = m_t.band(kind);
        if (!band)
            return bandTop;
        double bottom = bandTop + band->heightMm;
        for (const ReportObject &o : m_t.objects) {
            if (o.band != kind || o.kind != ReportObject::Text)
                continue;
            const double objBottom = placeTextObject(page, o, bandTop, pageNo);
            if (!fixedHeight)
                bottom = std::max(bottom, objBottom);
        }
        return bottom;
    }

    double placeTextObject(ReportPage &page, const ReportObject &o, double bandTop, int pageNo)
    {
        const Measure &m = measure(o.font);
        const double x = o.rectMm.left(), w = o.rectMm.width(), top = bandTop + o.rectMm.top();
        if (o.topRule)
            addRule(page, QPointF(x, top), QPointF(x + w, top));
        double y = top;
        for (const QString &line : o.lines)
            for (const QString &part : m.wrap(expand(line, o, pageNo), w)) {
                addText(page, {x, y, w, m.lineMm()}, part, o.font, o.alignment);
                y += m.lineMm();
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

    const Measure &measure(const ReportFont &f)
    {
        for (const auto &[font, m] : m_measures)
            if (font == f)
                return *m;
        m_measures.emplace_back(f, std::make_unique<Measure>(f));
        return *m_measures.back().second;
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
    std::vector<std::pair<ReportFont, std::unique_ptr<Measure>>> m_measures;
};

} // namespace

ComposedReport composeReport(const ReportTemplate &tmpl, const QDate &preparedOn)
{
    return Composer(tmpl, preparedOn).run();
}

void paintPage(QPainter &p, const ReportPage &page, double pxPerMm)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const double dpi = p.device() ? p.device()->logicalDpiY() : 96.0;
    const double fontScale = pxPerMm * 25.4 / dpi;
    const ReportFont *lastFont = nullptr;
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
        if (!lastFont || !(*lastFont == item.font)) {
            p.setFont(item.font.toQFont(fontScale));
            lastFont = &item.font;
        }
        const QRectF r(item.rect.topLeft() * pxPerMm, item.rect.size() * pxPerMm);
        const int flags = int(item.alignment & (Qt::AlignHorizontal_Mask)) | Qt::AlignTop | Qt::TextDontClip
            | Qt::TextSingleLine;
        p.drawText(r, flags, item.text);
    }
    p.restore();
}

} // namespace kervio
