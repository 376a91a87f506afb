// The printed report of a 10,000-entry ledger: text and page composition
// (target 1 s), the PDF (target 3 s), peak memory (target 300 MB).
// Usage: bench_report [ENTRIES] [PDF-PATH]   (the PDF is kept when a path is given)
#include "benchmemory.h"
#include "core/numericlocale.h"
#include "report/pdfexport.h"
#include "report/reportcommands.h"
#include "ledger/document.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

using namespace kervio;

namespace {

void fill(Document &s, int n)
{
    Parameters &p = s.params();
    p.setText(Parameters::Company, QStringLiteral("Örnek Ticaret A.Ş."));
    p.setCalculationDate(QDate(2024, 12, 31));
    p.setText(Parameters::DaysInYear, QStringLiteral("365"));
    p.setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
    p.setText(Parameters::DebitGrace, QStringLiteral("0"));
    p.setText(Parameters::CreditGrace, QStringLiteral("3"));
    p.setDebitWeekend(true);
    LedgerTable &t = s.ledger();
    std::vector<LedgerTable::Row> rows{size_t(n)};
    for (int i = 0; i < n; ++i) {
        const QString date = QDate(2023, 1, 1).addDays(i % 700).toString(QStringLiteral("dd.MM.yyyy"));
        LedgerTable::Row &r = rows[size_t(i)];
        r[ColTransactionDate] = date;
        r[ColDueDate] = date;
        r[ColDescription] = QStringLiteral("Fatura no %1 açıklaması uzun").arg(i);
        r[i % 3 == 2 ? ColCredit : ColDebit] = QStringLiteral("%1.250,00").arg(1 + i % 97);
    }
    t.replaceEntries(std::move(rows));
    t.renumber();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const QString keep = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    Document document(Regional::turkish());
    fill(document, n);
    ReportHost host;
    host.showPreview = [](const ComposedReport &) {};

    QElapsedTimer t;
    t.start();
    document.recalculateAll();
    const qint64 recalcMs = t.elapsed();

    for (ReportTable table : {ReportTable::Split, ReportTable::Net}) {
        t.restart();
        showReport(table, document, host);
        const qint64 composeMs = t.elapsed();
        t.restart();
        const QByteArray pdf = pdfBytes(host.lastReport);
        const qint64 pdfMs = t.elapsed();
        std::printf("%s table, %d entries: recalculation %lld ms (not counted), text+composition %lld ms "
                    "(target 1000), %zu pages, PDF %lld ms (target 3000), %lld KB\n",
                    table == ReportTable::Split ? "split" : "net", n, (long long)recalcMs, (long long)composeMs,
                    host.lastReport.pages.size(), (long long)pdfMs, (long long)(pdf.size() / 1024));
        if (!keep.isEmpty() && table == ReportTable::Split)
            savePdfFile(host.lastReport, keep);
    }
    std::printf("peak memory %ld MB (target 300)\n", bench::peakResidentMb());
    return 0;
}
