// The session's ledger file and settings commands: the file dialogs and
// questions they ask, the messages, and the recalculation after opening.
#include "common/filebytes.h"
#include "common/filesizelimit.h"
#include "common/ledgerfilefixture.h"
#include "core/scripteddialogs.h"
#include "files/settings.h"
#include "shell/session.h"

#include <QtTest>
#include <memory>

using namespace kervio;
using namespace kervio::test;

namespace {

const QString kCantOpen = QStringLiteral("Dosya açılamadı:\n");

struct Fixture {
    ScriptedDialogs dialogs;
    Session session{Regional::turkish(), &dialogs};
    Parameters &params() { return session.params(); }
    LedgerTable &ledger() { return session.ledger(); }
};

// A recalculated ledger with texts that need quoting.
void setUpLedger(Session &s)
{
    setUpQuotedLedger(s.params(), s.ledger());
    s.recalculateAll();
}

} // namespace

class TestSessionFiles : public QObject {
    Q_OBJECT
private slots:
    void init();

    void roundTripRestoresEverything();
    void rowLinesReplaceLargerGrid();
    void malformedFileChangesNothing_data();
    void malformedFileChangesNothing();
    void missingFileIsIgnored();
    void rateLinkErrorPropagates();

    void krvNaming_data();
    void krvNaming();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void saveFailure_data();
    void saveFailure();

    void rateSettingsStoreYearlyRateUnderAyfaiz();
    void rateSettingsReadAsStored();
    void installedFirstStart_data();
    void installedFirstStart();
    void installedFirstSaveKeepsTheOtherSection();
    void ledgerFolderMadeWhenNeeded_data();
    void ledgerFolderMadeWhenNeeded();

private:
    QString filePath(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSessionFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSessionFiles::roundTripRestoresEverything()
{
    Fixture a;
    setUpLedger(a.session);
    const QString path = filePath("cari.krv");
    a.session.saveLedgerFile(path);

    Fixture b;
    QVERIFY(b.session.openLedgerFile(path));
    QVERIFY(b.dialogs.shown.empty());
    for (const auto f : {Parameters::Company, Parameters::DaysInYear, Parameters::YearlyRate,
                         Parameters::MonthlyRate, Parameters::DebitGrace, Parameters::CreditGrace})
        QCOMPARE(b.params().text(f), a.params().text(f));
    QCOMPARE(b.params().debitWeekend(), true);
    QCOMPARE(b.params().creditWeekend(), false);
    QCOMPARE(b.params().calculationDate(), QDate(2024, 3, 7));
    QCOMPARE(b.ledger().gridRowCount(), a.ledger().gridRowCount());
    for (int r = 0; r < a.ledger().gridRowCount(); ++r)
        for (int c = 0; c < LedgerTable::ColumnCount; ++c)
            QCOMPARE(b.ledger().cell(r, c), a.ledger().cell(r, c));
    // the computed cells came along
    QVERIFY(!b.ledger().cell(1, ColDays).isEmpty());
}

// Amounts and interest numbers of any size come back with all their
// digits, never as an E-notation text that would read back as other digits.

void TestSessionFiles::rowLinesReplaceLargerGrid()
{
    Fixture f;
    f.ledger().setGridRowCount(41);
    f.ledger().renumber();
    f.ledger().setCell(40, ColDescription, "eski");
    const QString path = filePath("three.krv");
    writeBytes(path, validFile("1,,,a,,,,,,,,,\r\n2,,,b,,,,,,,,,\r\n3,,,c,,,,,,,,,\r\n"));
    QVERIFY(f.session.openLedgerFile(path));
    QCOMPARE(f.ledger().gridRowCount(), 4);
    QCOMPARE(f.ledger().cell(3, ColDescription), QStringLiteral("c"));
}

void TestSessionFiles::malformedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray rest = "\r\n" + kHeaderBytes + "\r\n1,01.01.2024,,x,,,,,,,,,\r\n";
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("blank line") << QByteArray("\r\n");
    QTest::newRow("nine items") << QByteArray("365,30,2,,,Yeni,H,E,E") + rest;
    QTest::newRow("ISO date") << QByteArray("365,30,2,,,Yeni,H,E,E,2024-03-07") + rest;
    QTest::newRow("31 February") << QByteArray("365,30,2,,,Yeni,H,E,E,31.02.2024") + rest;
}

void TestSessionFiles::malformedFileChangesNothing()
{
    QFETCH(QByteArray, bytes);
    Fixture f;
    setUpLedger(f.session);
    const QStringList before = f.session.ledgerFileLines();
    const QString path = filePath("bozuk.krv");
    writeBytes(path, bytes);

    f.dialogs.fileNames.push_back(path);
    f.session.openLedger();

    QCOMPARE(f.dialogs.fileDialogs.size(), size_t(1));
    const FileDialogRequest &request = f.dialogs.fileDialogs[0];
    QCOMPARE(request.title, QStringLiteral("Vade Farkı Dosyası Aç"));
    QCOMPARE(request.filter, QStringLiteral("Vade Farkı Dosyası (*.krv)"));
    QCOMPARE(request.initialDir, f.session.fileDialogFolder());
    QVERIFY(request.proposedName.isEmpty());
    QCOMPARE(f.dialogs.texts(), QStringList{kCantOpen + QFileInfo(path).absoluteFilePath()});
    QCOMPARE(f.session.ledgerFileLines(), before);
}

void TestSessionFiles::missingFileIsIgnored()
{
    Fixture f;
    setUpLedger(f.session);
    const QStringList before = f.session.ledgerFileLines();
    f.dialogs.fileNames.push_back(filePath("yok.krv"));
    f.session.openLedger();
    QVERIFY(f.dialogs.shown.empty());
    QCOMPARE(f.session.ledgerFileLines(), before);
}

void TestSessionFiles::rateLinkErrorPropagates()
{
    Fixture f;
    f.params().setRateSource(Parameters::RateSource::Yearly);
    const QString path = filePath("oran.krv");
    writeBytes(path, "365,\"1,2,3\",2,,,Cari,H,H,E,07.03.2024\r\n");
    f.dialogs.fileNames.push_back(path);
    QVERIFY(!f.session.guarded([&] { f.session.openLedger(); }));
    QCOMPARE(f.dialogs.texts(), QStringList{"'1,2,3' is not a valid floating point value"});
}

void TestSessionFiles::krvNaming_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "Cari2024" << "Cari2024.krv";
    QTest::newRow("extension") << "Cari2024.krv" << "Cari2024.krv";
    QTest::newRow("upper-case extension") << "CARI.KRV" << "CARI.KRV.krv";
    QTest::newRow(".krv anywhere") << "eski.krv.yedek" << "eski.krv.yedek";
}

