// Prints the timings and memory of the calculation core on ledgers made
// from the worked example.
// Not a test: the figures are read by people, against the targets in the
// README.
#include "benchledger.h"
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

using namespace kervio;

namespace {

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Runs a program and returns its own peak resident memory in MB.
double peakMemoryOf(const QStringList &command, int *exitCode, double *wallMs)
{
    const bench::ChildRun r = bench::runChild(command);
    *exitCode = r.exitCode;
    *wallMs = r.wallMs;
    return r.peakMb;
}

// A ledger of `entries` rows made, recalculated and saved: the child
// process the command line's memory is measured on reads this file.
int generate(int entries, const QString &path)
{
    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    bench::loadRepeatedWorkedExample(s.document(), entries);
    s.guarded([&] { s.recalculateAll(); });
    s.guarded([&] { s.saveLedgerFile(path); });
    return dialogs.shown.empty() ? 0 : 1;
}

// The command line's time and peak memory on 100,000 entries, measured
// while this process is still small.
QString commandLineFigures(const QString &kervio)
{
    if (!QFileInfo(kervio).isExecutable())
        return QStringLiteral("command line not found at %1; pass its path as the first argument").arg(kervio);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cli100000.krv"));
    int code = 0;
    double wall = 0;
    peakMemoryOf({QCoreApplication::applicationFilePath(), QStringLiteral("--generate"), QStringLiteral("100000"), file},
                 &code, &wall);
    const double mb = peakMemoryOf({kervio, QStringLiteral("--recalculate"), file, QStringLiteral("--output"),
                                    dir.filePath(QStringLiteral("out100000.krv"))},
                                   &code, &wall);
    return QStringLiteral("command line --recalculate --output on 100,000 entries: %1 ms, peak memory %2 MB (exit %3)")
        .arg(wall, 0, 'f', 0)
        .arg(mb, 0, 'f', 1)
        .arg(code);
}

struct Figures {
    double recalc = 0, oneRow = 0, open = 0, save = 0;
};

// A ledger of `entries` rows: the full recalculation, one row's, saving it
// into `dir` and opening it again.
Figures measure(int entries, const QDir &dir)
{
    Figures f;
    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    bench::loadRepeatedWorkedExample(s.document(), entries);
    QElapsedTimer t;
    t.start();
    s.guarded([&] { s.recalculateAll(); });
    f.recalc = ms(t);

    // one row in the middle, as a click on it does
    s.ledger().setCurrent(entries / 2 + 1, 1);
    t.start();
    const int reps = 200;
    for (int i = 0; i < reps; ++i)
        s.guarded([&] { s.recalculateCurrentRow(); });
    f.oneRow = ms(t) / reps;

    const QString path = dir.filePath(QStringLiteral("ledger%1.krv").arg(entries));
    t.start();
    s.guarded([&] { s.saveLedgerFile(path); });
    f.save = ms(t);

    ScriptedDialogs freshDialogs;
    Session fresh(Regional::turkish(), &freshDialogs);
    t.start();
    fresh.guarded([&] { fresh.openLedgerFile(path); });
    f.open = ms(t);
    if (!dialogs.shown.empty() || !freshDialogs.shown.empty())
        std::printf("unexpected message: %s\n", qPrintable((dialogs.texts() + freshDialogs.texts()).join(u'|')));
    return f;
}

// "KAYITLARI SIRALA" (with its recalculation): all
// dates distinct and descending, sorted directly; and the worked example's
// repetition, whose many equal dates take the exact replay.
void sortFigures(int entries)
{
    for (bool distinct : {true, false}) {
        ScriptedDialogs dialogs;
        Session s(Regional::turkish(), &dialogs);
        bench::loadRepeatedWorkedExample(s.document(), entries);
        LedgerTable &ledger = s.ledger();
        if (distinct) {
            const QDate last(2200, 1, 1);
            for (int r = 1; r <= entries; ++r) {
                const QString date = dateToText(last.addDays(-r), s.regional());
                ledger.setCell(r, ColTransactionDate, date);
                ledger.setCell(r, ColDueDate, date);
            }
        }
        s.guarded([&] { s.recalculateAll(); });
        QElapsedTimer t;
        t.start();
        s.guarded([&] { s.sortByTransactionDate(); });
        const double sortMs = ms(t);
        std::printf("sort of %d entries, %s: %.1f ms\n", entries,
                    distinct ? "descending, all dates distinct (direct)"
                             : "worked example repeated, many equal dates (exact replay)",
                    sortMs);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    if (argc == 4 && QByteArray(argv[1]) == "--generate")
        return generate(QByteArray(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]));
    const QString kervio = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kervio");
    const QString cliReport = commandLineFigures(kervio);

    QTemporaryDir tmp;
    // KERVIO_BENCH_DIR keeps the generated ledgers for a closer look
    const QString keep = qEnvironmentVariable("KERVIO_BENCH_DIR");
    const QDir dir(keep.isEmpty() ? tmp.path() : keep);
    std::printf("%-9s %14s %14s %14s %14s\n", "entries", "recalc ms", "one row ms", "open ms", "save ms");
    double recalc10k = 0, recalc100k = 0;
    for (int n : {1000, 10000, 100000}) {
        const Figures f = measure(n, dir);
        if (n == 10000)
            recalc10k = f.recalc;
        if (n == 100000)
            recalc100k = f.recalc;
        std::printf("%-9d %14.2f %14.4f %14.2f %14.2f\n", n, f.recalc, f.oneRow, f.open, f.save);
    }
    std::printf("recalc growth 10,000 -> 100,000: x%.2f (target at most x12)\n", recalc100k / recalc10k);

    sortFigures(100000);
    std::printf("%s\n", qPrintable(cliReport));
    std::printf("targets: recalc 100,000 <= 40 ms, one row <= 1 ms, open <= 80 ms, save <= 40 ms, "
                "command line <= 150 ms and 80 MiB\n");
    return 0;
}
