#include "report/reportsearch.h"

#include <QtTest>

using namespace kervio;

Q_DECLARE_METATYPE(std::optional<kervio::SearchHit>)

namespace {

DrawItem text(const QString &t, quint32 alignment = Qt::AlignLeft)
{
    DrawItem item;
    item.kind = DrawItem::Text;
    item.rect = QRectF(20, 30, 100, 4);
    item.text = t;
    item.font = ReportFont{QStringLiteral("Courier New"), 10};
    item.alignment = alignment;
    return item;
}

DrawItem rule()
{
    DrawItem item;
    item.kind = DrawItem::Rule;
    item.rect = QRectF(10, 10, 100, 0);
    item.penWidth = 0.3;
    return item;
}

// Page 0: a rule, "Fatura 1 fatura", "Tahsilat"; page 1: "Sayfa 2";
// page 2: a rule, "FATURA 3".
ComposedReport threePages()
{
    ComposedReport r;
    r.pages.resize(3);
    r.pages[0].items = {rule(), text("Fatura 1 fatura"), text("Tahsilat")};
    r.pages[1].items = {text("Sayfa 2")};
    r.pages[2].items = {rule(), text("FATURA 3")};
    return r;
}

std::optional<SearchHit> hit(int page, int item, int position, int length)
{
    return SearchHit{page, item, position, length};
}

} // namespace

class TestReportSearch : public QObject {
    Q_OBJECT
private slots:
    void findNextMatch_data();
    void findNextMatch();
    void everyMatchOnceThenAgain();
    void turkishLetterCase_data();
    void turkishLetterCase();
    void matchRectFollowsAlignment_data();
    void matchRectFollowsAlignment();
};

void TestReportSearch::findNextMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<SearchHit>>("previous");
    QTest::addColumn<int>("startPage");
    QTest::addColumn<std::optional<SearchHit>>("expected");
    QTest::addColumn<bool>("wrapped");
    const std::optional<SearchHit> none;
    QTest::newRow("from the top, rules skipped") << "fatura" << none << 0 << hit(0, 1, 0, 6) << false;
    QTest::newRow("letter case ignored") << "TAHSILAT" << none << 0 << hit(0, 2, 0, 8) << false;
    QTest::newRow("again in the same line") << "fatura" << hit(0, 1, 0, 6) << 0 << hit(0, 1, 9, 6) << false;
    QTest::newRow("on to a later page") << "fatura" << hit(0, 1, 9, 6) << 0 << hit(2, 1, 0, 6) << false;
    QTest::newRow("after the last one: the first again") << "fatura" << hit(2, 1, 0, 6) << 0 << hit(0, 1, 0, 6)
                                                         << true;
    QTest::newRow("from the current page") << "fatura" << none << 1 << hit(2, 1, 0, 6) << false;
    QTest::newRow("earlier pages after the last") << "tahsilat" << none << 1 << hit(0, 2, 0, 8) << true;
    QTest::newRow("the only one, found again") << "sayfa" << hit(1, 0, 0, 5) << 0 << hit(1, 0, 0, 5) << true;
    QTest::newRow("earlier in the line of the last hit") << "1" << hit(0, 1, 7, 1) << 0 << hit(0, 1, 7, 1) << true;
    QTest::newRow("after a hit the current page does not matter") << "sayfa" << hit(0, 2, 0, 8) << 2
                                                                  << hit(1, 0, 0, 5) << false;
    QTest::newRow("empty text") << "" << none << 0 << none << false;
    QTest::newRow("not there") << "çek" << none << 0 << none << false;
    QTest::newRow("not there from a later page") << "çek" << none << 2 << none << false;
}

void TestReportSearch::findNextMatch()
{
    QFETCH(QString, text);
    QFETCH(std::optional<SearchHit>, previous);
    QFETCH(int, startPage);
    QFETCH(std::optional<SearchHit>, expected);
    QFETCH(bool, wrapped);
    bool gotWrapped = !wrapped;
    QCOMPARE(kervio::findNextMatch(threePages(), text, previous, startPage, &gotWrapped), expected);
    QCOMPARE(gotWrapped, wrapped);
}