void TestSessionFiles::krvNaming()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    Fixture f;
    f.params().setText(Parameters::Company, "Cari Şti");
    f.dialogs.fileNames.push_back(filePath(chosen));
    f.session.saveLedger();

    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{saved});
    QVERIFY(f.dialogs.shown.empty());
    const FileDialogRequest &request = f.dialogs.fileDialogs.at(0);
    QCOMPARE(request.title, QStringLiteral("Vade Farkı Dosyası Sakla"));
    QCOMPARE(request.filter, QStringLiteral("Vade Farkı Dosyası (*.krv)"));
    QCOMPARE(request.initialDir, f.session.fileDialogFolder());
    QCOMPARE(request.proposedName, QStringLiteral("Cari Şti"));
}

void TestSessionFiles::overwriteQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("no") << int(Dialogs::Answer::No) << false;
    QTest::newRow("yes") << int(Dialogs::Answer::Yes) << true;
}

void TestSessionFiles::overwriteQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    const QString path = filePath("Cari.krv");
    writeBytes(path, "eski\r\n");
    Fixture f;
    f.dialogs.fileNames.push_back(filePath("Cari"));
    f.dialogs.answers.push_back(Dialogs::Answer(answer));
    f.session.saveLedger();

    QCOMPARE(f.dialogs.shown.size(), size_t(1));
    QCOMPARE(f.dialogs.shown[0].kind, ScriptedDialogs::Shown::Question);
    QCOMPARE(f.dialogs.shown[0].title, QStringLiteral("Kavrel Kervio"));
    QCOMPARE(f.dialogs.shown[0].text, QStringLiteral("Dosya mevcut Üzerine kayıt edilsinmi?"));
    QCOMPARE(readBytes(path) != "eski\r\n", replaced);
}

void TestSessionFiles::saveFailure_data()
{
    QTest::addColumn<QString>("name"); // relative to the temporary folder, which is current
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("missing folder") << "yok/Cari.krv" << false;
    QTest::newRow("disk full") << "Cari.krv" << true;
}

void TestSessionFiles::saveFailure()
{
    QFETCH(QString, name);
    QFETCH(bool, diskFull);
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(oldCurrent); });

    const QByteArray old = "eski\r\n";
    if (diskFull)
        writeBytes(name, old);
    Fixture f;
    setUpLedger(f.session);
    bool ok;
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (diskFull)
            limit = std::make_unique<FileSizeLimit>(64);
        ok = f.session.guarded([&] { f.session.saveLedgerFile(name); });
    }
    QVERIFY(!ok);
    QCOMPARE(f.dialogs.texts(), QStringList{"Dosya Saklanamıyor:\r" + m_dir->filePath(name)});
    if (diskFull)
        QCOMPARE(readBytes(name), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), diskFull ? QStringList{name} : QStringList{});
}

void TestSessionFiles::rateSettingsStoreYearlyRateUnderAyfaiz()
{
    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    s.setSettingsPath(filePath("Ayarlar.ini"));
    s.params().setText(Parameters::YearlyRate, "24");
    s.params().setText(Parameters::MonthlyRate, "2");
    s.params().setDebitWeekend(true);
    s.saveRateSettings();
    const QByteArray bytes = readBytes(filePath("Ayarlar.ini"));
    QVERIFY(bytes.contains("\r\nayfaiz=24\r\nyilfaiz=2\r\n"));
    QVERIFY(bytes.contains("\r\nborcCheck=1\r\nalacakCheck=2\r\n"));
}

