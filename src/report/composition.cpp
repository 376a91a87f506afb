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

        const double top = m_t.marginsMm.top();
        const ReportBand *footer = m_t.band(BandKind::PageFooter);
        const double footerTop = m_t.pageSizeMm.height() - m_t.marginsMm.bottom() - (footer ? footer->heightMm : 0);
        const ReportObject *rich = nullptr;
        for (const ReportObject &o : m_t.objects)
            if (o.kind == ReportObject::Rich && o.band == BandKind::ReportSummary)
                rich = &o;

        QStringList body;
        double lineMm = 0;
        if (rich) {
            const Measure m(rich->font);
            lineMm = m.lineMm();
            for (const QString &l : rich->lines)
                body << m.wrap(l, rich->rectMm.width());
        }

        qsizetype next = 0;
        int pageNo = 0;
        do {
            ++pageNo;
            out.pages.emplace_back();
            ReportPage &page = out.pages.back();
            double y = top;
            if (pageNo == 1)
                y = placeBand(page, BandKind::ReportTitle, y, pageNo, true);
            y = placeBand(page, BandKind::PageHeader, y, pageNo, false);
            if (rich) {
                const double x = rich->rectMm.left(), w = rich->rectMm.width();
                double ly = y + rich->rectMm.top();
                if (rich->topRule)
                    addRule(page, QPointF(x, ly), QPointF(x + w, ly));
                ly += BodyInsetMm;
                bool placed = false;
                // at least one line per page, so an absurd font cannot loop
                while (next < body.size() && (ly + lineMm <= footerTop + 1e-6 || !placed)) {
                    addText(page, {x, ly, w, lineMm}, body[next], rich->font, rich->alignment);
                    ly += lineMm;
                    ++next;
                    placed = true;
                }
            }
            placeBand(page, BandKind::PageFooter, footerTop, pageNo, false);
        } while (next < body.size());
        return out;
    }

private:
    // Places the memos of a band at `bandTop`; returns the band's bottom.
    double placeBand(ReportPage &page, BandKind kind, double bandTop, int pageNo, bool fixedHeight)
    {
        const ReportBand *band = m_t.band(kind);
        if (!band)
            return bandTop;
        double bottom = bandTop + band->heightMm;
        for (const ReportObject &o : m_t.objects) {
            if (o.band != kind || o.kind != ReportObject::Memo)
                continue;
            const double objBottom = placeMemo(page, o, bandTop, pageNo);
            if (!fixedHeight)
                bottom = std::max(bottom, objBottom);
        }
        return bottom;
    }

    double placeMemo(ReportPage &page, const ReportObject &o, double bandTop, int pageNo)
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

void paintPage(QPainter &p, const ReportPage &page, double k)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const double dpi = p.device() ? p.device()->logicalDpiY() : 96.0;
    const double fontScale = k * 25.4 / dpi;
    const ReportFont *lastFont = nullptr;
    p.setPen(Qt::black);
    for (const DrawItem &item : page.items) {
        if (item.kind == DrawItem::Rule) {
            const double w = item.penWidth * k;
            p.setPen(QPen(Qt::black, w < 1.0 ? 0.0 : w)); // thinner than a pixel: one device pixel
            p.drawLine(QPointF(item.rect.left() * k, item.rect.top() * k),
                       QPointF(item.rect.right() * k, item.rect.bottom() * k));
            p.setPen(Qt::black);
            continue;
        }
        if (item.text.isEmpty())
            continue;
        if (!lastFont || !(*lastFont == item.font)) {
            p.setFont(item.font.toQFont(fontScale));
            lastFont = &item.font;
        }
        const QRectF r(item.rect.left() * k, item.rect.top() * k, item.rect.width() * k, item.rect.height() * k);
        const int flags = int(item.alignment & (Qt::AlignHorizontal_Mask)) | Qt::AlignTop | Qt::TextDontClip
            | Qt::TextSingleLine;
        p.drawText(r, flags, item.text);
    }
    p.restore();
}

QStringList pageTexts(const ReportPage &page)
{
    QStringList out;
    for (const DrawItem &item : page.items)
        if (item.kind == DrawItem::Text)
            out << item.text;
    return out;
}

} // namespace kervio
