#include "reporttext.h"

#include "ledger/textfuncs.h"
#include "core/appinfo.h"

namespace kervio {

namespace {

using Content = ReportColumn::Content;

QString right(int width, const QString &text, int cap = FieldCap)
{
    return padLeft(quint16(width), text).left(cap);
}

QString left(int width, const QString &text, int cap = FieldCap)
{
    return padRight(quint16(width), text).left(cap);
}

QString field(const ReportColumn &column, const QString &text, bool alignLeft)
{
    return alignLeft ? left(column.width, text, column.cap) : right(column.width, text, column.cap);
}

QString entryText(const ReportColumn &column, const LedgerTable &ledger, int row)
{
    switch (column.entry) {
    case Content::Cell: return ledger.cell(row, column.cell);
    case Content::NetDifference: return row == 0 ? QStringLiteral("Vade Farkı") : netDifferenceText(ledger, row);
    default: return QString();
    }
}

QString totalText(const ReportColumn &column, const Summary &summary)
{
    switch (column.total) {
    case Content::TotalLabel: return QStringLiteral("TOPLAM ");
    case Content::SummaryField: return summary.text(column.field);
    default: return QString();
    }
}

void setText(ReportTemplate &tmpl, QLatin1String name, const QString &text)
{
    if (ReportObject *o = tmpl.findObject(name))
        o->setText(text);
}

// The header lines above the table, in the body's font except the title's.
void writeHeaderObjects(ReportTable table, const LedgerTable &ledger, const Parameters &params,
                        const Regional &reg, const ReportFont &bodyFont, ReportTemplate &tmpl)
{
    namespace O = TemplateObject;
    setText(tmpl, O::ColumnHeader, tableLine(table, ledger, 0));
    for (QLatin1String name : {O::ColumnHeader, O::CompanyLine, O::DateLine, O::RatesLine, O::GraceLine})
        if (ReportObject *o = tmpl.findObject(name))
            o->setFont(bodyFont);
    setText(tmpl, O::TitleLine, titleLine());
    setText(tmpl, O::CompanyLine, QStringLiteral("İşlem Yapılan Firma : ") + params.text(Parameters::Company));
    setText(tmpl, O::DateLine, QStringLiteral("İşlem Tarihi        : ") + dateToText(params.calculationDate(), reg));
    setText(tmpl, O::RatesLine,
            QStringLiteral("Yıldaki Gün: ") + params.text(Parameters::DaysInYear) + QStringLiteral(" Yıllık Faiz: ")
                + params.text(Parameters::YearlyRate) + QStringLiteral(" Aylık Faiz: ")
                + params.text(Parameters::MonthlyRate));
    setText(tmpl, O::GraceLine, graceSentence(params));
}

// Every entry row, an empty line, the totals line and the summary block.
void writeBody(ReportTable table, const LedgerTable &ledger, const Summary &summary, const Regional &reg,
               ReportBody &body)
{
    body.clear();
    for (int r = 1; r < ledger.gridRowCount(); ++r)
        body.append(tableLine(table, ledger, r));
    body.append(QString());
    body.append(totalsLine(table, summary));
    for (const QString &l : summaryBlock(summary, reg))
        body.append(l);
}

void handBodyToTemplate(const ReportBody &body, ReportTemplate &tmpl)
{
    if (ReportObject *o = tmpl.findObject(TemplateObject::Body)) {
        o->setFont(body.font());
        o->setLines(body.lines());
    }
    tmpl.title = reportTitle();
}

} // namespace

const std::vector<ReportColumn> &reportColumns(ReportTable table)
{
    constexpr bool L = true, R = false;
    constexpr Summary::Field none = Summary::FieldCount;
    static const std::vector<ReportColumn> split = {
        {3, L, FieldCap, Content::Cell, ColNumber, Content::Blank, none},
        {12, R, FieldCap, Content::Cell, ColDueDate, Content::TotalLabel, none},
        {15, R, FieldCap, Content::Cell, ColDebit, Content::SummaryField, Summary::DebitTotal},
        {15, R, FieldCap, Content::Cell, ColCredit, Content::SummaryField, Summary::CreditTotal},
        {8, R, FieldCap, Content::Cell, ColDays, Content::SummaryField, Summary::OverallDays},
        {15, R, FieldCap, Content::Cell, ColDebitDiff, Content::SummaryField, Summary::DebitDiff},
        {15, R, FieldCap, Content::Cell, ColCreditDiff, Content::SummaryField, Summary::CreditDiff},
    };
    static const std::vector<ReportColumn> net = {
        {3, L, FieldCap, Content::Cell, ColNumber, Content::Blank, none},
        {12, R, FieldCap, Content::Cell, ColDueDate, Content::Blank, none},
        {1, L, FieldCap, Content::Blank, -1, Content::Blank, none},
        {25, L, DescriptionCap, Content::Cell, ColDescription, Content::TotalLabel, none},
        {15, R, FieldCap, Content::Cell, ColDebit, Content::SummaryField, Summary::DebitTotal},
        {15, R, FieldCap, Content::Cell, ColCredit, Content::SummaryField, Summary::CreditTotal},
        {5, R, FieldCap, Content::Cell, ColDays, Content::SummaryField, Summary::OverallDays},
        {15, R, FieldCap, Content::NetDifference, -1, Content::SummaryField, Summary::NetDiff},
    };
    return table == ReportTable::Split ? split : net;
}

QString netDifferenceText(const LedgerTable &ledger, int row)
{
    const Regional &reg = ledger.regional();
    const double net = parseAmount(ledger.cell(row, ColDebitDiff), reg) - parseAmount(ledger.cell(row, ColCreditDiff), reg);
    return formatPicture(QStringLiteral("#,###.00"), net, reg);
}

QString tableLine(ReportTable table, const LedgerTable &ledger, int row)
{
    QString line;
    line.reserve(96);
    for (const ReportColumn &column : reportColumns(table))
        line += field(column, entryText(column, ledger, row), column.alignLeft);
    return line;
}

QString totalsLine(ReportTable table, const Summary &summary)
{
    QString line;
    for (const ReportColumn &column : reportColumns(table))
        line += field(column, totalText(column, summary), false);
    line += u' ';
    return line;
}

QString graceSentence(const Parameters &p)
{
    return QStringLiteral("Alacaklara ") + p.text(Parameters::CreditGrace) + QStringLiteral(", Borçlara ")
        + p.text(Parameters::DebitGrace) + QStringLiteral(" Gün eklendi. ") + QStringLiteral("Cumartesi Pazar Borçlara ")
        + (p.debitWeekend() ? QStringLiteral("Eklendi,") : QStringLiteral("Eklenmedi,")) + QStringLiteral(" Alacaklara ")
        + (p.creditWeekend() ? QStringLiteral("Eklendi.") : QStringLiteral("Eklenmedi."));
}

QString titleLine()
{
    return QStringLiteral("Kavrel Kervio") + versionSuffix() + QStringLiteral(" Rapor Dökümü");
}

QString reportTitle()
{
    return QStringLiteral("Kavrel Rapor Önizleme - Vade farkı raporu");
}

QStringList summaryBlock(const Summary &s, const Regional &reg)
{
    const auto date = [&](Summary::Picker p) { return dateToText(s.date(p), reg); };
    return {
        QString(),
        QStringLiteral("Bakiye         : ") + padLeft(15, s.text(Summary::Balance)),
        QStringLiteral("Net Vade Farkı : ") + right(15, s.text(Summary::NetDiff)),
        QString(),
        QStringLiteral("Genel Ortalama Vadesi : ") + date(Summary::OverallDate),
        QStringLiteral("Genel Ortalama Gün    : ") + s.text(Summary::OverallDays),
        QString(),
        QStringLiteral("Borç Ortalama Vadesi  : ") + date(Summary::DebitDate),
        QStringLiteral("Borç Ortalama Gün     : ") + s.text(Summary::DebitDays),
        QString(),
        QStringLiteral("Alacak Ortalama Vadesi: ") + date(Summary::CreditDate),
        QStringLiteral("Alacak Ortalama Gün   : ") + s.text(Summary::CreditDays),
        QString(),
    };
}

void buildReport(ReportTable table, const LedgerTable &ledger, const Parameters &params, const Summary &summary,
                 const Regional &reg, ReportBody &body, ReportTemplate &tmpl)
{
    writeHeaderObjects(table, ledger, params, reg, body.font(), tmpl);
    writeBody(table, ledger, summary, reg, body);
    handBodyToTemplate(body, tmpl);
}

} // namespace kervio
