#include "filesizelimit.h"
#include "files/commatext.h"
#include "files/ledgerfile.h"
#include "core/errors.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QtTest>
#include <memory>

using namespace kervio;

namespace {

const QByteArray kHeaderBytes =
    ",\"\xDD\xFElem Tarihi\",\"Vade Tarihi\",A\xE7\xFDklama,\"Bor\xE7 Tutar\xFD\",\"Alacak Tutar\xFD\","
    "G\xFCn,\"B.Vade Fark\xFD\",\"A.Vade Fark\xFD\",\"Bor\xE7 Adat\",\"Alacak Adat\",Index,Index2";
const QByteArray kParamLine = "365,24,2,,,Cari,H,H,E,07.03.2024";
const QString kCantOpen = QStringLiteral("Dosya açılamadı:\n");

struct Fixture {
    ScriptedDialogs dialogs;
    Session session{Regional::turkish(), &dialogs};
    Parameters &params() { return session.params(); }
    LedgerTable &ledger() { return session.ledger(); }
};

LedgerTable::Row makeRow(const QStringList &cells)
{
    LedgerTable::Row row;
    for (int c = 0; c < cells.size() && c < LedgerTable::ColumnCount; ++c)
        row[size_t(c)] = cells[c];
    return row;
}

// A recalculated ledger with texts that need quoting.
void setUpLedger(Session &s)
{
    Parameters &p = s.params();
    p.setText(Parameters::Company, QStringLiteral("Ali, \"Veli\" Ltd. Şti."));
    p.setText(Parameters::DaysInYear, QStringLiteral("365"));
    p.setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
    p.setText(Parameters::DebitGrace, QString());
    p.setText(Parameters::CreditGrace, QStringLiteral("5"));
    p.setDebitWeekend(true);
    p.setCreditWeekend(false);
    p.setCalculationDate(QDate(2024, 3, 7));
    s.ledger().replaceEntries({
        makeRow({"1", "01.02.2024", "15.02.2024", "Fatura 12", "1.000,00"}),
        makeRow({"2", "05.02.2024", "20.02.2024", "Ödeme, \"nakit\"", "", "250,50"}),
        makeRow({"3"}),
    });
    s.recalculateAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

QByteArray validFile(const QByteArray &rowLines)
{
    return kParamLine + "\r\n" + kHeaderBytes + "\r\n" + rowLines;
}

} // namespace

class TestLedgerFile : public QObject {
    Q_OBJECT
private slots:
    void init();

    void roundTripRestoresEverything();
    void hugeAmountsRoundTrip();
    void exactBytesOfSmallFile();
    void dateSeparatorOfRegionalSettings();
    void lineBreaksInCellsSavedAsBlanks();

    void parameterLine_data();
    void parameterLine();
    void rowLineGivesThirteenCells_data();
    void rowLineGivesThirteenCells();
    void headerOnlyKeepsOneEmptyRow();
    void rowLinesReplaceLargerGrid();

    void malformedFileChangesNothing_data();
    void malformedFileChangesNothing();
    void missingFileIsIgnored();
    void rateSourceOnLoad_data();
    void rateSourceOnLoad();
    void rateLinkErrorPropagates();

