// The recovery of unsaved work, without windows: when the copy is written and
// removed, and what a later start does with the copy a program left.
#include "common/filebytes.h"
#include "common/ledgerfixture.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "shell/workrecovery.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace kervio;
using namespace kervio::test;
using Answer = Dialogs::Answer;

namespace {

// One running program: a session with its dialogs and its recovery.
struct Program {
    explicit Program(const QTemporaryDir &dir) : session(Regional::turkish(), &dialogs)
    {
        session.setSettingsPath(dir.filePath(QStringLiteral("Ayarlar.ini")));
        session.setFileDialogFolder(dir.path());
        session.startFresh();
        recovery = std::make_unique<WorkRecovery>(session, dir.filePath(QStringLiteral("kurtarma")));
    }
    // the work as a file would hold it
    QStringList lines() const { return session.ledgerFileLines(); }
    bool hasCopy()
    {
        recovery->waitForWriting();
        return QFileInfo::exists(recovery->copyPath());
    }
    void keep()
    {
        recovery->keepCopy();
        recovery->waitForWriting();
    }
    ScriptedDialogs dialogs;
    Session session;
    std::unique_ptr<WorkRecovery> recovery;
};

enum class Step { Save, OpenInItsPlace, CloseYes, CloseNo, CloseCancel };

} // namespace

class TestWorkRecovery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void copyWhileTheWorkDiffersFromTheSavedState();
    void copyGoesOnlyWhenTheWorkIsSafeOrGivenUp_data();
    void copyGoesOnlyWhenTheWorkIsSafeOrGivenUp();
    void restoredExactlyAndUnsaved();
    void noDeletesTheCopyAndOffersTheNext();
    void damagedCopyIsReportedAndSetAside();
    void folderThatCannotBeWritten();

private:
    QString saved(const QString &name) const { return m_dir->filePath(name); }
    // A program that was working on a saved file when it ended without
    // saving its changes; returns the lines it held.
    QStringList endedWithUnsavedWork(const QString &company);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestWorkRecovery::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestWorkRecovery::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QStringList TestWorkRecovery::endedWithUnsavedWork(const QString &company)
{
    Program p(*m_dir);
    if (!p.session.openLedgerFile(workedExamplePath()))
        qFatal("the worked example cannot be opened");
    p.session.saveLedgerFile(saved(QStringLiteral("cari.krv")));
    // rates that the rate link would never leave side by side
    p.session.params().setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.session.params().setText(Parameters::MonthlyRate, QStringLiteral("3,5"));
    p.session.params().setText(Parameters::Company, company);
    p.session.params().setCreditWeekend(true);
    p.session.params().setCalculationDate(QDate(2025, 2, 28));
    // a row typed but not yet recalculated
    LedgerTable &l = p.session.ledger();
    const int row = l.lastRow();
    l.setCell(row, ColTransactionDate, QStringLiteral("05.01.2025"));
    l.setCell(row, ColDescription, QStringLiteral("Yarım \"satır\", virgüllü"));
    l.setCell(row, ColDebit, QStringLiteral("1.234,5"));
    p.keep();
    if (!p.hasCopy())
        qFatal("no copy written");
    return p.lines();
}

void TestWorkRecovery::copyWhileTheWorkDiffersFromTheSavedState()
{
    Program p(*m_dir);
    QSignalSpy changed(p.recovery.get(), &WorkRecovery::workChanged);
    QVERIFY(p.recovery->isKeeping());
    QVERIFY(p.recovery->copyPath().startsWith(m_dir->filePath(QStringLiteral("kurtarma/"))));
    p.keep();
    QVERIFY(!p.hasCopy());
    p.session.params().setText(Parameters::Company, QStringLiteral("Yeni"));
    QVERIFY(!changed.isEmpty());
    p.keep();
    QVERIFY(p.hasCopy());
    const std::optional<RecoveredWork> copy = readRecoveryCopy(p.recovery->copyPath());
    QVERIFY(copy);
    QCOMPARE(copy->content.texts[5], QStringLiteral("Yeni")); // the company name
    QCOMPARE(copy->sourcePath, QString());
    // typed back to what it was: nothing to recover
    p.session.params().setText(Parameters::Company, QString());
    p.keep();
    QVERIFY(!p.hasCopy());
}

