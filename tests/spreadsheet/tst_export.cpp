#include "common/processlocale.h"
#include "common/scripteddocument.h"
#include "common/xlsxparts.h"
#include "core/errorhandler.h"
#include "core/errors.h"
#include "spreadsheet/exchange.h"
#include "spreadsheet/exportsheet.h"
#include "spreadsheet/tempfiles.h"
#include "common/filesizelimit.h"
#include "spreadsheet/workbookreader.h"

#include <QtTest>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

using namespace kervio;
using F = Parameters::Field;
using K = WorkbookCell::Kind;

namespace {

using test::Entry;

// The system's temporary folder pointed elsewhere for a test.
struct TemporaryFolder {
    explicit TemporaryFolder(const QString &folder) : path(folder), m_old(qgetenv("TMPDIR"))
    {
        QDir().mkpath(folder);
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TemporaryFolder()
    {
        if (m_old.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_old);
    }
    QString path;

private:
    QByteArray m_old;
};

struct Fixture : test::ScriptedDocument {
    explicit Fixture(const std::vector<Entry> &entries, const QString &company = QStringLiteral("Deneme Ltd. Şti."))
        : ScriptedDocument(company)
    {
        test::fillLedger(document.ledger(), entries);
        if (!runGuarded(dialogs, [&] { document.recalculateAll(); }))
            qFatal("recalculation failed");
    }
};

const std::vector<Entry> &WorkedExample = test::workedExample();

// Sheet cell by its address ("D10").
const WorkbookCell &at(const WorkbookSheet &s, const char *address)
{
    const QString a = QString::fromLatin1(address);
    return s.at(a.mid(1).toInt() - 1, a[0].unicode() - 'A');
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    WorkbookSheet exportAndRead(const Document &document, const QString &name)
    {
        const QString file = m_dir.filePath(name);
        writeExportWorkbook(buildExportSheet(document), file);
        return readWorkbook(file, Regional::turkish());
    }

private slots:
    void workedExampleCellByCell()
    {
        Fixture f(WorkedExample);
        const WorkbookSheet s = exportAndRead(f.document, "worked.xlsx");
        // N = 5 (header, three entries, the empty row): totals in row 10,
        // summary in rows 12 to 16
        struct Expect {
            const char *cell;
            K kind;
            QString text;
            double number;
            bool bold;
            const char *format;
        };
        const QString amount = QStringLiteral("#,##0.00");
        const Expect expected[] = {
            {"A1", K::Text, "İşlem Yapılan Firma : Deneme Ltd. Şti.", 0, true, "General"},
            {"A2", K::Text, "Hesap Tarihi :", 0, true, "General"},
            {"B2", K::Text, "31.12.2024", 0, true, "General"},
            {"C2", K::Text, "Yıldaki Gün :", 0, true, "General"},
            {"D2", K::Text, "365", 0, true, "General"},
            {"E2", K::Text, "Yıllık Faiz :", 0, true, "General"},
            {"F2", K::Number, {}, 24, true, "General"},
            {"G2", K::Text, "Aylık Faiz :", 0, true, "General"},
            {"H2", K::Number, {}, 2, true, "General"},
            {"A3", K::Text, "İşlem Tarihi", 0, true, "General"},
            {"D3", K::Text, "Borç Tutarı", 0, true, "General"},
            {"H3", K::Text, "A.Vade Farkı", 0, true, "General"},
            {"A4", K::Text, "01.10.2024", 0, false, "General"},
            {"B4", K::Text, "31.10.2024", 0, false, "General"},
            {"C4", K::Text, "Fatura", 0, false, "General"},
            {"D4", K::Number, {}, 10000, false, "#,##0.00"},
            {"E4", K::Empty, {}, 0, false, "#,##0.00"},
            {"F4", K::Number, {}, -61, false, "General"},
            {"G4", K::Number, {}, 401.10, false, "#,##0.00"},
            {"H4", K::Empty, {}, 0, false, "#,##0.00"},
            {"E5", K::Number, {}, 4000, false, "#,##0.00"},
            {"H5", K::Number, {}, -39.45, false, "#,##0.00"},
            {"C6", K::Text, "Çek", 0, false, "General"},
            {"A7", K::Empty, {}, 0, false, "General"},
            {"D10", K::Number, {}, 10000, true, "#,##0.00"},
            {"E10", K::Number, {}, 6500, true, "#,##0.00"},
            {"F10", K::Number, {}, -77, true, "General"},
            {"H10", K::Number, {}, 11.51, true, "#,##0.00"},
            {"A12", K::Text, "Ortalama Vade:", 0, false, "General"},
            {"B12", K::Text, "15.07.2024", 0, false, "General"},
            {"A13", K::Text, "Ortalama Gün:", 0, false, "General"},
            {"B13", K::Number, {}, -169, false, "General"},
            {"G13", K::Text, "Borç Ortalama Vade:", 0, false, "General"},
            {"H13", K::Text, "31.10.2024", 0, false, "General"},
            {"A14", K::Text, "Borç Toplam Tutarı:", 0, false, "General"},
            {"B14", K::Number, {}, 10000, false, "#,##0.00"},
            {"D14", K::Text, "Borç Vade Farkı:", 0, false, "General"},
            {"E14", K::Number, {}, 401.10, false, "#,##0.00"},
            {"G14", K::Text, "Borç Ortalama Gün:", 0, false, "General"},
            {"H14", K::Number, {}, -61, false, "General"},
            {"A15", K::Text, "Alacak Toplam Tutarı:", 0, false, "General"},
            {"B15", K::Number, {}, 6500, false, "#,##0.00"},
            {"E15", K::Number, {}, 11.51, false, "#,##0.00"},
            {"H15", K::Text, "28.12.2024", 0, false, "General"},
            {"A16", K::Text, "Bakiye Tutarı:", 0, false, "General"},
            {"B16", K::Number, {}, 3500, false, "#,##0.00"},
            {"D16", K::Text, "Net Vade Farkı:", 0, false, "General"},
            {"E16", K::Number, {}, 389.59, false, "#,##0.00"},
            {"G16", K::Text, "Alacak Ortalama Gün:", 0, false, "General"},
            {"H16", K::Number, {}, -3, false, "General"},
        };
        for (const Expect &e : expected) {
            const WorkbookCell &c = at(s, e.cell);
            const QByteArray where = e.cell;
            QVERIFY2(c.kind == e.kind, where.constData());
            if (e.kind == K::Text)
                QVERIFY2(c.text == e.text, qPrintable(where + ": " + c.text));
            if (e.kind == K::Number)
                QVERIFY2(qFuzzyCompare(c.number, e.number), qPrintable(where + ": " + QByteArray::number(c.number)));
            if (e.kind != K::Empty) {
                QVERIFY2(c.bold == e.bold, where.constData());
                QVERIFY2(c.numberFormat == QLatin1String(e.format), qPrintable(where + ": " + c.numberFormat));
            }
        }
        QCOMPARE(at(s, "A1").fontSize, 12.0);
        QCOMPARE(at(s, "A2").fontSize, 12.0);
        QCOMPARE(at(s, "A4").fontSize, 11.0);
        // live totals over the entries and the empty row after them
        const char *letters = "DEFGH";
        for (int i = 0; i < 5; ++i) {
            const QString address = QString(QChar(letters[i])) + QStringLiteral("10");
            QCOMPARE(at(s, address.toLatin1().constData()).formula,
                     QStringLiteral("SUM(") + letters[i] + QStringLiteral("4:") + letters[i] + QStringLiteral("8)"));
        }
        // nothing below the summary block, nothing right of column H
        QCOMPARE(s.rows, 16);
        QCOMPARE(s.columns, 8);
    }

    // Header and one entry; an entry without a debit and due on the
    // calculation date leaves D and F empty; an empty company name.
    void smallestLedger()
    {
        Fixture f({{"31.12.2024", "31.12.2024", "", "", "5,00"}}, QString());
        const WorkbookSheet s = exportAndRead(f.document, "small.xlsx");
        QCOMPARE(at(s, "A1").text, QStringLiteral("İşlem Yapılan Firma : "));
        QCOMPARE(at(s, "A4").text, QStringLiteral("31.12.2024"));
        QCOMPARE(at(s, "D4").kind, K::Empty);
        QCOMPARE(at(s, "F4").kind, K::Empty);
        QCOMPARE(at(s, "E4").number, 5.0);
        // N = 3: the entry, the empty row, totals in row 8
        QCOMPARE(at(s, "D8").formula, QStringLiteral("SUM(D4:D6)"));
        QCOMPARE(at(s, "A10").text, QStringLiteral("Ortalama Vade:"));
        QCOMPARE(at(s, "A14").text, QStringLiteral("Bakiye Tutarı:"));
    }

    void columnWidthsFollowContent()
    {
        Fixture f(WorkedExample, QStringLiteral("Çok Uzun Bir Firma Adı Anonim Şirketi Ve Ortakları"));
        const ExportSheet::Widths widths = fittedColumnWidths(buildExportSheet(f.document));
        // A is fitted over the table only, not the company line
        QVERIFY(widths[0] > 8 && widths[0] < 20);
        // B holds the dates and the summary amounts
        QVERIFY(widths[1] >= 10);
        // C holds "Yıldaki Gün :" in bold size 12
        QVERIFY(widths[2] > widths[5]);
        QCOMPARE(widths[9], 0.0);
    }

    // Column B is as wide as its widest text: the summary's totals and
    // balance, on whichever side of zero the balance falls.
    void columnWidthFollowsWidestAmount_data()
    {
        QTest::addColumn<QString>("debit");
        QTest::addColumn<QString>("credit");
        QTest::addColumn<double>("width");
        // "-9.999.999.994,00": 13 signs and digits, four separators of half a character, plus one
        QTest::newRow("negative balance") << "5,00" << "9999999999,00" << 16.0;
        QTest::newRow("positive balance") << "9999999999,00" << "5,00" << 15.0;
    }
    void columnWidthFollowsWidestAmount()
    {
        QFETCH(QString, debit);
        QFETCH(QString, credit);
        QFETCH(double, width);
        Fixture f({{"01.10.2024", "31.10.2024", "a", debit, ""}, {"01.10.2024", "31.10.2024", "b", "", credit}});
        QCOMPARE(fittedColumnWidths(buildExportSheet(f.document))[1], width);
    }

    // Step 4: from another row the cursor moves to row 1 (recalculating
    // it); the workbook is handed to the opener, or a message names it.
    void exportMovesToFirstRowAndOpens()
    {
        Fixture f(WorkedExample);
        f.document.setCurrentCell(3, 2);
        // a change in row 1 shows only when row 1 is recalculated by the move
        f.document.ledger().setCell(1, ColDebit, QStringLiteral("20000"));
        QString opened;
        const QString path = exportToSpreadsheet(f.document, f.dialogs, [&](const QString &p) {
            opened = p;
            return true;
        });
        QCOMPARE(opened, path);
        QVERIFY(path.startsWith(QDir::tempPath()));
        QVERIFY(path.endsWith(QStringLiteral(".xlsx")));
        QCOMPARE(f.document.ledger().currentRow(), 1);
        QCOMPARE(f.document.ledger().cell(1, ColDebit), QStringLiteral("20.000,00"));
        const WorkbookSheet s = readWorkbook(path, Regional::turkish());
        QCOMPARE(at(s, "D4").number, 20000.0);
        QVERIFY(f.dialogs.shown.empty());
        QFile::remove(path);

        runGuarded(f.dialogs, [&] { exportToSpreadsheet(f.document, f.dialogs, [](const QString &) { return false; }); });
        QCOMPARE(f.dialogs.shown.size(), size_t(1));
        const QString message = f.dialogs.shown[0].text;
        const QString named = message.mid(message.indexOf(u'\r') + 1);
        QVERIFY2(QFile::exists(named), qPrintable(message));
        QFile::remove(named);
    }

    // The streamed form of a big ledger holds the same numbers, formulas
    // and formats (its inline texts are beyond this reader library).
    void constantMemoryModeKeepsNumbers()
    {
        Fixture f(WorkedExample);
        const QString file = m_dir.filePath("streamed.xlsx");
        writeExportWorkbook(buildExportSheet(f.document), file, WorkbookMemory::Constant);
        const WorkbookSheet s = readWorkbook(file, Regional::turkish());
        QCOMPARE(at(s, "D4").number, 10000.0);
        QCOMPARE(at(s, "D4").numberFormat, QStringLiteral("#,##0.00"));
        QCOMPARE(at(s, "F2").number, 24.0);
        QVERIFY(at(s, "F2").bold);
        QCOMPARE(at(s, "E10").formula, QStringLiteral("SUM(E4:E8)"));
        QVERIFY(at(s, "E10").bold);
        QCOMPARE(at(s, "E16").number, 389.59);
    }

    // Whatever the C library's locale, the stored numbers and sizes carry a
    // decimal point and the values the ledger shows.
    void storedNumbersUnderEveryProcessLocale_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<bool>("streamed");
        QTest::newRow("C") << QByteArray("C") << false;
        QTest::newRow("Turkish") << QByteArray("tr_TR.UTF-8") << false;
        QTest::newRow("Turkish, streamed") << QByteArray("tr_TR.UTF-8") << true;
        QTest::newRow("US English") << QByteArray("en_US.UTF-8") << false;
    }
    void storedNumbersUnderEveryProcessLocale()
    {
        QFETCH(QByteArray, locale);
        QFETCH(bool, streamed);
        KERVIO_SET_PROCESS_LOCALE(processLocale, locale);
        Fixture f(WorkedExample);
        const QString file = m_dir.filePath("locale.xlsx");
        writeExportWorkbook(buildExportSheet(f.document), file, streamed ? WorkbookMemory::Constant : WorkbookMemory::Normal);

        const test::SheetNumbers stored = test::sheetNumbers(test::xlsxPart(file, "xl/worksheets/sheet1.xml"));
        QVERIFY(stored.cells.size() > 20);
        QVERIFY(stored.sizes.contains(QStringLiteral("ht=15.75")));
        QVERIFY(stored.sizes.contains(QStringLiteral("left=0.7")));
        QCOMPARE(test::firstMalformedNumber(stored), QString());
        QCOMPARE(stored.cells.value("G4").toDouble(), 401.1);
        QCOMPARE(stored.cells.value("H5").toDouble(), -39.45);
        QCOMPARE(stored.cells.value("E16").toDouble(), 389.59);

        const WorkbookSheet s = readWorkbook(file, Regional::turkish());
        QCOMPARE(at(s, "G4").number, 401.1);
        QCOMPARE(at(s, "E16").number, 389.59);
    }