    void krvNaming_data();
    void krvNaming();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void saveFailure_data();
    void saveFailure();

private:
    QString filePath(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLedgerFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestLedgerFile::roundTripRestoresEverything()
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
void TestLedgerFile::hugeAmountsRoundTrip()
{
    Fixture a;
    setUpLedger(a.session);
    a.ledger().setCell(1, ColDebit, QStringLiteral("1000000000000000000"));
    a.ledger().setCell(2, ColCredit, QStringLiteral("55000000000000000"));
    a.session.recalculateAll();
    QCOMPARE(a.ledger().cell(1, ColDebit), QStringLiteral("1.000.000.000.000.000.000,00"));
    QCOMPARE(a.ledger().cell(2, ColCreditAdat), QStringLiteral("-605.000.000.000.000.000,00"));
    const QString path = filePath("büyük.krv");
    a.session.saveLedgerFile(path);
    QVERIFY(!QString::fromLatin1(readBytes(path)).contains(QRegularExpression("\\dE-?\\d")));

    Fixture b;
    QVERIFY(b.session.openLedgerFile(path));
    for (int c : {ColDebit, ColDebitAdat, ColDebitDiff, ColCredit, ColCreditAdat, ColCreditDiff}) {
        QCOMPARE(b.ledger().cell(1, c), a.ledger().cell(1, c));
        QCOMPARE(b.ledger().cell(2, c), a.ledger().cell(2, c));
    }
    QCOMPARE(b.session.summary().text(Summary::DebitTotal), QStringLiteral("1.000.000.000.000.000.000,00"));
}

void TestLedgerFile::exactBytesOfSmallFile()
{
    Fixture f;
    f.params().setText(Parameters::DaysInYear, "365");
    f.params().setText(Parameters::YearlyRate, "24");
    f.params().setText(Parameters::MonthlyRate, "2");
    f.params().setText(Parameters::Company, "Cari");
    f.params().setCreditWeekend(true);
    f.params().setCalculationDate(QDate(2024, 3, 7));
    const QString path = filePath("Cari.krv");
    f.session.saveLedgerFile(path);
    QCOMPARE(readBytes(path), validFile("1,,,,,,,,,,,,\r\n"));
}

void TestLedgerFile::dateSeparatorOfRegionalSettings()
{
    Regional slash = Regional::turkish();
    slash.date = u'/';
    ScriptedDialogs dialogs;
    Session writer(slash, &dialogs);
    writer.params().setCalculationDate(QDate(2024, 3, 7));
    const QString path = filePath("slash.krv");
    writer.saveLedgerFile(path);
    QVERIFY(readBytes(path).startsWith(",,,,,,H,H,H,07/03/2024\r\n"));

    Fixture reader;
    reader.params().setCalculationDate(QDate(2000, 1, 1));
    QVERIFY(reader.session.openLedgerFile(path));
    QCOMPARE(reader.params().calculationDate(), QDate(2024, 3, 7));
}

void TestLedgerFile::lineBreaksInCellsSavedAsBlanks()
{
    Fixture a;
    a.params().setText(Parameters::Company, "Ali\r\nVeli");
    a.ledger().replaceEntries({makeRow({"1", "", "", "a\r\nb\nc\rd", "", "", "", "", "", "", "",
                                        QString::fromLatin1("1\0" "2", 3), "x"}),
                               makeRow({"2"})});
    const QString path = filePath("breaks.krv");
    a.session.saveLedgerFile(path);
    QCOMPARE(splitLines(QString::fromLatin1(readBytes(path))).size(), 4);

    Fixture b;
    QVERIFY(b.session.openLedgerFile(path));
    QCOMPARE(b.params().text(Parameters::Company), QStringLiteral("Ali Veli"));
    QCOMPARE(b.ledger().gridRowCount(), 3);
    QCOMPARE(b.ledger().cell(1, ColDescription), QStringLiteral("a b c d"));
    // a NUL would end the line for the reader and lose the cells after it
    QCOMPARE(b.ledger().cell(1, ColIndex), QStringLiteral("1 2"));
    QCOMPARE(b.ledger().cell(1, ColIndex2), QStringLiteral("x"));
}

void TestLedgerFile::parameterLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDate>("date"); // invalid: the file is refused
    QTest::addColumn<int>("debit");  // -1: left as it is
    QTest::addColumn<int>("credit");
    const QDate d(2024, 3, 7);
    QTest::newRow("E and H") << ",,,,,,H,E,H,07.03.2024" << d << 1 << 0;
    QTest::newRow("other letters leave boxes") << ",,,,,,H,X,e,07.03.2024" << d << -1 << -1;
    QTest::newRow("slash separator") << ",,,,,,H,H,H,07/03/2024" << d << 0 << 0;
    QTest::newRow("text after the year ignored") << ",,,,,,H,H,H,07.03.2024x" << d << 0 << 0;
    QTest::newRow("leap day") << ",,,,,,H,H,H,29.02.2024" << QDate(2024, 2, 29) << 0 << 0;
    QTest::newRow("nine items") << ",,,,,,H,H,H" << QDate() << 0 << 0;
    QTest::newRow("empty date") << ",,,,,,H,H,H," << QDate() << 0 << 0;
    QTest::newRow("ISO date") << ",,,,,,H,H,H,2024-03-07" << QDate() << 0 << 0;
    QTest::newRow("31 February") << ",,,,,,H,H,H,31.02.2024" << QDate() << 0 << 0;
    QTest::newRow("29 February 2023") << ",,,,,,H,H,H,29.02.2023" << QDate() << 0 << 0;
    QTest::newRow("day zero") << ",,,,,,H,H,H,00.01.2024" << QDate() << 0 << 0;
    QTest::newRow("month 13") << ",,,,,,H,H,H,07.13.2024" << QDate() << 0 << 0;
    QTest::newRow("year zero") << ",,,,,,H,H,H,07.03.0000" << QDate() << 0 << 0;
    QTest::newRow("no leading zeros") << ",,,,,,H,H,H,7.3.2024" << QDate() << 0 << 0;
    QTest::newRow("letters") << ",,,,,,H,H,H,ab.03.2024" << QDate() << 0 << 0;
}

void TestLedgerFile::parameterLine()
{
    QFETCH(QString, line);
    QFETCH(QDate, date);
    QFETCH(int, debit);
    QFETCH(int, credit);
    const auto content = parseLedgerFileLines({line});
    QCOMPARE(content.has_value(), date.isValid());
    if (!content)
        return;
    QCOMPARE(content->calculationDate, date);
    QCOMPARE(content->debitWeekend.has_value() ? int(*content->debitWeekend) : -1, debit);
    QCOMPARE(content->creditWeekend.has_value() ? int(*content->creditWeekend) : -1, credit);
}

void TestLedgerFile::rowLineGivesThirteenCells_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("fewer items") << "1,01.02.2024" << QStringList{"1", "01.02.2024"};
    QTest::newRow("more items") << "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"
                                << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("quoted description") << "1,,,\"a, \"\"b\"\"\"" << QStringList{"1", "", "", "a, \"b\""};
}

void TestLedgerFile::rowLineGivesThirteenCells()
{
    QFETCH(QString, line);
    QFETCH(QStringList, cells);
    const auto content = parseLedgerFileLines({QString::fromLatin1(kParamLine), "header", line});
    QVERIFY(content);
    QCOMPARE(content->rows.size(), size_t(1));
    QCOMPARE(content->rows[0], makeRow(cells));
}

void TestLedgerFile::headerOnlyKeepsOneEmptyRow()
{
    const auto content = parseLedgerFileLines({QString::fromLatin1(kParamLine), "header"});
    QVERIFY(content);
    QVERIFY(content->rows.empty());
    Fixture f;
    f.ledger().replaceEntries({makeRow({"1", "x"}), makeRow({"2", "y"})});
    applyLedgerFileContent(*content, f.params(), f.ledger());
    QCOMPARE(f.ledger().gridRowCount(), 2);
    QCOMPARE(f.ledger().row(1), LedgerTable::Row{});
}

void TestLedgerFile::rowLinesReplaceLargerGrid()
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

void TestLedgerFile::malformedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray rest = "\r\n" + kHeaderBytes + "\r\n1,01.01.2024,,x,,,,,,,,,\r\n";
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("blank line") << QByteArray("\r\n");
    QTest::newRow("nine items") << QByteArray("365,30,2,,,Yeni,H,E,E") + rest;
    QTest::newRow("ISO date") << QByteArray("365,30,2,,,Yeni,H,E,E,2024-03-07") + rest;
    QTest::newRow("31 February") << QByteArray("365,30,2,,,Yeni,H,E,E,31.02.2024") + rest;
}

