#include "report/previewlayout.h"

#include <QtTest>

using namespace kervio;

Q_DECLARE_METATYPE(kervio::PreviewZoom)

namespace {

const QSizeF A4(210, 297);
constexpr double Dpi = 96;
constexpr int Gap = PreviewLayout::Gap;

PreviewZoom percent(int p)
{
    return {ZoomMode::Percent, p};
}

PreviewZoom fit(ZoomMode mode)
{
    return {mode, 100};
}

} // namespace

class TestPreviewLayout : public QObject {
    Q_OBJECT
private slots:
    void scale_data();
    void scale();
    void pagePlaces_data();
    void pagePlaces();
    void currentPage_data();
    void currentPage();
    void stepsAndEnds();
    void scrollToShow_data();
    void scrollToShow();
    void zoomChoices();
};

void TestPreviewLayout::scale_data()
{
    QTest::addColumn<PreviewZoom>("zoom");
    QTest::addColumn<QSize>("viewport");
    QTest::addColumn<double>("pxPerMm");
    QTest::addColumn<int>("percent");
    // 100 per cent is the screen's pixels per inch: 96 / 25.4 pixels a millimetre
    QTest::newRow("100%") << percent(100) << QSize(800, 600) << 96 / 25.4 << 100;
    QTest::newRow("50%") << percent(50) << QSize(800, 600) << 48 / 25.4 << 50;
    QTest::newRow("page width") << fit(ZoomMode::PageWidth) << QSize(2120, 600) << 10.0 << 265;
    QTest::newRow("whole page, height decides") << fit(ZoomMode::WholePage) << QSize(2000, 317) << 1.0 << 26;
    QTest::newRow("whole page, width decides") << fit(ZoomMode::WholePage) << QSize(230, 2000) << 1.0 << 26;
    QTest::newRow("two pages") << fit(ZoomMode::TwoPages) << QSize(450, 2000) << 1.0 << 26;
    QTest::newRow("never below 0.05") << fit(ZoomMode::PageWidth) << QSize(10, 10) << 0.05 << 1;
}

void TestPreviewLayout::scale()
{
    QFETCH(PreviewZoom, zoom);
    QFETCH(QSize, viewport);
    QFETCH(double, pxPerMm);
    QFETCH(int, percent);
    const PreviewLayout l(A4, 3, zoom, viewport, Dpi);
    QCOMPARE(l.pxPerMm(), pxPerMm);
    QCOMPARE(l.effectivePercent(), percent);
}

void TestPreviewLayout::pagePlaces_data()
{
    QTest::addColumn<PreviewZoom>("zoom");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("page");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QSizeF>("content");
    // at a scale of 1: pages of 210 × 297 pixels in a viewport 1000 wide
    QTest::newRow("one column, centred") << fit(ZoomMode::WholePage) << 3 << 0 << QRectF(395, Gap, 210, 297)
                                         << QSizeF(210 + 2 * Gap, 3 * (297 + Gap) + Gap);
    QTest::newRow("one column, third page") << fit(ZoomMode::WholePage) << 3 << 2
                                            << QRectF(395, Gap + 2 * (297 + Gap), 210, 297)
                                            << QSizeF(210 + 2 * Gap, 3 * (297 + Gap) + Gap);
    QTest::newRow("two pages, left") << fit(ZoomMode::TwoPages) << 3 << 0 << QRectF(285, Gap, 210, 297)
                                     << QSizeF(2 * 210 + 3 * Gap, 2 * (297 + Gap) + Gap);
    QTest::newRow("two pages, right") << fit(ZoomMode::TwoPages) << 3 << 1 << QRectF(505, Gap, 210, 297)
                                      << QSizeF(2 * 210 + 3 * Gap, 2 * (297 + Gap) + Gap);
    QTest::newRow("two pages, next row") << fit(ZoomMode::TwoPages) << 3 << 2
                                         << QRectF(285, Gap + 297 + Gap, 210, 297)
                                         << QSizeF(2 * 210 + 3 * Gap, 2 * (297 + Gap) + Gap);
}

void TestPreviewLayout::pagePlaces()
{
    QFETCH(PreviewZoom, zoom);
    QFETCH(int, pages);
    QFETCH(int, page);
    QFETCH(QRectF, rect);
    QFETCH(QSizeF, content);
    // the height decides a scale of exactly 1
    const PreviewLayout l(A4, pages, zoom, QSize(1000, 297 + 2 * Gap), Dpi);
    QCOMPARE(l.pxPerMm(), 1.0);
    QCOMPARE(l.pageRect(page), rect);
    QCOMPARE(l.contentSize(), content);
    QCOMPARE(l.scrollTopOf(page), int(rect.top()) - Gap);
}