void TestWorkRecovery::copyGoesOnlyWhenTheWorkIsSafeOrGivenUp_data()
{
    QTest::addColumn<int>("stepNumber");
    QTest::addColumn<bool>("copyStays");
    QTest::newRow("saved") << int(Step::Save) << false;
    QTest::newRow("a file opened in its place") << int(Step::OpenInItsPlace) << false;
    QTest::newRow("closing, Yes") << int(Step::CloseYes) << false;
    QTest::newRow("closing, No") << int(Step::CloseNo) << true;
    QTest::newRow("closing, Cancel") << int(Step::CloseCancel) << true;
}

void TestWorkRecovery::copyGoesOnlyWhenTheWorkIsSafeOrGivenUp()
{
    QFETCH(int, stepNumber);
    const Step step = Step(stepNumber);
    QFETCH(bool, copyStays);
    Program p(*m_dir);
    p.session.ledger().setCell(1, ColDescription, QStringLiteral("yazıldı"));
    // not waited for: the step comes while the copy may still be written
    p.recovery->keepCopy();
    switch (step) {
    case Step::Save:
        p.session.saveLedgerFile(saved(QStringLiteral("a.krv")));
        break;
    case Step::OpenInItsPlace:
        QVERIFY(p.session.openLedgerFile(workedExamplePath()));
        break;
    case Step::CloseYes:
    case Step::CloseNo:
    case Step::CloseCancel:
        p.dialogs.answers = {step == Step::CloseYes ? Answer::Yes : step == Step::CloseNo ? Answer::No : Answer::Cancel};
        QCOMPARE(p.session.mayClose(), step == Step::CloseYes);
        break;
    }
    QCOMPARE(p.hasCopy(), copyStays);
    if (step == Step::Save || step == Step::OpenInItsPlace) {
        // saved or opened is the new point of comparison
        p.keep();
        QVERIFY(!p.hasCopy());
        p.session.ledger().setCell(1, ColDescription, QStringLiteral("sonra"));
        p.keep();
        QVERIFY(p.hasCopy());
        QCOMPARE(readRecoveryCopy(p.recovery->copyPath())->sourcePath, p.session.sourcePath());
    }
}

void TestWorkRecovery::restoredExactlyAndUnsaved()
{
    const QStringList before = endedWithUnsavedWork(QStringLiteral("Kurtarılan"));
    Program next(*m_dir);
    // the focus on the yearly rate must not let the link rewrite a stored rate
    next.session.params().setRateSource(Parameters::RateSource::Monthly);
    next.dialogs.answers = {Answer::Yes};
    next.recovery->offerLeftCopies();
    QCOMPARE(next.dialogs.shown.size(), size_t(1));
    const QString question = next.dialogs.shown[0].text;
    QVERIFY2(question.contains(QDir::toNativeSeparators(saved(QStringLiteral("cari.krv")))), qPrintable(question));
    QVERIFY2(question.contains(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy"))), qPrintable(question));
    QVERIFY(question.contains(QStringLiteral("geri yüklensin mi?")));
    QCOMPARE(next.lines(), before);
    QCOMPARE(next.session.params().text(Parameters::MonthlyRate), QStringLiteral("3,5"));
    QCOMPARE(next.session.summary().text(Summary::DebitTotal).isEmpty(), false);

    // unsaved: kept as this program's copy, and the next save proposes the file
    QVERIFY(next.hasCopy());
    next.keep();
    QVERIFY(next.hasCopy());
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("kurtarma"))).entryList({QStringLiteral("*.krv")}).size(), 1);
    next.dialogs.fileNames = {saved(QStringLiteral("cari.krv"))};
    next.dialogs.answers = {Answer::Yes}; // the file exists: overwrite
    next.session.saveLedger();
    QCOMPARE(next.dialogs.fileDialogs.back().proposedName, QStringLiteral("cari.krv"));
    QCOMPARE(QDir(next.dialogs.fileDialogs.back().initialDir), QDir(m_dir->path()));
    QVERIFY(!next.hasCopy());
    // a save after that proposes the company name again
    next.dialogs.fileNames.clear();
    next.session.saveLedger();
    QCOMPARE(next.dialogs.fileDialogs.back().proposedName, QStringLiteral("Kurtarılan"));
    // and nothing is offered at the start after
    Program third(*m_dir);
    third.recovery->offerLeftCopies();
    QVERIFY(third.dialogs.shown.empty());
}