void TestLedgerFile::malformedFileChangesNothing()
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

void TestLedgerFile::missingFileIsIgnored()
{
    Fixture f;
    setUpLedger(f.session);
    const QStringList before = f.session.ledgerFileLines();
    f.dialogs.fileNames.push_back(filePath("yok.krv"));
    f.session.openLedger();
    QVERIFY(f.dialogs.shown.empty());
    QCOMPARE(f.session.ledgerFileLines(), before);
}

void TestLedgerFile::rateSourceOnLoad_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("oldMonthly");
    QTest::addColumn<QString>("yearly");
    QTest::addColumn<QString>("monthly");
    // The file holds yearly 30 and monthly 2; the fields held 12 and oldMonthly.
    QTest::newRow("none") << int(Parameters::RateSource::None) << "1" << "30" << "2";
    QTest::newRow("yearly") << int(Parameters::RateSource::Yearly) << "1" << "30" << "2";
    QTest::newRow("monthly") << int(Parameters::RateSource::Monthly) << "1" << "24" << "2";
    QTest::newRow("monthly, text unchanged") << int(Parameters::RateSource::Monthly) << "2" << "30" << "2";
}

void TestLedgerFile::rateSourceOnLoad()
{
    QFETCH(int, source);
    QFETCH(QString, oldMonthly);
    QFETCH(QString, yearly);
    QFETCH(QString, monthly);
    Fixture f;
    f.params().setText(Parameters::YearlyRate, "12");
    f.params().setText(Parameters::MonthlyRate, oldMonthly);
    f.params().setRateSource(Parameters::RateSource(source));
    const QString path = filePath("oran.krv");
    writeBytes(path, "365,30,2,,,Cari,H,H,E,07.03.2024\r\n" + kHeaderBytes + "\r\n");
    QVERIFY(f.session.loadLedgerFile(path));
    QCOMPARE(f.params().text(Parameters::YearlyRate), yearly);
    QCOMPARE(f.params().text(Parameters::MonthlyRate), monthly);
}