void TestPreviewLayout::currentPage_data()
{
    QTest::addColumn<PreviewZoom>("zoom");
    QTest::addColumn<QSize>("viewport");
    QTest::addColumn<int>("scrollTop");
    QTest::addColumn<int>("page");
    // rows of pages 307 pixels apart; where the viewport is 317 high, the
    // probe lies 105.7 below the scroll position
    const QSize fits(1000, 297 + 2 * Gap), tall(210 + 2 * Gap, 1000);
    QTest::newRow("top") << fit(ZoomMode::WholePage) << fits << 0 << 0;
    QTest::newRow("next page just below the probe") << fit(ZoomMode::WholePage) << fits << 201 << 0;
    QTest::newRow("next page above the probe") << fit(ZoomMode::WholePage) << fits << 202 << 1;
    QTest::newRow("last page") << fit(ZoomMode::WholePage) << fits << 5000 << 4;
    QTest::newRow("two pages: the left one of the pair") << fit(ZoomMode::TwoPages) << fits << 202 << 2;
    // pages smaller than a third of the viewport: the content is 1545 high
    QTest::newRow("small pages: the first at the top") << fit(ZoomMode::WholePage) << tall << 0 << 0;
    QTest::newRow("small pages: probe at half a page") << fit(ZoomMode::WholePage) << tall << 160 << 1;
    QTest::newRow("small pages: the last at the bottom") << fit(ZoomMode::WholePage) << tall << 545 << 4;
}

void TestPreviewLayout::currentPage()
{
    QFETCH(PreviewZoom, zoom);
    QFETCH(QSize, viewport);
    QFETCH(int, scrollTop);
    QFETCH(int, page);
    const PreviewLayout l(A4, 5, zoom, viewport, Dpi);
    QCOMPARE(l.pxPerMm(), 1.0);
    QCOMPARE(l.pageAt(scrollTop), page);
}

void TestPreviewLayout::stepsAndEnds()
{
    const PreviewLayout one(A4, 5, fit(ZoomMode::WholePage), QSize(800, 600), Dpi);
    QCOMPARE(one.pagesPerStep(), 1);
    QVERIFY(one.hasPageAfter(3));
    QVERIFY(!one.hasPageAfter(4));
    QCOMPARE(one.clampPage(-1), 0);
    QCOMPARE(one.clampPage(9), 4);

    const PreviewLayout two(A4, 5, fit(ZoomMode::TwoPages), QSize(800, 600), Dpi);
    QCOMPARE(two.pagesPerStep(), 2);
    QVERIFY(two.hasPageAfter(2));
    QVERIFY(!two.hasPageAfter(3));
    QVERIFY(!two.hasPageAfter(4));

    const PreviewLayout none(A4, 0, percent(100), QSize(800, 600), Dpi);
    QCOMPARE(none.clampPage(3), 0);
    QCOMPARE(none.pageAt(0), 0);
}

void TestPreviewLayout::scrollToShow_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QPoint>("scroll");
    QTest::addColumn<QPoint>("expected");
    // a viewport of 400 × 300
    QTest::newRow("visible: unchanged") << QRectF(50, 50, 100, 20) << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("below: centred vertically") << QRectF(50, 1000, 100, 20) << QPoint(0, 0) << QPoint(0, 860);
    QTest::newRow("above: centred vertically") << QRectF(50, 100, 100, 20) << QPoint(0, 500) << QPoint(0, -40);
    QTest::newRow("to the right: its left edge less the gap") << QRectF(900, 50, 100, 20) << QPoint(0, 0)
                                                              << QPoint(890, 0);
}

void TestPreviewLayout::scrollToShow()
{
    QFETCH(QRectF, rect);
    QFETCH(QPoint, scroll);
    QFETCH(QPoint, expected);
    const PreviewLayout l(A4, 10, percent(100), QSize(400, 300), Dpi);
    QCOMPARE(l.scrollToShow(rect, scroll), expected);
}

void TestPreviewLayout::zoomChoices()
{
    // a fitting mode is the same menu entry whatever its percent
    QVERIFY((PreviewZoom{ZoomMode::PageWidth, 37}).sameChoice(fit(ZoomMode::PageWidth)));
    QVERIFY(!fit(ZoomMode::PageWidth).sameChoice(fit(ZoomMode::WholePage)));
    QVERIFY(percent(75).sameChoice(percent(75)));
    QVERIFY(!percent(75).sameChoice(percent(50)));
}

QTEST_GUILESS_MAIN(TestPreviewLayout)
#include "tst_previewlayout.moc"
