#include "reporttext.h"

#include "ledger/textfuncs.h"
#include "core/appinfo.h"

namespace kervio {

namespace {

QString right(int width, const QString &text, int cap = FieldCap)
{
    return padLeft(quint16(width), text).left(cap);
}

QString left(int width, const QString &text, int cap = FieldCap)
{
    return padRight(quint16(width), text).left(cap);
}

void setHolderFont(ReportTemplate &tmpl, const char *name, const ReportFont &font)
{
    if (ReportObject *o = tmpl.findObject(QLatin1String(name)))
        o->setFont(font);
}

void setText(ReportTemplate &tmpl, const char *name, const QString &text)
{
    if (ReportObject *o = tmpl.findObject(QLatin1String(name)))
        o->setText(text);
}

} // namespace

QString netDifferenceText(const LedgerTable &ledger, int row)
{
    const Regional &reg = ledger.regional();
    const double net = parseAmount(ledger.cell(row, ColDebitDiff), reg) - parseAmount(ledger.cell(row, ColCreditDiff), reg);
    return formatPicture(QStringLiteral("#,###.00"), net, reg);
}

QString tableLine(ReportTable table, const LedgerTable &ledger, int row)
{
    const auto c = [&](int col) -> const QString & { return ledger.cell(row, col); };
    QString line;
    line.reserve(96);
    line += left(3, c(ColNumber));
    line += right(12, c(ColDueDate));
    if (table == ReportTable::Split) {
        line += right(15, c(ColDebit));
        line += right(15, c(ColCredit));
        line += right(8, c(ColDays));
        line += right(15, c(ColDebitDiff));
        line += right(15, c(ColCreditDiff));
    } else {
        line += u' ';
        line += left(25, c(ColDescription), DescriptionCap);
        line += right(15, c(ColDebit));
        line += right(15, c(ColCredit));
        line += right(5, c(ColDays));
        line += right(15, row == 0 ? QStringLiteral("Vade Farkı") : netDifferenceText(ledger, row));
    }
    return line;
}

QString totalsLine(ReportTable table, const Summary &s)
{
    QString line = QStringLiteral("   ");
    if (table == ReportTable::Split) {
        line += right(12, QStringLiteral("TOPLAM "));
        line += right(15, s.text(Summary::DebitTotal));
        line += right(15, s.text(Summary::CreditTotal));
        line += right(8, s.text(Summary::OverallDays));
        line += right(15, s.text(Summary::DebitDiff));
        line += right(15, s.text(Summary::CreditDiff));
    } else {
        line += QString(12, u' ');
        line += u' ';
        line += right(25, QStringLiteral("TOPLAM "), DescriptionCap);
        line += right(15, s.text(Summary::DebitTotal));
        line += right(15, s.text(Summary::CreditTotal));
        line += right(5, s.text(Summary::OverallDays));
        line += right(15, s.text(Summary::NetDiff));
    }
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
                 const Regional &reg, TextHolder &holder, ReportTemplate &tmpl)
{
    setText(tmpl, "Memo1", tableLine(table, ledger, 0));
    for (const char *name : {"Memo1", "Memo6", "Memo7", "Memo8", "Memo9"})
        setHolderFont(tmpl, name, holder.font());

    holder.clear();
    setText(tmpl, "Memo5", titleLine());
    setText(tmpl, "Memo6", QStringLiteral("İşlem Yapılan Firma : ") + params.text(Parameters::Company));
    setText(tmpl, "Memo7", QStringLiteral("İşlem Tarihi        : ") + dateToText(params.calculationDate(), reg));
    setText(tmpl, "Memo8",
            QStringLiteral("Yıldaki Gün: ") + params.text(Parameters::DaysInYear) + QStringLiteral(" Yıllık Faiz: ")
                + params.text(Parameters::YearlyRate) + QStringLiteral(" Aylık Faiz: ")
                + params.text(Parameters::MonthlyRate));
    setText(tmpl, "Memo9", graceSentence(params));

    for (int r = 1; r < ledger.gridRowCount(); ++r)
        holder.append(tableLine(table, ledger, r));
    holder.append(QString());
    holder.append(totalsLine(table, summary));
    for (const QString &l : summaryBlock(summary, reg))
        holder.append(l);

    if (ReportObject *rich = tmpl.findObject(QStringLiteral("rich1"))) {
        rich->setFont(holder.font());
        rich->setLines(holder.lines());
    }
    tmpl.title = reportTitle();
}

} // namespace kervio
