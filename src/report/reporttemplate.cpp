#include "reporttemplate.h"

namespace kervio {

namespace {

ReportObject textObject(QLatin1String name, BandKind band, QRectF rect, const QString &text, ReportFont font,
                  Qt::Alignment align, bool rule = false)
{
    ReportObject o;
    o.name = name;
    o.band = band;
    o.rectMm = rect;
    o.lines = text.isEmpty() ? QStringList{} : QStringList{text};
    o.font = std::move(font);
    o.alignment = align;
    o.topRule = rule;
    return o;
}

} // namespace

ReportTemplate ReportTemplate::standard()
{
    ReportTemplate t;
    t.bands = {
        {QStringLiteral("reportTitle"), BandKind::ReportTitle, 32.2},
        {QStringLiteral("pageHeader"), BandKind::PageHeader, 12.2},
        {QStringLiteral("reportSummary"), BandKind::ReportSummary, 209.6},
        {QStringLiteral("pageFooter"), BandKind::PageFooter, 11.1},
    };
    const ReportFont arial{QStringLiteral("Arial"), 10};
    const ReportFont times{QStringLiteral("Times New Roman Tur"), 12};
    const ReportFont timesBold{QStringLiteral("Times New Roman Tur"), 12, true};
    const ReportFont courier{QStringLiteral("Courier New"), 10};
    const double left = 14.5, wide = 183.1;
    using B = BandKind;
    namespace O = TemplateObject;
    t.objects = {
        textObject(O::TitleLine, B::ReportTitle, {left, 1.1, wide, 5.0}, QString(), timesBold, Qt::AlignHCenter),
        textObject(O::CompanyLine, B::ReportTitle, {left, 10.0, wide, 5.0}, QString(), arial, Qt::AlignLeft),
        textObject(O::DateLine, B::ReportTitle, {left, 15.5, wide, 5.0}, QString(), arial, Qt::AlignLeft),
        textObject(O::RatesLine, B::ReportTitle, {left, 21.1, wide, 5.0}, QString(), arial, Qt::AlignLeft),
        textObject(O::GraceLine, B::ReportTitle, {left, 26.6, wide, 5.0}, QString(), arial, Qt::AlignLeft),
        textObject(O::PrintDate, B::PageHeader, {156.3, 0.6, 41.3, 5.0}, QStringLiteral("[DATE]"), courier, Qt::AlignRight),
        textObject(O::ColumnHeader, B::PageHeader, {left, 6.7, wide, 5.0}, QString(), arial, Qt::AlignLeft),
        textObject(O::Body, B::ReportSummary, {left, 0.6, wide, 207.9}, QString(), ReportFont{}, Qt::AlignLeft, true),
        textObject(O::FooterRule, B::PageFooter, {left, 4.4, 154.1, 6.1}, QString(), times, Qt::AlignLeft, true),
        textObject(O::PageNumber, B::PageFooter, {168.6, 4.4, 29.0, 6.1}, QStringLiteral("Sayfa [PAGE#]"), times,
             Qt::AlignRight, true),
    };
    t.findObject(O::Body)->kind = ReportObject::Rich;
    t.findObject(O::PrintDate)->datePattern = QStringLiteral("dd.MM.yyyy");
    return t;
}

ReportObject *ReportTemplate::findObject(const QString &name)
{
    for (ReportObject &o : objects)
        if (o.name.compare(name, Qt::CaseInsensitive) == 0)
            return &o;
    return nullptr;
}

const ReportObject *ReportTemplate::findObject(const QString &name) const
{
    return const_cast<ReportTemplate *>(this)->findObject(name);
}

const ReportBand *ReportTemplate::band(BandKind kind) const
{
    for (const ReportBand &b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

} // namespace kervio
