// Prints the timings and memory of the calculation core on generated ledgers.
// Not a test: the figures are read by people, against the targets in the
// README.
#include "childprocess.h"
#include "core/numericlocale.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kervio;

namespace {

void fill(Session &s, int entries)
{
    Parameters &p = s.params();
    p.setCalculationDate(QDate(2024, 12, 31));
    p.setText(Parameters::DaysInYear, QStringLiteral("365"));
    p.setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
    p.setText(Parameters::Company, QStringLiteral("Deneme Ticaret"));
    std::vector<LedgerTable::Row> rows(size_t(entries) + 1);
    const QDate start(2020, 1, 1);
    for (int i = 0; i < entries; ++i) {
        LedgerTable::Row &r = rows[size_t(i)];
        const QDate t = start.addDays(i % 1800);
        r[ColNumber] = QString::number(i + 1);
        r[ColTransactionDate] = t.toString(QStringLiteral("dd.MM.yyyy"));
        r[ColDueDate] = t.addDays(30 + i % 60).toString(QStringLiteral("dd.MM.yyyy"));
        r[ColDescription] = QStringLiteral("Fatura %1").arg(i + 1);
        const QString amount = QStringLiteral("%1,%2").arg(1000 + (i * 37) % 90000).arg(i % 100, 2, 10, QLatin1Char('0'));
        r[i % 3 == 0 ? ColCredit : ColDebit] = amount;
    }
    rows.back()[ColNumber] = QString::number(entries + 1);
    s.ledger().replaceEntries(std::move(rows));
}

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Runs a program and returns its own peak resident memory in MB.
double peakMemoryOf(const QStringList &command, int *exitCode, double *wallMs)
{
    const bench::ChildRun r = bench::runChild(command);
    *exitCode = r.exitCode;
    *wallMs = r.wallMs;
    return r.peakMb;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    if (argc == 4 && QByteArray(argv[1]) == "--generate") {
        ScriptedDialogs dialogs;
        Session s(Regional::turkish(), &dialogs);
        fill(s, QByteArray(argv[2]).toInt());
        s.guarded([&] { s.recalculateAll(); });
        s.guarded([&] { s.saveLedgerFile(QString::fromLocal8Bit(argv[3])); });
        return dialogs.shown.empty() ? 0 : 1;
    }
    QString kervio = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kervio");
    if (argc > 1)
        kervio = QString::fromLocal8Bit(argv[1]);

    // The command line's memory first, while this process is small.
    QTemporaryDir cliDir;
    QString cliReport;
    if (QFileInfo(kervio).isExecutable()) {
        const QString file = cliDir.filePath(QStringLiteral("cli100000.krv"));
        int code = 0;
        double wall = 0;
        peakMemoryOf({QCoreApplication::applicationFilePath(), QStringLiteral("--generate"),
                      QStringLiteral("100000"), file},
                     &code, &wall);
        const double mb = peakMemoryOf({kervio, QStringLiteral("--recalculate"), file}, &code, &wall);
        cliReport = QStringLiteral("command line --recalculate on 100,000 entries: %1 ms, peak memory %2 MB (exit %3)")
                        .arg(wall, 0, 'f', 0)
                        .arg(mb, 0, 'f', 1)
                        .arg(code);
    } else {
        cliReport = QStringLiteral("command line not found at %1; pass its path as the first argument").arg(kervio);
    }
    QTemporaryDir tmp;
    // KERVIO_BENCH_DIR keeps the generated ledgers for a closer look
    const QString keep = qEnvironmentVariable("KERVIO_BENCH_DIR");
    const QDir dir(keep.isEmpty() ? tmp.path() : keep);
    std::printf("%-9s %14s %14s %14s %14s\n", "entries", "recalc ms", "one row ms", "open ms", "save ms");
    double recalc10k = 0, recalc100k = 0;
    for (int n : {1000, 10000, 100000}) {
        ScriptedDialogs dialogs;
        Session s(Regional::turkish(), &dialogs);
        fill(s, n);
        QElapsedTimer t;
        t.start();
        s.guarded([&] { s.recalculateAll(); });
        const double recalc = ms(t);
        if (n == 10000)
            recalc10k = recalc;
        if (n == 100000)
            recalc100k = recalc;

        // one row in the middle, as a click on it does
        const int mid = n / 2;
        s.ledger().setCurrent(mid + 1, 1);
        t.start();
        const int reps = 200;
        for (int i = 0; i < reps; ++i)
            s.guarded([&] { s.recalculateCurrentRow(); });
        const double one = ms(t) / reps;

        const QString path = dir.filePath(QStringLiteral("ledger%1.krv").arg(n));
        t.start();
        s.guarded([&] { s.saveLedgerFile(path); });
        const double save = ms(t);

        ScriptedDialogs d2;
        Session fresh(Regional::turkish(), &d2);
        t.start();
        fresh.guarded([&] { fresh.openLedgerFile(path); });
        const double open = ms(t);
        if (!dialogs.shown.empty() || !d2.shown.empty())
            std::printf("unexpected message: %s\n", qPrintable((dialogs.texts() + d2.texts()).join(u'|')));
        std::printf("%-9d %14.2f %14.4f %14.2f %14.2f\n", n, recalc, one, open, save);
    }
    std::printf("recalc growth 10,000 -> 100,000: x%.2f (target at most x12)\n", recalc100k / recalc10k);

    std::printf("%s\n", qPrintable(cliReport));
    std::printf("targets: recalc 100,000 <= 200 ms, one row <= 1 ms, open <= 500 ms, save <= 200 ms, "
                "command line <= 150 MB\n");
    return 0;
}