    // Amounts of any size keep all their digits in the ledger and reach the
    // workbook as the numbers shown.
    void hugeAmounts()
    {
        Fixture f({{"01.10.2024", "31.10.2024", "Büyük", "1000000000000000000", ""},
                   {"01.10.2024", "31.10.2024", "Daha büyük", "", "123456789012345678901"}});
        const LedgerTable &L = f.document.ledger();
        QCOMPARE(L.cell(1, ColDebit), QStringLiteral("1.000.000.000.000.000.000,00"));
        QCOMPARE(L.cell(1, ColDebitAdat), QStringLiteral("-61.000.000.000.000.000.000,00"));
        QCOMPARE(L.cell(2, ColCredit), QStringLiteral("123.456.789.012.346.000.000,00"));
        for (int col : {ColDebitAdat, ColDebitDiff, ColCreditAdat, ColCreditDiff})
            QVERIFY2(!L.cell(1, col).contains(u'E') && !L.cell(2, col).contains(u'E'), qPrintable(L.cell(1, col)));
        QCOMPARE(f.document.summary().text(Summary::DebitTotal), QStringLiteral("1.000.000.000.000.000.000,00"));

        const QString file = m_dir.filePath("huge.xlsx");
        writeExportWorkbook(buildExportSheet(f.document), file);
        const test::SheetNumbers stored = test::sheetNumbers(test::xlsxPart(file, "xl/worksheets/sheet1.xml"));
        QCOMPARE(stored.cells.value("D4").toDouble(), 1e18);
        QCOMPARE(stored.cells.value("E5").toDouble(), 123456789012346000000.0);
    }

