// The ledger file: its bytes, its lines, and what reading one applies.
#include "common/filebytes.h"
#include "common/ledgerfilefixture.h"
#include "core/codepage1254.h"
#include "files/commatext.h"
#include "files/ledgerfile.h"
#include "ledger/document.h"

#include <QtTest>
#include <memory>

using namespace kervio;
using namespace kervio::test;

namespace {

struct Fixture {
    explicit Fixture(const Regional &reg = Regional::turkish()) : document(reg) {}
    Document document;
    Parameters &params() { return document.params(); }
    LedgerTable &ledger() { return document.ledger(); }
    void save(const QString &path)
    {
        QVERIFY(writeLedgerFile(path, params(), ledger(), document.regional()));
    }
    // Reads and applies a file as opening one does before it recalculates.
    bool load(const QString &path)
    {
        std::optional<LedgerFileContent> content = readLedgerFile(path);
        if (!content)
            return false;
        applyLedgerFileContent(std::move(*content), params(), ledger());
        return true;
    }
};

} // namespace

class TestLedgerFile : public QObject {
    Q_OBJECT
private slots:
    void init();

    void hugeAmountsRoundTrip();
    void exactBytesOfSmallFile();
    void dateSeparatorOfRegionalSettings();
    void lineBreaksInCellsSavedAsBlanks();

    void parameterLine_data();
    void parameterLine();
    void rowLineGivesThirteenCells_data();
    void rowLineGivesThirteenCells();
    void headerOnlyKeepsOneEmptyRow();
    void rateSourceOnLoad_data();
    void rateSourceOnLoad();

