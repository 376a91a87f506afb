#include "report/reportfixture.h"
#include "report/reporttext.h"

#include <QtTest>

using namespace kervio;
using namespace kervio::test;

Q_DECLARE_METATYPE(kervio::ReportTable)

class TestReportText : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data();
    void workedExample();
    void headerObjects();
    void cellEdgeCases_data();
    void cellEdgeCases();
    void graceSentence_data();
    void graceSentence();
    void headerFollowsColumnTitles();
    void netDifferencePicture_data();
    void netDifferencePicture();
    void secondPrintReplacesOnlyTheTable();
    void regionalSeparators();
};

void TestReportText::workedExample_data()
{
    QTest::addColumn<ReportTable>("table");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("totals");
    QTest::newRow("split") << ReportTable::Split
        << "    Vade Tarihi    Borç Tutarı  Alacak Tutarı     Gün   B.Vade Farkı   A.Vade Farkı"
        << QStringList{
               "1    31.10.2024      10.000,00                    -61         401,10               ",
               "2    15.01.2025                      4.000,00      15                        -39,45",
               "3    30.11.2024                      2.500,00     -31                         50,96",
               "4                                                                                  ",
           }
        << "        TOPLAM       10.000,00       6.500,00    -169         401,10          11,51 ";
    QTest::newRow("net") << ReportTable::Net
        << "    Vade Tarihi Açıklama                     Borç Tutarı  Alacak Tutarı  Gün     Vade Farkı"
        << QStringList{
               "1    31.10.2024 Fatura                         10.000,00                 -61         401,10",
               "2    15.01.2025 Tahsilat                                       4.000,00   15          39,45",
               "3    30.11.2024 Çek                                            2.500,00  -31         -50,96",
               "4                                                                                       ,00",
           }
        << "                                  TOPLAM       10.000,00       6.500,00 -169         389,59 ";
}

void TestReportText::workedExample()
{
    QFETCH(ReportTable, table);
    QFETCH(QString, header);
    QFETCH(QStringList, entries);
    QFETCH(QString, totals);

    ReportFixture f;
    QVERIFY(f.print(table));
    QVERIFY(f.dialogs.shown.empty());
    QCOMPARE(f.shown, 1);
    QCOMPARE(f.object(TemplateObject::ColumnHeader), QStringList{header});

    QStringList expected = entries;
    expected << QString() << totals;
    expected << QString() << "Bakiye         :        3.500,00"
             << "Net Vade Farkı :          389,59" << QString()
             << "Genel Ortalama Vadesi : 15.07.2024" << "Genel Ortalama Gün    : -169" << QString()
             << "Borç Ortalama Vadesi  : 31.10.2024" << "Borç Ortalama Gün     : -61" << QString()
             << "Alacak Ortalama Vadesi: 28.12.2024" << "Alacak Ortalama Gün   : -3" << QString();
    QCOMPARE(f.lines(), expected);

    // the body goes to the template's body object in the body's font
    const ReportObject *rich = f.host.reportTemplate.findObject("BODY");
    QVERIFY(rich);
    QCOMPARE(rich->lines, expected);
    QCOMPARE(rich->font.family, QStringLiteral("Courier New"));
    QCOMPARE(rich->font.pointSize, 8.0);
    QCOMPARE(f.host.reportTemplate.title, QStringLiteral("Kavrel Rapor Önizleme - Vade farkı raporu"));
}

