// The main window with a 100,000-entry ledger: opening it until the first
// paint, one change of the current row, and the memory it takes. Prints
// figures only.
#include "core/numericlocale.h"
#include "gui/guiapp.h"
#include "shell/gui/kervio2.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdio>

using namespace kervio;

namespace {

constexpr int Entries = 100000;

// A ledger file written as the program writes one, through the session.
QString writeLedger(const QString &dir)
{
    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    s.params().setText(Parameters::DaysInYear, QStringLiteral("365"));
    s.params().setText(Parameters::YearlyRate, QStringLiteral("24"));
    s.params().setText(Parameters::MonthlyRate, QStringLiteral("2"));
    s.params().setText(Parameters::Company, QStringLiteral("Bench"));
    s.params().setCalculationDate(QDate(2024, 12, 31));
    std::vector<LedgerTable::Row> rows(Entries + 1);
    const QDate base(2020, 1, 1);
    for (int i = 0; i < Entries; ++i) {
        LedgerTable::Row &r = rows[size_t(i)];
        const QDate t = base.addDays(i % 1800), v = t.addDays(30 + i % 90);
        r[ColNumber] = QString::number(i + 1);
        r[ColTransactionDate] = t.toString(QStringLiteral("dd.MM.yyyy"));
        r[ColDueDate] = v.toString(QStringLiteral("dd.MM.yyyy"));
        r[ColDescription] = QStringLiteral("Fatura %1").arg(i + 1);
        r[i % 3 ? ColDebit : ColCredit] = QStringLiteral("%1,%2").arg(1000 + i % 50000).arg(i % 100, 2, 10, QChar(u'0'));
    }
    rows[Entries][ColNumber] = QString::number(Entries + 1);
    s.ledger().replaceEntries(std::move(rows));
    const QString path = dir + QStringLiteral("/bench.krv");
    s.saveLedgerFile(path);
    return path;
}

class PaintProbe : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(strlen(key))).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    installFontSubstitutions();
    QTemporaryDir dir;
    const QString path = writeLedger(dir.path());

    ScriptedDialogs dialogs;
    Session session(Regional::turkish(), &dialogs);
    session.setSettingsPath(dir.filePath(QStringLiteral("Ayarlar.ini")));
    Tkervio2F window(session);
    window.resize(1366, 768);
    window.show();
    QApplication::processEvents();
    PaintProbe probe;
    window.StringGrid3->viewport()->installEventFilter(&probe);

    QElapsedTimer t;
    t.start();
    window.openFile(path);
    while (!probe.painted)
        QApplication::processEvents();
    const double openMs = t.nsecsElapsed() / 1e6;
    std::printf("open %d entries until first paint: %.1f ms (target <= 1000)\n", Entries, openMs);
    std::printf("  rows %d, debit total %s\n", session.ledger().gridRowCount() - 1,
                qPrintable(window.borctoplamEdit->text()));

    // one change of the current row by the keyboard, with its repaint
    {
        const QPointF at = window.StringGrid3->visualRect(window.StringGrid3->model()->index(5, ColDebit)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, window.StringGrid3->viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.StringGrid3->viewport(), &press);
    }
    QApplication::processEvents();
    constexpr int Moves = 200;
    double worst = 0, total = 0;
    for (int i = 0; i < Moves; ++i) {
        probe.painted = false;
        t.restart();
        QKeyEvent key(QEvent::KeyPress, i % 2 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(window.StringGrid3->cellEditor(), &key);
        window.StringGrid3->viewport()->repaint();
        const double ms = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("change of the current row (recalculation and repaint): mean %.2f ms, worst %.2f ms over %d (target <= 16)\n",
                total / Moves, worst, Moves);

    t.restart();
    window.act([&] { session.recalculateAll(); });
    window.StringGrid3->viewport()->repaint();
    std::printf("YENİDEN HESAPLA over all rows: %.1f ms\n", t.nsecsElapsed() / 1e6);

    std::printf("memory: VmRSS %ld kB, VmHWM %ld kB (target <= 250 MB)\n", statusKb("VmRSS:"), statusKb("VmHWM:"));
    if (!dialogs.shown.empty())
        std::printf("messages: %s\n", qPrintable(dialogs.texts().join(QStringLiteral(" | "))));
    session.setConfirmOnClose(false);
    return 0;
}
