// Recovery copies: their bytes, what counts as damaged, and the folder that
// the running programs share.
#include "common/filebytes.h"
#include "common/ledgerfixture.h"
#include "core/codepage1254.h"
#include "files/commatext.h"
#include "files/recoverycopy.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace kervio;
using namespace kervio::test;

namespace {

QStringList workedExampleLines()
{
    std::optional<QStringList> lines = readLedgerFileLines(workedExamplePath());
    return lines ? *lines : QStringList();
}

QStringList copyNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.krv")}, QDir::Files, QDir::Name);
}

} // namespace

class TestRecoveryCopy : public QObject {
    Q_OBJECT
private slots:
    void init();

    void bytesAreALedgerFileWithSourceAndChecksum();
    void roundTrip_data();
    void roundTrip();
    void damagedCopies_data();
    void damagedCopies();

    void programsKeepCopiesOfTheirOwn();
    void copyOfAnEndedProgramIsLeftUntilDecided();
    void staleLockOfAKilledProgram();
    void claimDiscardSetAside();

private:
    QString folder() const { return m_dir->filePath(QStringLiteral("kurtarma")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRecoveryCopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestRecoveryCopy::bytesAreALedgerFileWithSourceAndChecksum()
{
    const QStringList lines = workedExampleLines();
    const QByteArray plain = ledgerFileBytes(lines);
    const QByteArray copy = recoveryCopyBytes(lines, QStringLiteral("/ev/Cari Hesap,1.krv"));
    const qsizetype end = plain.indexOf("\r\n");
    QCOMPARE(copy.left(end), plain.left(end));
    QCOMPARE(copy.mid(copy.indexOf("\r\n")), plain.mid(end));
    const QByteArray sha = QCryptographicHash::hash(plain, QCryptographicHash::Sha256).toHex();
    QCOMPARE(copy.mid(end, copy.indexOf("\r\n") - end), ",/ev/Cari%20Hesap%2C1.krv," + sha);
    // opened as a ledger file, the copy is the ledger
    const QString path = m_dir->filePath(QStringLiteral("copy.krv"));
    writeBytes(path, copy);
    const std::optional<QStringList> read = readLedgerFileLines(path);
    QVERIFY(read);
    const std::optional<LedgerFileContent> content = parseLedgerFileLines(*read);
    QVERIFY(content);
    QCOMPARE(content->texts[5], workedExampleContent().texts[5]);
    QCOMPARE(content->rows.size(), workedExampleContent().rows.size());
}

void TestRecoveryCopy::roundTrip_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("company");
    QTest::newRow("no file yet") << QString() << QStringLiteral("Cari");
    QTest::newRow("Turkish path") << QStringLiteral("/home/ayşe/Dosya/Çağrı Ltd.krv") << QStringLiteral("Çağrı, \"Ltd\"");
    // outside code page 1254: the path survives, the file's own texts as ever
    QTest::newRow("path outside the code page") << QStringLiteral("/tmp/журнал.krv") << QStringLiteral("ж");
}

void TestRecoveryCopy::roundTrip()
{
    QFETCH(QString, source);
    QFETCH(QString, company);
    QStringList lines = workedExampleLines();
    LedgerFileContent params = *parseLedgerFileLines(lines);
    QStringList items = decodeCommaText(lines[0]);
    items[5] = company;
    lines[0] = encodeCommaText(items);
    RecoveryFolder f(folder());
    QVERIFY(f.open());
    QVERIFY(f.writeCopy(lines, source));
    const std::optional<RecoveredWork> work = readRecoveryCopy(f.copyPath());
    QVERIFY(work);
    QCOMPARE(work->sourcePath, source);
    QCOMPARE(work->content.texts[5], fromCp1254(toCp1254(company)));
    QCOMPARE(work->content.calculationDate, params.calculationDate);
    QCOMPARE(work->content.rows.size(), params.rows.size());
    for (size_t r = 0; r < params.rows.size(); ++r)
        QCOMPARE(work->content.rows[r], params.rows[r]);
}

void TestRecoveryCopy::damagedCopies_data()
{
    const QByteArray good = recoveryCopyBytes(workedExampleLines(), QStringLiteral("/ev/a.krv"));
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut short in a row") << good.left(good.size() - 20);
    QTest::newRow("last line gone") << good.left(good.lastIndexOf("\r\n", good.size() - 3) + 2);
    QByteArray changed = good;
    changed[changed.size() - 10] = '7';
    QTest::newRow("a digit changed") << changed;
    QByteArray company = good;
    company.replace("Ticaret", "Tikaret");
    QTest::newRow("a parameter changed") << company;
    QTest::newRow("a plain ledger file") << ledgerFileBytes(workedExampleLines());
    QTest::newRow("only the parameter line") << good.left(good.indexOf("\r\n") + 2);
    QTest::newRow("garbage") << QByteArray("\x01\x02,,\xff\r\n");
}

void TestRecoveryCopy::damagedCopies()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir->filePath(QStringLiteral("damaged.krv"));
    writeBytes(path, bytes);
    QVERIFY(!readRecoveryCopy(path));
}

void TestRecoveryCopy::programsKeepCopiesOfTheirOwn()
{
    RecoveryFolder first(folder()), second(folder());
    QVERIFY(first.open() && second.open());
    QVERIFY(first.copyPath() != second.copyPath());
    QStringList other = workedExampleLines();
    other.removeLast();
    QVERIFY(first.writeCopy(workedExampleLines(), QStringLiteral("/a.krv")));
    QVERIFY(second.writeCopy(other, QStringLiteral("/b.krv")));
    QCOMPARE(readRecoveryCopy(first.copyPath())->sourcePath, QStringLiteral("/a.krv"));
    QCOMPARE(readRecoveryCopy(second.copyPath())->sourcePath, QStringLiteral("/b.krv"));
    // a running program's copy is nobody's left copy
    RecoveryFolder third(folder());
    QVERIFY(third.open());
    QVERIFY(third.takeLeftCopies().empty());
    QCOMPARE(copyNames(folder()).size(), 2);
}

void TestRecoveryCopy::copyOfAnEndedProgramIsLeftUntilDecided()
{
    QString older, newer;
    for (QString *path : {&older, &newer}) {
        RecoveryFolder ended(folder());
        QVERIFY(ended.open());
        QVERIFY(ended.writeCopy(workedExampleLines(), QString()));
        *path = ended.copyPath();
        QTest::qWait(20); // written at different times
    }
    RecoveryFolder next(folder());
    QVERIFY(next.open());
    {
        std::vector<LeftCopy> left = next.takeLeftCopies();
        QCOMPARE(left.size(), size_t(2));
        QCOMPARE(left[0].path(), newer); // newest first
        QCOMPARE(left[1].path(), older);
        // held: another program starting now does not see them
        RecoveryFolder meanwhile(folder());
        QVERIFY(meanwhile.open());
        QVERIFY(meanwhile.takeLeftCopies().empty());
    }
    // let go undecided: found again
    RecoveryFolder later(folder());
    QVERIFY(later.open());
    QCOMPARE(later.takeLeftCopies().size(), size_t(2));
}

// A program killed holds its lock file to the end; the lock names a process
// that no longer runs.
void TestRecoveryCopy::staleLockOfAKilledProgram()
{
    RecoveryFolder f(folder());
    QVERIFY(f.open());
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    const QByteArray deadLock = QByteArray::number(pid) + "\nkervio\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    const QDir dir(folder());
    writeBytes(dir.filePath(QStringLiteral("killed.lock")), deadLock);
    writeBytes(dir.filePath(QStringLiteral("killed.krv")), recoveryCopyBytes(workedExampleLines(), {}));
    // and a lock left without any copy is cleared away
    writeBytes(dir.filePath(QStringLiteral("nocopy.lock")), deadLock);
    std::vector<LeftCopy> left = f.takeLeftCopies();
    QCOMPARE(left.size(), size_t(1));
    QCOMPARE(QFileInfo(left[0].path()).fileName(), QStringLiteral("killed.krv"));
    QVERIFY(!dir.exists(QStringLiteral("nocopy.lock")));
}

void TestRecoveryCopy::claimDiscardSetAside()
{
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        RecoveryFolder ended(folder());
        QVERIFY(ended.open());
        QVERIFY(ended.writeCopy(workedExampleLines(), QStringLiteral("/%1.krv").arg(i)));
        paths << ended.copyPath();
    }
    RecoveryFolder f(folder());
    QVERIFY(f.open());
    std::vector<LeftCopy> left = f.takeLeftCopies();
    QCOMPARE(left.size(), size_t(3));
    const QString claimed = left[0].path();
    const QString source = readRecoveryCopy(claimed)->sourcePath;
    QVERIFY(f.claim(std::move(left[0])));
    QVERIFY(!QFileInfo::exists(claimed));
    QCOMPARE(readRecoveryCopy(f.copyPath())->sourcePath, source);
    const QString discarded = left[1].path();
    f.discard(std::move(left[1]));
    QVERIFY(!QFileInfo::exists(discarded));
    const QString aside = f.setAside(std::move(left[2]));
    QCOMPARE(QFileInfo(aside).dir().dirName(), QStringLiteral("hasarli"));
    QVERIFY(QFileInfo::exists(aside));
    left.clear();
    // nothing is left for the next program: the claimed copy is this one's
    RecoveryFolder next(folder());
    QVERIFY(next.open());
    QVERIFY(next.takeLeftCopies().empty());
    QCOMPARE(copyNames(folder()), QStringList{QFileInfo(f.copyPath()).fileName()});
    // the copy of an ended program goes only when it is removed
    f.removeCopy();
    QVERIFY(copyNames(folder()).isEmpty());
}

QTEST_GUILESS_MAIN(TestRecoveryCopy)
#include "tst_recoverycopy.moc"
