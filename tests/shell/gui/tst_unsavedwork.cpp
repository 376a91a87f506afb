// Unsaved work survives a killed program: a real process types into the
// real window with key events and is killed with SIGKILL once its recovery
// copy is on disk; the program started again asks, restores and saves.
#include "core/scripteddialogs.h"
#include "files/recoverycopy.h"
#include "gui/guiapp.h"
#include "shell/gui/ledgergrid.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/program.h"
#include "shell/session.h"
#include "shell/workrecovery.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <memory>

using namespace kervio;
using Answer = Dialogs::Answer;

namespace {

const char *const TypingChild = "--typing-child";
const QString TypedCompany = QStringLiteral("Kurtarılacak Ltd");

QString sourceFile(const QString &dir)
{
    return QDir(dir).filePath(QStringLiteral("cari.krv"));
}
QString expectedFile(const QString &dir)
{
    return QDir(dir).filePath(QStringLiteral("beklenen.krv"));
}

// Key presses for each character; QTest's own typing knows only ASCII.
void typeKeys(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// One start of the program as runProgram makes it, with scripted boxes and
// settings of its own; the recovery copies go to the user's data folder.
struct Start {
    explicit Start(const QString &dir) : session(Regional::turkish(), &dialogs)
    {
        session.setSettingsPath(QDir(dir).filePath(QStringLiteral("Ayarlar.ini")));
        session.setFileDialogFolder(dir);
        windows = std::make_unique<ProgramWindows>(session);
        window()->resize(1081, 649);
        window()->show();
        QApplication::setActiveWindow(window());
        if (!QTest::qWaitForWindowActive(window()))
            qWarning("the window did not become active");
    }
    MainWindow *window() const { return windows->mainWindow(); }
    template <typename T>
    T *child(const char *name) const
    {
        T *w = window()->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("the window has no control named %s", name);
        return w;
    }
    LedgerGrid *grid() const { return child<LedgerGrid>("ledgerGrid"); }
    void clickCell(int row, int col) const
    {
        LedgerGrid *g = grid();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row - 1, col)).center());
    }
    void typeRow(const QStringList &cells) const
    {
        for (const QString &text : cells) {
            typeKeys(grid()->cellEditor(), text);
            QTest::keyClick(grid()->cellEditor(), Qt::Key_Return);
        }
    }
    void typeCompany(const QString &text) const
    {
        auto *edit = child<QLineEdit>("companyNameEdit");
        edit->setFocus();
        edit->selectAll();
        typeKeys(edit, text);
    }
    // The copy on disk holds the work as it stands now.
    bool copyIsCurrent() const
    {
        WorkRecovery *r = windows->recovery();
        r->waitForWriting();
        QFile copy(r->copyPath());
        return copy.open(QIODevice::ReadOnly)
            && copy.readAll() == recoveryCopyBytes(session.ledgerFileLines(), session.sourcePath());
    }

    ScriptedDialogs dialogs;
    Session session;
    std::unique_ptr<ProgramWindows> windows;
};

// The program to be killed: opens the file, types a company name and a row,
// waits for its copy, leaves the work it holds in a file and says "ready".
int runTypingChild(int argc, char **argv)
{
    KervioApplication app(argc, argv);
    prepareApplication();
    const QString dir = QString::fromLocal8Bit(argv[2]);
    Start program(dir);
    app.dialogs = &program.dialogs;
    program.window()->openFile(sourceFile(dir));
    program.windows->keepRecoveryCopies(RecoveryFolder::defaultPath());

    program.typeCompany(TypedCompany);
    program.clickCell(program.session.ledger().lastRow(), ColTransactionDate);
    program.typeRow({QStringLiteral("05012025"), QStringLiteral("31012025"), QStringLiteral("Öğle satışı"),
                     QStringLiteral("1500"), QString()});
    // a cell being typed, not yet left
    QTest::keyClicks(program.grid()->cellEditor(), QStringLiteral("0601"));

    QDeadlineTimer deadline(60000);
    while (!program.copyIsCurrent()) {
        if (deadline.hasExpired()) {
            std::puts("no copy");
            return 1;
        }
        QTest::qWait(100);
    }
    if (!writeLedgerFile(expectedFile(dir), program.session.ledgerFileLines()))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

} // namespace

