// The main window with a 100,000-entry ledger: opening it until the first
// paint, one change of the current row, and the memory it takes. Prints
// figures only.
#include "benchledger.h"
#include "core/numericlocale.h"
#include "gui/guiapp.h"
#include "shell/gui/ledgergrid.h"
#include "shell/gui/mainwindow.h"
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
    bench::loadRepeatedWorkedExample(s.document(), Entries);
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

// The time from opening the file until the grid's first paint.
double openUntilFirstPaint(MainWindow &window, PaintProbe &probe, const QString &path)
{
    QElapsedTimer t;
    t.start();
    window.openFile(path);
    while (!probe.painted)
        QApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

// Up and Down in turn on the cell editor, each with its recalculation and
// repaint; prints the mean and the worst.
void changeCurrentRow(LedgerGrid &grid, PaintProbe &probe)
{
    const QPointF at = grid.visualRect(grid.model()->index(5, ColDebit)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &press);
    QApplication::processEvents();
    constexpr int Moves = 200;
    double worst = 0, total = 0;
    QElapsedTimer t;
    for (int i = 0; i < Moves; ++i) {
        probe.painted = false;
        t.restart();
        QKeyEvent key(QEvent::KeyPress, i % 2 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(grid.cellEditor(), &key);
        grid.viewport()->repaint();
        const double ms = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("change of the current row (recalculation and repaint): mean %.2f ms, worst %.2f ms over %d "
                "(target <= 16)\n",
                total / Moves, worst, Moves);
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
    MainWindow window(session);
    LedgerGrid *grid = window.findChild<LedgerGrid *>();
    window.resize(1366, 768);
    window.show();
    QApplication::processEvents();
    PaintProbe probe;
    grid->viewport()->installEventFilter(&probe);

    const double openMs = openUntilFirstPaint(window, probe, path);
    std::printf("open %d entries until first paint: %.1f ms (target <= 1000)\n", Entries, openMs);
    std::printf("  rows %d, debit total %s\n", session.ledger().gridRowCount() - 1,
                qPrintable(session.summary().text(Summary::DebitTotal)));
    changeCurrentRow(*grid, probe);

    QElapsedTimer t;
    t.start();
    window.act([&] { session.recalculateAll(); });
    grid->viewport()->repaint();
    std::printf("YENİDEN HESAPLA over all rows: %.1f ms\n", t.nsecsElapsed() / 1e6);

    std::printf("memory: VmRSS %ld kB, VmHWM %ld kB (target <= 250 MB)\n", statusKb("VmRSS:"), statusKb("VmHWM:"));
    if (!dialogs.shown.empty())
        std::printf("messages: %s\n", qPrintable(dialogs.texts().join(QStringLiteral(" | "))));
    session.setConfirmOnClose(false);
    return 0;
}