void TestLedgerFile::rateLinkErrorPropagates()
{
    Fixture f;
    f.params().setRateSource(Parameters::RateSource::Yearly);
    const QString path = filePath("oran.krv");
    writeBytes(path, "365,\"1,2,3\",2,,,Cari,H,H,E,07.03.2024\r\n");
    f.dialogs.fileNames.push_back(path);
    QVERIFY(!f.session.guarded([&] { f.session.openLedger(); }));
    QCOMPARE(f.dialogs.texts(), QStringList{"'1,2,3' is not a valid floating point value"});
}

void TestLedgerFile::krvNaming_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "Cari2024" << "Cari2024.krv";
    QTest::newRow("extension") << "Cari2024.krv" << "Cari2024.krv";
    QTest::newRow("upper-case extension") << "CARI.KRV" << "CARI.KRV.krv";
    QTest::newRow(".krv anywhere") << "eski.krv.yedek" << "eski.krv.yedek";
}

void TestLedgerFile::krvNaming()
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

void TestLedgerFile::overwriteQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("no") << int(Dialogs::Answer::No) << false;
    QTest::newRow("yes") << int(Dialogs::Answer::Yes) << true;
}

void TestLedgerFile::overwriteQuestion()
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

void TestLedgerFile::saveFailure_data()
{
    QTest::addColumn<QString>("name"); // relative to the temporary folder, which is current
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("missing folder") << "yok/Cari.krv" << false;
    QTest::newRow("disk full") << "Cari.krv" << true;
}

void TestLedgerFile::saveFailure()
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

QTEST_GUILESS_MAIN(TestLedgerFile)
#include "tst_ledgerfile.moc"