void TestSessionFiles::rateSettingsReadAsStored()
{
    // 30 and 2 do not agree; neither is recomputed from the other at start.
    writeBytes(filePath("Ayarlar.ini"), "[Ayar]\r\nyilgun=360\r\nayfaiz=30\r\nyilfaiz=2\r\nborcgun=3\r\nalacakgun=4\r\n"
                                        "borcCheck=2\r\nalacakCheck=1\r\n");
    ScriptedDialogs dialogs;
    Session s(Regional::turkish(), &dialogs);
    s.setSettingsPath(filePath("Ayarlar.ini"));
    s.params().setDebitWeekend(true);
    s.loadRateSettings();
    const Parameters &p = s.params();
    QCOMPARE(p.text(Parameters::DaysInYear), QStringLiteral("360"));
    QCOMPARE(p.text(Parameters::YearlyRate), QStringLiteral("30"));
    QCOMPARE(p.text(Parameters::MonthlyRate), QStringLiteral("2"));
    QCOMPARE(p.text(Parameters::DebitGrace), QStringLiteral("3"));
    QCOMPARE(p.text(Parameters::CreditGrace), QStringLiteral("4"));
    QVERIFY(!p.debitWeekend());
    QVERIFY(p.creditWeekend());
}

// An installed program: the user's Ayarlar.ini in a folder that does not
// exist yet, the installed first-start settings beside.
namespace {
const QByteArray kFirstStart = "[Ayar]\r\nyilgun=365\r\nayfaiz=0\r\nyilfaiz=0\r\nborcgun=0\r\nalacakgun=0\r\n"
                               "borcCheck=2\r\nalacakCheck=2\r\n[ExcelAyar]\r\nvade=1\r\nbasla=3\r\n";
}

void TestSessionFiles::installedFirstStart_data()
{
    QTest::addColumn<bool>("userFile");
    QTest::addColumn<QString>("days");
    QTest::newRow("first start") << false << "365";
    QTest::newRow("the user's own settings") << true << "360";
}

void TestSessionFiles::installedFirstStart()
{
    QFETCH(bool, userFile);
    QFETCH(QString, days);
    const QString user = filePath("config/kervio/Ayarlar.ini");
    const QString defaults = filePath("share/Ayarlar.ini");
    QVERIFY(QDir(m_dir->path()).mkpath("share"));
    writeBytes(defaults, kFirstStart);
    if (userFile) {
        QVERIFY(QDir(m_dir->path()).mkpath("config/kervio"));
        writeBytes(user, "[Ayar]\r\nyilgun=360\r\n");
    }
    Fixture f;
    f.session.setSettingsPath(user, defaults);
    f.session.loadRateSettings();
    QCOMPARE(f.params().text(Parameters::DaysInYear), days);
    QCOMPARE(QFileInfo::exists(user), userFile); // reading writes nothing
}

void TestSessionFiles::installedFirstSaveKeepsTheOtherSection()
{
    const QString user = filePath("config/kervio/Ayarlar.ini");
    const QString defaults = filePath("Ayarlar.ini");
    writeBytes(defaults, kFirstStart);
    Fixture f;
    f.session.setSettingsPath(user, defaults);
    f.params().setText(Parameters::DaysInYear, "360");
    f.params().setText(Parameters::YearlyRate, "24");
    QVERIFY(f.session.guarded([&] { f.session.saveRateSettings(); }));
    QCOMPARE(readRateSettings(user).daysInYear, QStringLiteral("360"));
    QCOMPARE(readRateSettings(user).yearlyRate, QStringLiteral("24"));
    QCOMPARE(readImportMapping(user).firstRow, QStringLiteral("3"));
    QCOMPARE(readBytes(defaults), kFirstStart);
    QCOMPARE(f.session.settingsPathToRead(), user);
}

void TestSessionFiles::ledgerFolderMadeWhenNeeded_data()
{
    QTest::addColumn<bool>("makeWhenNeeded");
    QTest::newRow("installed: the user's documents") << true;
    QTest::newRow("portable: Dosya is the user's to make") << false;
}

void TestSessionFiles::ledgerFolderMadeWhenNeeded()
{
    QFETCH(bool, makeWhenNeeded);
    const QString folder = filePath("Belgeler/Kervio");
    Fixture f;
    f.session.setFileDialogFolder(folder, makeWhenNeeded);
    f.session.openLedger(); // cancelled
    QCOMPARE(f.dialogs.fileDialogs.at(0).initialDir, folder);
    QCOMPARE(QFileInfo(folder).isDir(), makeWhenNeeded);
    f.dialogs.fileNames.push_back(filePath("Cari"));
    f.session.saveLedger();
    QCOMPARE(f.dialogs.fileDialogs.at(1).initialDir, folder);
}

QTEST_GUILESS_MAIN(TestSessionFiles)
#include "tst_sessionfiles.moc"