void TestWorkRecovery::noDeletesTheCopyAndOffersTheNext()
{
    endedWithUnsavedWork(QStringLiteral("eski"));
    QTest::qWait(20);
    endedWithUnsavedWork(QStringLiteral("yeni"));
    {
        Program p(*m_dir);
        const QStringList fresh = p.lines();
        p.dialogs.answers = {Answer::No};
        // a program that starts while this one is asking sees nothing
        p.dialogs.sink = [this](const QString &) {
            Program meanwhile(*m_dir);
            meanwhile.recovery->offerLeftCopies();
            QVERIFY(meanwhile.dialogs.shown.empty());
        };
        p.recovery->offerLeftCopies();
        QCOMPARE(p.dialogs.shown.size(), size_t(2)); // the newest, then the other
        QCOMPARE(p.lines(), fresh);
    }
    Program last(*m_dir);
    last.recovery->offerLeftCopies();
    QVERIFY(last.dialogs.shown.empty());
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("kurtarma"))).entryList({QStringLiteral("*.krv")}).isEmpty());
}

void TestWorkRecovery::damagedCopyIsReportedAndSetAside()
{
    endedWithUnsavedWork(QStringLiteral("bozulacak"));
    const QDir folder(m_dir->filePath(QStringLiteral("kurtarma")));
    const QString copy = folder.filePath(folder.entryList({QStringLiteral("*.krv")}).first());
    QByteArray bytes = readBytes(copy);
    writeBytes(copy, bytes.left(bytes.size() / 2)); // cut short

    Program p(*m_dir);
    const QStringList fresh = p.lines();
    p.dialogs.answers = {Answer::Yes};
    p.recovery->offerLeftCopies();
    QCOMPARE(p.dialogs.shown.size(), size_t(1));
    QCOMPARE(p.dialogs.shown[0].kind, ScriptedDialogs::Shown::Message);
    const QString aside = folder.filePath(QStringLiteral("hasarli/") + QFileInfo(copy).fileName());
    QVERIFY2(p.dialogs.shown[0].text.contains(QStringLiteral("bozuk")), qPrintable(p.dialogs.shown[0].text));
    QVERIFY(p.dialogs.shown[0].text.contains(QDir::toNativeSeparators(aside)));
    QCOMPARE(p.lines(), fresh);
    QCOMPARE(readBytes(aside), bytes.left(bytes.size() / 2));
    Program next(*m_dir);
    next.recovery->offerLeftCopies();
    QVERIFY(next.dialogs.shown.empty());
}

void TestWorkRecovery::folderThatCannotBeWritten()
{
    const QString folder = m_dir->filePath(QStringLiteral("kurtarma"));
    {
        Program p(*m_dir);
        QSignalSpy notWritten(p.recovery.get(), &WorkRecovery::copyNotWritten);
        // the folder gone and a file in its place, while the program runs
        QVERIFY(QDir(folder).removeRecursively());
        writeBytes(folder, "bir dosya");
        p.session.params().setText(Parameters::Company, QStringLiteral("Yeni"));
        p.keep();
        QTRY_COMPARE(notWritten.size(), 1);
        QCOMPARE(notWritten[0][0].toString(), folder);
        // tried again at the next change
        p.session.params().setText(Parameters::Company, QStringLiteral("Yeni2"));
        p.keep();
        QTRY_COMPARE(notWritten.size(), 2);
    }
    // a program that cannot make the folder keeps no copy and offers nothing
    Program p(*m_dir);
    QVERIFY(!p.recovery->isKeeping());
    p.session.params().setText(Parameters::Company, QStringLiteral("Yeni"));
    p.keep();
    p.recovery->offerLeftCopies();
    QVERIFY(p.dialogs.shown.empty());
}

QTEST_GUILESS_MAIN(TestWorkRecovery)
#include "tst_workrecovery.moc"