    // The export's files carry the process id: those of a run that was killed
    // go at the next start, those of running processes stay.
    void staleFilesOfEndedRunsGo()
    {
        const TemporaryFolder temp(m_dir.filePath(QStringLiteral("tmp-stale")));
        QProcess ended;
        ended.start(QStringLiteral("/bin/true"));
        QVERIFY(ended.waitForStarted());
        const qint64 endedPid = ended.processId();
        QVERIFY(ended.waitForFinished());
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(running.waitForStarted());
        const QString dead = QString::number(endedPid), alive = QString::number(running.processId());
        const QDir t(temp.path);
        QVERIFY(t.mkpath(QStringLiteral("kervio-disari-") + dead + QStringLiteral("-a1B2c3/workbook")));
        QVERIFY(t.mkpath(QStringLiteral("kervio-disari-") + alive + QStringLiteral("-a1B2c3")));
        for (const QString &name : {QStringLiteral("Kervio-") + dead + QStringLiteral("-x1Y2z3.xlsx"),
                                    QStringLiteral("Kervio-") + alive + QStringLiteral("-x1Y2z3.xlsx"),
                                    QStringLiteral("Kervio-x1Y2z3.xlsx"), QStringLiteral("kervio-disari-notlar.txt")}) {
            QFile f(t.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(removeStaleExportFiles(), 2);
        running.kill();
        running.waitForFinished();
        QStringList left = t.entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
        left.sort();
        QStringList expected = {QStringLiteral("Kervio-") + alive + QStringLiteral("-x1Y2z3.xlsx"), QStringLiteral("Kervio-x1Y2z3.xlsx"),
                                QStringLiteral("kervio-disari-") + alive + QStringLiteral("-a1B2c3"),
                                QStringLiteral("kervio-disari-notlar.txt")};
        expected.sort();
        QCOMPARE(left, expected);
    }

    // The handed workbook stays until the next export; a failed export
    // leaves no staging folder and nothing of the writer library on
    // standard error.
    void exportLeavesOnlyTheHandedWorkbook()
    {
        const TemporaryFolder temp(m_dir.filePath(QStringLiteral("tmp-export")));
        Fixture f(WorkedExample);
        const auto opened = [](const QString &) { return true; };
        const QString first = exportToSpreadsheet(f.document, f.dialogs, opened);
        QVERIFY(QFileInfo(first).fileName().startsWith(QStringLiteral("Kervio-%1-").arg(QCoreApplication::applicationPid())));
        const QString second = exportToSpreadsheet(f.document, f.dialogs, opened);
        QVERIFY(!QFile::exists(first));
        QCOMPARE(QDir(temp.path).entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(second).fileName()});

        // a disk that fills up while the workbook is packed
        const QString errors = m_dir.filePath(QStringLiteral("stderr.txt"));
        const int saved = ::dup(STDERR_FILENO);
        const int file = ::open(QFile::encodeName(errors).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, STDERR_FILENO);
        bool failed = false;
        {
            const FileSizeLimit full(2000);
            try {
                writeExportWorkbook(buildExportSheet(f.document), m_dir.filePath(QStringLiteral("dolu.xlsx")));
            } catch (const KervioError &) {
                failed = true;
            }
        }
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        ::close(file);
        QVERIFY(failed);
        QFile log(errors);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray());
        QCOMPARE(QDir(temp.path).entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(second).fileName()});
    }

    void unwritableTargetRaises()
    {
        Fixture f(WorkedExample);
        const QString target = m_dir.filePath("no/such/folder/book.xlsx");
        try {
            writeExportWorkbook(buildExportSheet(f.document), target);
            QFAIL("no error");
        } catch (const KervioError &e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("Unable to write to ")), qPrintable(e.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