    void bytesReadAsTheirLines_data();
    void bytesReadAsTheirLines();
    void bytesWrittenAsTheLines();

private:
    QString filePath(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLedgerFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestLedgerFile::hugeAmountsRoundTrip()
{
    Fixture a;
    setUpQuotedLedger(a.params(), a.ledger());
    a.ledger().setCell(1, ColDebit, QStringLiteral("1000000000000000000"));
    a.ledger().setCell(2, ColCredit, QStringLiteral("55000000000000000"));
    a.document.recalculateAll();
    QCOMPARE(a.ledger().cell(1, ColDebit), QStringLiteral("1.000.000.000.000.000.000,00"));
    QCOMPARE(a.ledger().cell(2, ColCreditAdat), QStringLiteral("-605.000.000.000.000.000,00"));
    const QString path = filePath("büyük.krv");
    a.save(path);
    QVERIFY(!QString::fromLatin1(readBytes(path)).contains(QRegularExpression("\\dE-?\\d")));

    Fixture b;
    QVERIFY(b.load(path));
    b.document.recalculateAll();
    for (int c : {ColDebit, ColDebitAdat, ColDebitDiff, ColCredit, ColCreditAdat, ColCreditDiff}) {
        QCOMPARE(b.ledger().cell(1, c), a.ledger().cell(1, c));
        QCOMPARE(b.ledger().cell(2, c), a.ledger().cell(2, c));
    }
    QCOMPARE(b.document.summary().text(Summary::DebitTotal), QStringLiteral("1.000.000.000.000.000.000,00"));
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
    f.save(path);
    QCOMPARE(readBytes(path), validFile("1,,,,,,,,,,,,\r\n"));
}

void TestLedgerFile::dateSeparatorOfRegionalSettings()
{
    Regional slash = Regional::turkish();
    slash.date = u'/';
    Fixture writer(slash);
    writer.params().setCalculationDate(QDate(2024, 3, 7));
    const QString path = filePath("slash.krv");
    writer.save(path);
    QVERIFY(readBytes(path).startsWith(",,,,,,H,H,H,07/03/2024\r\n"));

    Fixture reader;
    reader.params().setCalculationDate(QDate(2000, 1, 1));
    QVERIFY(reader.load(path));
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
    a.save(path);
    QCOMPARE(splitLines(QString::fromLatin1(readBytes(path))).size(), 4);

    Fixture b;
    QVERIFY(b.load(path));
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
    QCOMPARE(content->rows[0].unpacked(), makeRow(cells));
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

void TestLedgerFile::bytesReadAsTheirLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << validFile("1,01.02.2024,,\"a, \"\"b\"\"\",5\r\n2\r\n");
    QTest::newRow("lone CR and LF, no final break") << validFile("1,x\r2,y\n\n3,\xDD\xFE");
    QTest::newRow("blank lines") << validFile("\r\n\r\n1\r\n");
    QTest::newRow("NUL ends a line") << validFile(QByteArray("1,a\0b,c\r\n2\r\n", 12));
    QTest::newRow("more than 13 items") << validFile("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\r\n");
    QTest::newRow("unclosed quote") << validFile("1,\"a,b\r\n2\r\n");
    QTest::newRow("parameter line only") << QByteArray(kParamLine);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("empty first line") << "\r\n" + validFile("1\r\n");
    QTest::newRow("short parameter line") << QByteArray(",,,\r\nheader\r\n1\r\n");
    QTest::newRow("undefined bytes") << validFile("1,\x81\x8D\x90\xFF\r\n");
    // a file is read in pieces of a megabyte: breaks and lines where one
    // piece ends and the next begins
    auto across = [](const QByteArray &tail) {
        // `tail` begins one byte before the first piece's end
        const qsizetype at = (1 << 20) - 1;
        QByteArray head = validFile("1,");
        const qsizetype filler = at - head.size() - 2 - 3;
        head += QByteArray(filler, 'a') + "\r\n7,x";
        return head + tail + "\r\n8,y\r\n";
    };
    QTest::newRow("CR LF across pieces") << across("\r\n9,z");
    QTest::newRow("lone CR at a piece's end") << across("\r9,z");
    QTest::newRow("CR LF and a blank line across pieces") << across("\r\n\r\n9,z");
    QTest::newRow("LF at a piece's end") << across("\n9,z");
    QTest::newRow("line across pieces") << across("xyz,\"q \"\"w\"\"\",e");
    QTest::newRow("quotes only, a trailing comma") << validFile("1,\"\"\"\",\"\",\"\"\"a\"\"\",\r\n");
    QTest::newRow("blanks around items") << validFile(" 1 , \"a b\" ,c d\t,\r\n");
}

void TestLedgerFile::bytesReadAsTheirLines()
{
    // The file read line by line from its bytes holds what its decoded
    // lines hold.
    QFETCH(QByteArray, bytes);
    const QString path = filePath("okunan.krv");
    writeBytes(path, bytes);
    const auto fromLines = parseLedgerFileLines(splitLines(fromCp1254(bytes)));
    for (const auto &fromBytes : {parseLedgerFileBytes(bytes), readLedgerFile(path)}) {
        QCOMPARE(fromBytes.has_value(), fromLines.has_value());
        if (!fromLines)
            continue;
        for (int i = 0; i < 6; ++i)
            QCOMPARE(fromBytes->texts[i], fromLines->texts[i]);
        QCOMPARE(fromBytes->debitWeekend, fromLines->debitWeekend);
        QCOMPARE(fromBytes->creditWeekend, fromLines->creditWeekend);
        QCOMPARE(fromBytes->calculationDate, fromLines->calculationDate);
        QCOMPARE(fromBytes->rows, fromLines->rows);
    }
}

void TestLedgerFile::bytesWrittenAsTheLines()
{
    // The file made row by row holds the lines, encoded and ended by CR LF.
    Fixture f;
    setUpQuotedLedger(f.params(), f.ledger());
    f.params().setText(Parameters::Company, QString::fromUtf8("Şirket\r\n\"A\", 𝔸 ∑"));
    f.ledger().replaceEntries({makeRow({"1", "01.02.2024", "", "a\nb, \"c\"", "1.000,00"}),
                               makeRow({"2", "", "", QString::fromUtf8("İğüşöç ÇĞÜŞÖ € 𝔸 ∑ \t")}),
                               makeRow({"3", "a,b", QString(QChar(0)) + u'x', "\"", "x\ry", QString(QChar(0xD835)) + u',',
                                        QString::fromUtf8("ç"), " ", ","}),
                               makeRow({})});
    QByteArray expected;
    for (const QString &line : ledgerFileLines(f.params(), f.ledger(), f.document.regional()))
        expected += toCp1254(line) + "\r\n";
    QCOMPARE(ledgerFileBytes(f.params(), f.ledger(), f.document.regional()), expected);
    const QString path = filePath("satir.krv");
    f.save(path);
    QCOMPARE(readBytes(path), expected);
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
    QVERIFY(f.load(path));
    QCOMPARE(f.params().text(Parameters::YearlyRate), yearly);
    QCOMPARE(f.params().text(Parameters::MonthlyRate), monthly);
}

QTEST_GUILESS_MAIN(TestLedgerFile)
#include "tst_ledgerfile.moc"