void TestReportText::headerObjects()
{
    ReportFixture f;
    f.document.params().setDebitWeekend(true);
    f.document.params().setText(Parameters::CreditGrace, QStringLiteral("3"));
    QVERIFY(f.print(ReportTable::Split));
    QCOMPARE(f.object(TemplateObject::TitleLine), QStringList{"Kavrel Kervio 2.0 Güncelleme:0 Rapor Dökümü"});
    QCOMPARE(f.object(QLatin1String("companyline")), QStringList{"İşlem Yapılan Firma : Örnek Ticaret A.Ş."});
    QCOMPARE(f.object(TemplateObject::DateLine), QStringList{"İşlem Tarihi        : 31.12.2024"});
    QCOMPARE(f.object(TemplateObject::RatesLine), QStringList{"Yıldaki Gün: 365 Yıllık Faiz: 24 Aylık Faiz: 2"});
    QCOMPARE(f.object(TemplateObject::GraceLine),
             QStringList{"Alacaklara 3, Borçlara 0 Gün eklendi. Cumartesi Pazar Borçlara Eklendi, Alacaklara Eklenmedi."});

    namespace O = TemplateObject;
    const ReportFont bodyFont = f.host.body.font();
    for (QLatin1String name : {O::ColumnHeader, O::CompanyLine, O::DateLine, O::RatesLine, O::GraceLine})
        QCOMPARE(f.host.reportTemplate.findObject(name)->font, bodyFont);
    const ReportFont title = f.host.reportTemplate.findObject(O::TitleLine)->font;
    QCOMPARE(title.family, QStringLiteral("Times New Roman Tur"));
    QVERIFY(title.bold);
    QCOMPARE(title.pointSize, 12.0);
}

void TestReportText::cellEdgeCases_data()
{
    QTest::addColumn<ReportTable>("table");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("debit");
    QTest::addColumn<QString>("line");
    // 16 and 17 characters print whole and push the rest right; 18 lose the tail
    QTest::newRow("16 chars") << ReportTable::Split << "1" << "" << "1.234.567.890,12"
                              << "1    31.10.20241.234.567.890,12                    -61           1,00               ";
    QTest::newRow("17 chars") << ReportTable::Split << "1" << "" << "12.345.678.901,23"
                              << "1    31.10.202412.345.678.901,23                    -61           1,00               ";
    QTest::newRow("18 chars") << ReportTable::Split << "1" << "" << "123.456.789.012,34"
                              << "1    31.10.2024123.456.789.012,3                    -61           1,00               ";
    QTest::newRow("long description") << ReportTable::Net << "1" << "Bu açıklama yirmi beş karakterden uzun" << "5,00"
                                      << "1    31.10.2024 Bu açıklama yirmi beş kar           5,00                 -61           1,00";
    QTest::newRow("short description") << ReportTable::Net << "1" << "Kira" << "5,00"
                                       << "1    31.10.2024 Kira                                5,00                 -61           1,00";
    QTest::newRow("four-digit row") << ReportTable::Split << "1000" << "" << "5,00"
                                    << "1000  31.10.2024           5,00                    -61           1,00               ";
}

void TestReportText::cellEdgeCases()
{
    QFETCH(ReportTable, table);
    QFETCH(QString, number);
    QFETCH(QString, description);
    QFETCH(QString, debit);
    QFETCH(QString, line);
    LedgerTable t(Regional::turkish());
    t.setCell(1, ColNumber, number);
    t.setCell(1, ColDueDate, "31.10.2024");
    t.setCell(1, ColDescription, description);
    t.setCell(1, ColDebit, debit);
    t.setCell(1, ColDays, "-61");
    t.setCell(1, ColDebitDiff, "1,00");
    QCOMPARE(tableLine(table, t, 1), line);
}

void TestReportText::graceSentence_data()
{
    QTest::addColumn<bool>("debit");
    QTest::addColumn<bool>("credit");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("both clear") << false << false
                                << "Alacaklara 3, Borçlara 0 Gün eklendi. Cumartesi Pazar Borçlara Eklenmedi, Alacaklara Eklenmedi.";
    QTest::newRow("debit") << true << false
                           << "Alacaklara 3, Borçlara 0 Gün eklendi. Cumartesi Pazar Borçlara Eklendi, Alacaklara Eklenmedi.";
    QTest::newRow("credit") << false << true
                            << "Alacaklara 3, Borçlara 0 Gün eklendi. Cumartesi Pazar Borçlara Eklenmedi, Alacaklara Eklendi.";
    QTest::newRow("both") << true << true
                          << "Alacaklara 3, Borçlara 0 Gün eklendi. Cumartesi Pazar Borçlara Eklendi, Alacaklara Eklendi.";
}