void TestReportSearch::everyMatchOnceThenAgain()
{
    const ComposedReport r = threePages();
    std::optional<SearchHit> h;
    QList<int> pages;
    bool wrapped = false;
    while (!wrapped && (h = kervio::findNextMatch(r, QStringLiteral("a"), h, 0, &wrapped)))
        pages << h->page;
    // "Fatura 1 fatura" has four, "Tahsilat" two, "Sayfa 2" two, "FATURA 3" two; then the first again
    QCOMPARE(pages, (QList<int>{0, 0, 0, 0, 0, 0, 1, 1, 2, 2, 0}));
    QCOMPARE(*h, SearchHit({0, 1, 1, 1}));
}

// Letters match under the Turkish case rules or the general ones.
void TestReportSearch::turkishLetterCase_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("at");
    QTest::newRow("dotted capital I") << "İşlem Tarihi        : 31.12.2024" << "işlem tarihi" << 0;
    QTest::newRow("dotless capital") << "Yıldaki Gün: 365" << "YILDAKI" << 0;
    QTest::newRow("dotted capital in the text") << "Yıldaki Gün" << "YILDAKİ" << 0;
    QTest::newRow("small dotless i") << "ALACAKLARI" << "alacakları" << 0;
    QTest::newRow("capitals of ş ğ ü ö ç") << "Borç Ödeme Şube Ğ Ü" << "BORÇ ÖDEME ŞUBE ğ ü" << 0;
    QTest::newRow("inside a line") << "Cumartesi Pazar Borçlara Eklendi," << "BORÇLARA" << 16;
    QTest::newRow("dotless i is not i") << "isim" << "ısım" << -1;
    QTest::newRow("dotted capital is not dotless") << "ışık" << "İŞİK" << -1;
}

void TestReportSearch::turkishLetterCase()
{
    QFETCH(QString, line);
    QFETCH(QString, text);
    QFETCH(int, at);
    QCOMPARE(int(indexOfIgnoringCase(line, text, 0)), at);
}

void TestReportSearch::matchRectFollowsAlignment_data()
{
    QTest::addColumn<quint32>("alignment");
    QTest::addColumn<int>("position");
    QTest::newRow("left, at the start") << quint32(Qt::AlignLeft) << 0;
    QTest::newRow("left, inside") << quint32(Qt::AlignLeft) << 6;
    QTest::newRow("right, at the end") << quint32(Qt::AlignRight) << 9;
    QTest::newRow("centred, at the start") << quint32(Qt::AlignHCenter) << 0;
}

void TestReportSearch::matchRectFollowsAlignment()
{
    QFETCH(quint32, alignment);
    QFETCH(int, position);
    ComposedReport r;
    r.pages.resize(1);
    r.pages[0].items = {text(QStringLiteral("Fatura 1 fatura"), alignment)};
    const double k = 4; // pixels per millimetre
    const QRectF box(20 * k, 30 * k, 100 * k, 4 * k);
    Typesetter typesetter;
    const QRectF all = matchRect(r, SearchHit{0, 0, 0, 15}, k, typesetter);
    const QRectF part = matchRect(r, SearchHit{0, 0, position, 6}, k, typesetter);
    QCOMPARE(part.top(), box.top());
    QCOMPARE(part.height(), box.height());
    QVERIFY(part.width() > 0);
    QVERIFY(all.left() - 0.01 <= part.left() && part.right() <= all.right() + 0.01);
    if (alignment == Qt::AlignLeft)
        QCOMPARE(all.left(), box.left());
    else if (alignment == Qt::AlignRight)
        QCOMPARE(all.right(), box.right());
    else
        QCOMPARE(all.center().x(), box.center().x());
    if (position == 0)
        QCOMPARE(part.left(), all.left());
    if (position + 6 == 15)
        QCOMPARE(part.right(), all.right());
}

QTEST_MAIN(TestReportSearch)
#include "tst_reportsearch.moc"
