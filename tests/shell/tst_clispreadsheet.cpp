#include "common/xlsxparts.h"
#include "files/settings.h"
#include "ledger/textfuncs.h"
#include "core/appinfo.h"
#include "shell/cli.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/workbookreader.h"

#include <QtTest>

using namespace kervio;

class TestCliSpreadsheet : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    static int run(const QStringList &args) { return CommandLine(QStringList{"kervio"} + args).run(); }

    // The command line works with the system's separators: the files of
    // these tests are written in them.
    const Regional m_reg = Regional::system();
    QString date(int y, int m, int d) const { return dateToText(QDate(y, m, d), m_reg); }
    QString amount(double v) const { return formatAmount(v, m_reg); }

private slots:
    void exportWritesTheSheet()
    {
        ScriptedDialogs dialogs;
        Session s(m_reg, &dialogs);
        s.params().setText(Parameters::Company, "Firma");
        s.params().setCalculationDate(QDate(2024, 12, 31));
        s.params().setText(Parameters::DaysInYear, "365");
        s.params().setText(Parameters::YearlyRate, "24");
        s.ledger().setGridRowCount(3);
        s.ledger().setCell(1, ColTransactionDate, date(2024, 10, 1));
        s.ledger().setCell(1, ColDueDate, date(2024, 10, 31));
        s.ledger().setCell(1, ColDebit, amount(10000));
        s.ledger().renumber();
        QVERIFY(s.guarded([&] { s.recalculateAll(); s.saveLedgerFile(path("in.krv")); }));

        QCOMPARE(run({"--export", path("in.krv"), "--xlsx", path("out.xlsx")}), 0);
        const WorkbookSheet sheet = readWorkbook(path("out.xlsx"), m_reg);
        QCOMPARE(sheet.at(0, 0).text, QStringLiteral("İşlem Yapılan Firma : Firma"));
        QCOMPARE(sheet.at(3, 3).number, 10000.0);
        QCOMPARE(sheet.at(3, 6).number, 401.10);
        QCOMPARE(test::sheetNumbers(test::xlsxPart(path("out.xlsx"), "xl/worksheets/sheet1.xml")).cells.value("G4"),
                 QStringLiteral("401.1"));

        QCOMPARE(run({"--export", path("missing.krv"), "--xlsx", path("x.xlsx")}), 2);
        QCOMPARE(run({"--export", path("in.krv"), "--xlsx", path("no/folder/x.xlsx")}), 3);
    }

    void importBuildsALedger()
    {
        QFile csv(path("book.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(("Vade;Açıklama;Borç;Alacak\n" + date(2024, 10, 31) + ";Fatura;" + amount(1000.5) + ";\n" +
                   date(2024, 11, 30) + ";Tahsilat;;250\n")
                      .toUtf8());
        csv.close();
        // a fresh program takes its parameters from the settings beside it
        const QString ini = executableFolder() + QStringLiteral("Ayarlar.ini");
        QVERIFY(!QFile::exists(ini));
        RateSettings rates;
        rates.daysInYear = "365";
        rates.yearlyRate = "24";
        rates.monthlyRate = "2";
        writeRateSettings(ini, rates);
        struct Remove {
            QString p;
            ~Remove() { QFile::remove(p); }
        } remove{ini};
        // a key left out counts as empty: no transaction date column
        QCOMPARE(run({"--import", path("book.csv"), "--mapping", "vade=1,aciklama=2,borc=3,alacak=4,basla=2,bitir=3",
                      "--output", path("out.krv")}),
                 0);
        ScriptedDialogs dialogs;
        Session s(m_reg, &dialogs);
        QVERIFY(s.loadLedgerFile(path("out.krv")));
        QCOMPARE(s.ledger().cell(1, ColDueDate), date(2024, 10, 31));
        QCOMPARE(s.ledger().cell(1, ColTransactionDate), date(2024, 10, 31));
        QCOMPARE(s.ledger().cell(1, ColDebit), amount(1000.5));
        QCOMPARE(s.ledger().cell(2, ColCredit), amount(250));
        QCOMPARE(s.ledger().cell(2, ColDescription), QStringLiteral("Tahsilat"));

        // a required key left out is refused with its message
        QCOMPARE(run({"--import", path("book.csv"), "--mapping", "vade=1,borc=3,basla=2,bitir=3", "--output", path("x.krv")}), 2);
        QVERIFY(!QFile::exists(path("x.krv")));
        QCOMPARE(run({"--import", path("nothing.xlsx"), "--mapping", "vade=1", "--output", path("x.krv")}), 2);
        QCOMPARE(run({"--import", path("book.csv"), "--mapping", "renk=1", "--output", path("x.krv")}), 64);
        QCOMPARE(run({"--import", path("book.csv"), "--output", path("x.krv")}), 64);
    }
};

QTEST_GUILESS_MAIN(TestCliSpreadsheet)
#include "tst_clispreadsheet.moc"