void TestReportText::graceSentence()
{
    QFETCH(bool, debit);
    QFETCH(bool, credit);
    QFETCH(QString, sentence);
    Parameters p(Regional::turkish());
    p.setText(Parameters::CreditGrace, "3");
    p.setText(Parameters::DebitGrace, "0");
    p.setDebitWeekend(debit);
    p.setCreditWeekend(credit);
    QCOMPARE(kervio::graceSentence(p), sentence);
}

void TestReportText::headerFollowsColumnTitles()
{
    LedgerTable t(Regional::turkish());
    QVERIFY(tableLine(ReportTable::Split, t, 0).startsWith("    Vade Tarihi"));
    t.setCell(0, ColDueDate, "Vade");
    t.setCell(0, ColNumber, "No");
    QVERIFY(tableLine(ReportTable::Split, t, 0).startsWith("No         Vade    Borç Tutarı"));
    QVERIFY(tableLine(ReportTable::Net, t, 0).endsWith("     Vade Farkı"));
}

void TestReportText::netDifferencePicture_data()
{
    QTest::addColumn<QString>("debitDiff");
    QTest::addColumn<QString>("creditDiff");
    QTest::addColumn<QString>("net");
    QTest::newRow("thousands") << "1.234,50" << "" << "1.234,50";
    QTest::newRow("negative") << "" << "1.234,50" << "-1.234,50";
    QTest::newRow("below one") << "0,50" << "" << ",50";
    QTest::newRow("zero") << "" << "" << ",00";
    QTest::newRow("both") << "401,10" << "11,51" << "389,59";
    QTest::newRow("beyond 10^18") << "3.350.000.000.000.000.000,00" << "" << "3.350.000.000.000.000.000,00";
}

void TestReportText::netDifferencePicture()
{
    QFETCH(QString, debitDiff);
    QFETCH(QString, creditDiff);
    QFETCH(QString, net);
    LedgerTable t(Regional::turkish());
    t.setCell(1, ColDebitDiff, debitDiff);
    t.setCell(1, ColCreditDiff, creditDiff);
    QCOMPARE(netDifferenceText(t, 1), net);
}

void TestReportText::secondPrintReplacesOnlyTheTable()
{
    ReportFixture f;
    QVERIFY(f.print(ReportTable::Split));
    const QStringList firstSplit = f.lines();
    const QStringList firstHeader = f.object(TemplateObject::ColumnHeader);
    QVERIFY(f.print(ReportTable::Split));
    QCOMPARE(f.lines(), firstSplit); // the same report twice

    QVERIFY(f.print(ReportTable::Net));
    const QStringList net = f.lines();
    QVERIFY(f.object(TemplateObject::ColumnHeader) != firstHeader);
    QVERIFY(f.print(ReportTable::Split));
    QCOMPARE(f.lines(), firstSplit);
    QCOMPARE(f.object(TemplateObject::ColumnHeader), firstHeader);
    // the summary block (the last 13 lines) is common to both tables
    QCOMPARE(net.mid(net.size() - 13), firstSplit.mid(firstSplit.size() - 13));
}

void TestReportText::regionalSeparators()
{
    // dates follow the regional date separator, amounts the cells as they are
    Regional reg;
    reg.date = u'/';
    reg.decimal = u'.';
    reg.thousands = u',';
    Document s(reg);
    s.params().setCalculationDate(QDate(2012, 12, 31));
    s.summary().setDate(Summary::OverallDate, QDate(2013, 1, 2));
    ReportBody body;
    ReportTemplate tmpl = ReportTemplate::standard();
    buildReport(ReportTable::Net, s.ledger(), s.params(), s.summary(), reg, body, tmpl);
    QCOMPARE(tmpl.findObject(TemplateObject::DateLine)->lines, QStringList{"İşlem Tarihi        : 31/12/2012"});
    QVERIFY(body.lines().contains("Genel Ortalama Vadesi : 02/01/2013"));
    QVERIFY(body.lines().first().endsWith("            .00"));
}

QTEST_MAIN(TestReportText)
#include "tst_reporttext.moc"
