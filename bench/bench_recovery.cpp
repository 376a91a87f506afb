// Prints what keeping a recovery copy of a 100,000-entry ledger costs: the
// part the typing waits for (a snapshot of the work) and the part done on
// the writing thread, and what restoring the copy at the next start takes.
// Not a test: the figures are read by people, against the targets in the
// README.
#include "benchledger.h"
#include "core/numericlocale.h"
#include "core/scripteddialogs.h"
#include "files/recoverycopy.h"
#include "shell/session.h"
#include "shell/workrecovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace kervio;

namespace {

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

struct Spread {
    std::vector<double> values;
    double median() { std::sort(values.begin(), values.end()); return values[values.size() / 2]; }
    double max() const { return *std::max_element(values.begin(), values.end()); }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    useCNumericLocaleInProcess();
    const int entries = 100000, rounds = 7;
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("kurtarma"));

    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    s.setSettingsPath(tmp.filePath(QStringLiteral("Ayarlar.ini")));
    bench::loadRepeatedWorkedExample(s.document(), entries);
    s.guarded([&] { s.recalculateAll(); });

    Spread reading, writing, lines;
    QString copyPath;
    qint64 copyBytes = 0;
    {
        WorkRecovery recovery(s, folder);
        for (int i = 0; i < rounds; ++i) {
            s.ledger().setCell(entries / 2, ColDescription, QStringLiteral("değişti %1").arg(i));
            QElapsedTimer t;
            t.start();
            recovery.keepCopy(); // what the window's timer runs between two keys
            const double taken = ms(t);
            reading.values.push_back(taken);
            t.start();
            recovery.waitForWriting();
            writing.values.push_back(ms(t));
            t.start();
            const QStringList l = s.ledgerFileLines();
            lines.values.push_back(ms(t));
        }
        copyPath = recovery.copyPath();
        copyBytes = QFileInfo(copyPath).size();
    } // ended without saving: the copy stays for the next start

    ScriptedDialogs answers;
    answers.answers = {Dialogs::Answer::Yes};
    Session next(Regional::turkish(), &answers);
    next.setSettingsPath(tmp.filePath(QStringLiteral("Ayarlar.ini")));
    QElapsedTimer t;
    t.start();
    WorkRecovery again(next, folder);
    next.guarded([&] { again.offerLeftCopies(); });
    const double restore = ms(t);
    const bool same = next.ledgerFileLines() == s.ledgerFileLines();

    std::printf("recovery copy of %d entries (%.1f MB), %d rounds:\n", entries, double(copyBytes) / 1e6, rounds);
    std::printf("  on the window's thread (a snapshot of the work): median %.1f ms, max %.1f ms\n",
                reading.median(), reading.max());
    std::printf("  on the writing thread (the file's lines, checksum, safe write): median %.1f ms, max %.1f ms\n",
                writing.median(), writing.max());
    std::printf("  (the file's lines alone, as saving makes them on the window's thread: median %.1f ms)\n",
                lines.median());
    std::printf("  restoring it at the next start (find, check, apply, summary): %.1f ms, %s\n", restore,
                same ? "identical" : "DIFFERENT");
    std::printf("targets: window's thread <= 100 ms per copy (a pause a user notices); at most one copy per "
                "%d s of quiet or %d s of typing\n",
                WorkRecovery::QuietMs / 1000, WorkRecovery::LongestWaitMs / 1000);
    return same ? 0 : 1;
}