class TestUnsavedWork : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedWhileTypingThenRestored();

private:
    QTemporaryDir m_dir;
};

void TestUnsavedWork::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // never the user's own data folder, here nor in the child
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    prepareApplication();
    QVERIFY(RecoveryFolder::defaultPath().startsWith(m_dir.path()));
}

void TestUnsavedWork::killedWhileTypingThenRestored()
{
    const QString dir = m_dir.path();
    QFile::remove(sourceFile(dir));
    QVERIFY(QFile::copy(QStringLiteral(KERVIO_WORKED_EXAMPLE), sourceFile(dir)));
    QFile::setPermissions(sourceFile(dir), QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray savedBefore = [&] {
        QFile f(sourceFile(dir));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(TypingChild), dir});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QDeadlineTimer deadline(90000);
    while (!said.contains("ready") && child.state() == QProcess::Running && !deadline.hasExpired()) {
        child.waitForReadyRead(500);
        said += child.readAllStandardOutput();
    }
    QVERIFY2(said.contains("ready"), said.constData());
    child.kill(); // SIGKILL: no handler, no clean-up
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    const QDir folder(RecoveryFolder::defaultPath());
    QCOMPARE(folder.entryList({QStringLiteral("*.krv")}).size(), 1);
    QCOMPARE(folder.entryList({QStringLiteral("*.lock")}).size(), 1); // the killed program's, stale

    // started again: the question names the file, Yes restores
    Start again(dir);
    again.dialogs.answers = {Answer::Yes};
    again.windows->keepRecoveryCopies(RecoveryFolder::defaultPath());
    QCOMPARE(again.dialogs.shown.size(), size_t(1));
    QVERIFY2(again.dialogs.shown[0].text.contains(QDir::toNativeSeparators(sourceFile(dir))),
             qPrintable(again.dialogs.shown[0].text));
    const std::optional<QStringList> expected = readLedgerFileLines(expectedFile(dir));
    QVERIFY(expected);
    QCOMPARE(again.session.ledgerFileLines(), *expected);
    QCOMPARE(again.child<QLineEdit>("companyNameEdit")->text(), TypedCompany);
    const int typedRow = again.session.ledger().lastRow() - 1;
    QCOMPARE(again.grid()->model()->index(typedRow - 1, ColDescription).data().toString(), QStringLiteral("Öğle satışı"));
    // unsaved: the file is as it was, and the copy is now this program's
    QCOMPARE([&] { QFile f(sourceFile(dir)); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); }(),
             savedBefore);
    QVERIFY(again.copyIsCurrent());

    // "İŞLEMİ KAYDET" proposes the original file; saved, the copy goes
    again.dialogs.fileNames = {sourceFile(dir)};
    again.dialogs.answers = {Answer::Yes}; // replace it
    QTest::mouseClick(again.child<QPushButton>("saveLedgerButton"), Qt::LeftButton);
    QCOMPARE(again.dialogs.fileDialogs.back().proposedName, QStringLiteral("cari.krv"));
    QCOMPARE(QDir(again.dialogs.fileDialogs.back().initialDir), QDir(dir));
    QCOMPARE(readLedgerFileLines(sourceFile(dir)), expected);
    again.windows->recovery()->waitForWriting();
    QVERIFY(folder.entryList({QStringLiteral("*.krv")}).isEmpty());

    // typed again, the copy comes back; closing with Yes takes it away
    again.typeCompany(QStringLiteral("Sonra"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(again.windows->recovery()->copyPath()), 2 * WorkRecovery::QuietMs + 5000);
    again.dialogs.answers = {Answer::Yes};
    QVERIFY(again.window()->close());
    again.windows->recovery()->waitForWriting();
    QVERIFY(folder.entryList({QStringLiteral("*.krv")}).isEmpty());
}

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], TypingChild) == 0)
        return runTypingChild(argc, argv);
    QApplication app(argc, argv);
    TestUnsavedWork test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unsavedwork.moc"
