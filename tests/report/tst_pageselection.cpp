#include "report/pageselection.h"

#include <QtTest>

using namespace kervio;

Q_DECLARE_METATYPE(kervio::PageChoice)

class TestPageSelection : public QObject {
    Q_OBJECT
private slots:
    void pagesToPrint_data();
    void pagesToPrint();
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

QTEST_GUILESS_MAIN(TestPageSelection)
#include "tst_pageselection.moc"
