// The printed report: text and page composition and the PDF of 10,000 and
// 100,000 entries in this process, then the whole command line
// `kervio --report IN.krv --pdf OUT.pdf` on a generated 100,000-entry
// ledger (target 2.5 s), and with --million on 1,000,000 entries (targets
// 30 s and 800 MB).
// Usage: bench_report [--million] [KERVIO-BINARY]
#include "benchmemory.h"
#include "childprocess.h"
#include "core/numericlocale.h"
#include "core/scripteddialogs.h"
#include "report/pdfexport.h"
#include "report/reportcommands.h"
#include "shell/session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
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

void inProcess(int n)
{
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
        std::printf("%s table, %d entries: recalculation %lld ms (not counted), text+composition %lld ms, "
                    "%zu pages, PDF %lld ms, %lld KB\n",
                    table == ReportTable::Split ? "split" : "net", n, (long long)recalcMs, (long long)composeMs,
                    host.lastReport.pages.size(), (long long)pdfMs, (long long)(pdf.size() / 1024));
    }
}

int generate(int n, const QString &path)
{
    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    fill(s.document(), n);
    s.guarded([&] { s.recalculateAll(); });
    s.guarded([&] { s.saveLedgerFile(path); });
    return dialogs.shown.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--generate"))
        return generate(args[1].toInt(), args[2]);
    const bool million = args.contains(QStringLiteral("--million"));
    const QString kervio = bench::kervioUnderTest(args);
    if (QFileInfo(kervio).isExecutable()) {
        const QStringList report{QStringLiteral("--report"), QStringLiteral("IN"), QStringLiteral("--pdf"), QStringLiteral("OUT.pdf")};
        bench::commandLineFigures(kervio, "--report to PDF", report, 100000, 2500, 0);
        if (million)
            bench::commandLineFigures(kervio, "--report to PDF", report, 1000000, 30000, 800);
    } else {
        std::printf("command line not found at %s; pass its path\n", qPrintable(kervio));
    }
    for (int n : {10000, 100000})
        inProcess(n);
    std::printf("peak memory of this process %ld MB\n", bench::peakResidentMb());
    std::printf("targets: 10,000 entries composed in 1000 ms and written as PDF in 3000 ms within 300 MB\n");
    return 0;
}
