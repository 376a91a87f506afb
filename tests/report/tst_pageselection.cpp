#include "report/pageselection.h"

#include <QtTest>

using namespace kervio;

Q_DECLARE_METATYPE(kervio::PageChoice)

class TestPageSelection : public QObject {
    Q_OBJECT
private slots:
    void pagesToPrint_data();
    void pagesToPrint();
    void parsePageList_data();
    void parsePageList();
    void printSequence_data();
    void printSequence();
};

void TestPageSelection::pagesToPrint_data()
{
    QTest::addColumn<PageChoice>("choice");
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("pages");
    // four pages; the current one is the second
    QTest::newRow("all") << PageChoice::AllPages << "" << 1 << QList<int>{0, 1, 2, 3};
    QTest::newRow("current") << PageChoice::CurrentPage << "" << 1 << QList<int>{1};
    QTest::newRow("current beyond the end") << PageChoice::CurrentPage << "" << 4 << QList<int>{};
    QTest::newRow("list") << PageChoice::PageRanges << "1,3-4" << 1 << QList<int>{0, 2, 3};
    QTest::newRow("range beyond the end") << PageChoice::PageRanges << "4-12" << 1 << QList<int>{3};
    QTest::newRow("range wholly beyond the end") << PageChoice::PageRanges << "7-9" << 1 << QList<int>{};
    QTest::newRow("no ranges") << PageChoice::PageRanges << "" << 1 << QList<int>{};
}

void TestPageSelection::pagesToPrint()
{
    QFETCH(PageChoice, choice);
    QFETCH(QString, ranges);
    QFETCH(int, current);
    QFETCH(QList<int>, pages);
    const std::vector<int> got = kervio::pagesToPrint(choice, QPageRanges::fromString(ranges), current, 4);
    QCOMPARE(QList<int>(got.begin(), got.end()), pages);
}

void TestPageSelection::parsePageList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ranges"); // empty: refused
    QTest::newRow("one page") << "2" << "2";
    QTest::newRow("pages and ranges") << "1,3,5-12" << "1,3,5-12";
    QTest::newRow("blanks everywhere") << " 1 , 3 ,5 - 12 " << "1,3,5-12";
    QTest::newRow("out of order") << "5-7,1" << "1,5-7";
    QTest::newRow("overlapping") << "1-4,3-6" << "1-6";
    QTest::newRow("a range of one page") << "4-4" << "4";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("only blanks") << "  " << "";
    QTest::newRow("backwards") << "7-5" << "";
    QTest::newRow("page zero") << "0,2" << "";
    QTest::newRow("empty item") << "1,,3" << "";
    QTest::newRow("trailing comma") << "1,3," << "";
    QTest::newRow("open range") << "8-" << "";
    QTest::newRow("two dashes") << "1-3-5" << "";
    QTest::newRow("negative") << "-2" << "";
    QTest::newRow("letters") << "bir" << "";
    QTest::newRow("semicolon") << "1;3" << "";
    QTest::newRow("too large") << "99999999999" << "";
}

void TestPageSelection::parsePageList()
{
    QFETCH(QString, text);
    QFETCH(QString, ranges);
    const std::optional<QPageRanges> got = kervio::parsePageList(text);
    QCOMPARE(got ? got->toString() : QString(), ranges);
}

void TestPageSelection::printSequence_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<QList<int>>("sequence");
    // the pages 0, 2, 3 chosen
    QTest::newRow("once") << 1 << true << false << QList<int>{0, 2, 3};
    QTest::newRow("reverse") << 1 << true << true << QList<int>{3, 2, 0};
    QTest::newRow("two collated") << 2 << true << false << QList<int>{0, 2, 3, 0, 2, 3};
    QTest::newRow("two not collated") << 2 << false << false << QList<int>{0, 0, 2, 2, 3, 3};
    QTest::newRow("two collated reversed") << 2 << true << true << QList<int>{3, 2, 0, 3, 2, 0};
    QTest::newRow("two not collated reversed") << 2 << false << true << QList<int>{3, 3, 2, 2, 0, 0};
    QTest::newRow("no copies counts as one") << 0 << true << false << QList<int>{0, 2, 3};
}

void TestPageSelection::printSequence()
{
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, reverse);
    QFETCH(QList<int>, sequence);
    const std::vector<int> got = kervio::printSequence({0, 2, 3}, PrintOrder{copies, collate, reverse});
    QCOMPARE(QList<int>(got.begin(), got.end()), sequence);
}

QTEST_GUILESS_MAIN(TestPageSelection)
#include "tst_pageselection.moc"
