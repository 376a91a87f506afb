#include "report/frpfile.h"
#include "report/pdfexport.h"
#include "report/pdftext.h"
#include "report/reportfixture.h"

#include "core/errors.h"

#include <QFontDatabase>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;
using namespace kervio::test;

namespace {

const QString TitleText = QStringLiteral("Kavrel Kervio 2.0 Güncelleme:0 Rapor Dökümü");

// Text items of a page with their boxes.
std::vector<const DrawItem *> texts(const ReportPage &page)
{
    std::vector<const DrawItem *> out;
    for (const DrawItem &i : page.items)
        if (i.kind == DrawItem::Text)
            out.push_back(&i);
    return out;
}

const DrawItem *findText(const ReportPage &page, const QString &text)
{
    for (const DrawItem &i : page.items)
        if (i.kind == DrawItem::Text && i.text == text)
            return &i;
    return nullptr;
}

double footerTop()
{
    return 297.0 - 11.9 - 11.1;
}

} // namespace

class TestReportPages : public QObject {
    Q_OBJECT
private slots:
    void fewEntriesOnePage();
    void longLedgerContinues();
    void longLineWraps();
    void grownTextPushesWhatIsBelow();
    void noPageForTrailingBlankLines();
    void linesStayWithinTheMargins();
    void bracketsInDataPrintAsTyped();
    void frpRoundTrip();
    void frpRefused_data();
    void frpRefused();
    void pdfHoldsTheLinesInOrder();
    void fontTwins_data();
    void fontTwins();
};

void TestReportPages::fewEntriesOnePage()
{
    ReportFixture f;
    QVERIFY(f.print(ReportTable::Split));
    const ComposedReport &r = f.host.lastReport;
    QCOMPARE(r.title, QStringLiteral("Kavrel Rapor Önizleme - Vade farkı raporu"));
    QCOMPARE(int(r.pages.size()), 1);
    const ReportPage &p = r.pages[0];

    const DrawItem *title = findText(p, TitleText);
    const DrawItem *date = findText(p, "07.03.2025");
    const DrawItem *header = findText(p, f.object(TemplateObject::ColumnHeader).first());
    const DrawItem *first = findText(p, f.lines().first());
    const DrawItem *footer = findText(p, "Sayfa 1");
    QVERIFY(title && date && header && first && footer);
    QVERIFY(findText(p, "İşlem Tarihi        : 31.12.2024")); // the calculation date in the title block
    // title block, then date and column header, then the body, then the footer
    QVERIFY(title->rect.top() < date->rect.top());
    QVERIFY(date->rect.top() < header->rect.top());
    QVERIFY(header->rect.bottom() <= first->rect.top());
    QVERIFY(first->rect.top() < footer->rect.top());
    QCOMPARE(title->font.family, QStringLiteral("Times New Roman Tur"));
    QCOMPARE(header->font.family, QStringLiteral("Courier New"));
    QCOMPARE(date->alignment & Qt::AlignRight, quint32(Qt::AlignRight));
    QCOMPARE(footer->alignment & Qt::AlignRight, quint32(Qt::AlignRight));

    // the whole body in order, after the header
    QStringList body;
    bool inBody = false;
    for (const DrawItem *t : texts(p)) {
        if (t == first)
            inBody = true;
        if (inBody && t->rect.top() < footerTop())
            body << t->text;
    }
    QCOMPARE(body, f.lines());

    // the rule over the body and the footer rules joined across the page
    int rules = 0;
    for (const DrawItem &i : p.items)
        if (i.kind == DrawItem::Rule) {
            ++rules;
            QCOMPARE(i.rect.top(), i.rect.bottom());
        }
    QCOMPARE(rules, 3);
}

void TestReportPages::longLedgerContinues()
{
    ReportFixture f(longLedger(250));
    QVERIFY(f.print(ReportTable::Net));
    const ComposedReport &r = f.host.lastReport;
    QVERIFY(r.pages.size() >= 3);
    const QString header = f.object(TemplateObject::ColumnHeader).first();

    QStringList body;
    for (size_t i = 0; i < r.pages.size(); ++i) {
        const ReportPage &p = r.pages[i];
        const QString pageNo = QStringLiteral("Sayfa %1").arg(i + 1);
        QVERIFY2(findText(p, pageNo), qPrintable(pageNo));
        QCOMPARE(bool(findText(p, TitleText)), i == 0);
        const DrawItem *date = findText(p, "07.03.2025");
        const DrawItem *head = findText(p, header);
        QVERIFY(date && head);
        if (i > 0) // directly at the top margin, no title block
            QCOMPARE(date->rect.top(), 11.9 + 0.6);
        double lastBottom = 0;
        for (const DrawItem *t : texts(p))
            if (t->rect.top() > head->rect.top() && t->rect.top() < footerTop()) {
                QVERIFY(t->rect.bottom() <= footerTop() + 1e-6);
                QVERIFY(t->rect.top() >= lastBottom - 1e-6);
                lastBottom = t->rect.bottom();
                body << t->text;
            }
    }
    // every line once, in order, broken only between lines
    QCOMPARE(body, f.lines());
}

void TestReportPages::longLineWraps()
{
    ReportTemplate t = ReportTemplate::standard();
    ReportObject *rich = t.findObject(TemplateObject::Body);
    rich->setFont(ReportFont{QStringLiteral("Courier New"), 8});
    const QString word = QStringLiteral("kelime ");
    QString longLine;
    for (int i = 0; i < 30; ++i)
        longLine += word;
    rich->setLines({longLine.trimmed(), "son"});
    const ComposedReport r = composeReport(t, QDate(2025, 1, 1));
    QStringList lines;
    for (const DrawItem *i : texts(r.pages[0]))
        if (i->font.pointSize == 8 && i->rect.left() == rich->rectMm.left() && i->rect.top() > 50)
            lines << i->text;
    QVERIFY(lines.size() >= 3);
    QCOMPARE(lines.last(), QStringLiteral("son"));
    QCOMPARE(lines.mid(0, lines.size() - 1).join(u' '), longLine.trimmed());
    for (const QString &l : lines)
        QVERIFY2(l.size() <= 108, qPrintable(l));
}

// A company name of three lines pushes the date, rates and grace lines and
// the page header down; nothing is printed over anything.
void TestReportPages::grownTextPushesWhatIsBelow()
{
    ReportFixture f;
    QString company;
    for (int i = 0; company.size() < 220; ++i)
        company += QStringLiteral("Uzun Şirket Adı %1 ").arg(i);
    f.document.params().setText(Parameters::Company, company.trimmed());
    QVERIFY(f.print(ReportTable::Split));
    const ReportPage &p = f.host.lastReport.pages[0];
    std::vector<const DrawItem *> lines = texts(p);
    int companyLines = 0;
    for (const DrawItem *t : lines)
        companyLines += t->text.contains(QStringLiteral("Şirket"));
    QVERIFY(companyLines >= 3);
    std::sort(lines.begin(), lines.end(), [](auto a, auto b) { return a->rect.top() < b->rect.top(); });
    for (size_t i = 0; i < lines.size(); ++i)
        for (size_t j = i + 1; j < lines.size(); ++j) {
            const QRectF overlap = lines[i]->rect.intersected(lines[j]->rect);
            QVERIFY2(overlap.height() < 1e-6 || overlap.width() < 1e-6,
                     qPrintable(lines[i]->text + QStringLiteral(" | ") + lines[j]->text));
        }
    const DrawItem *date = findText(p, "İşlem Tarihi        : 31.12.2024");
    const DrawItem *header = findText(p, f.object(TemplateObject::ColumnHeader).first());
    QVERIFY(date && header);
    double companyBottom = 0;
    for (const DrawItem *t : lines)
        if (t->text.contains(QStringLiteral("Şirket")))
            companyBottom = std::max(companyBottom, t->rect.bottom());
    QVERIFY(date->rect.top() >= companyBottom);
    // pushed down by as much as the company's lines outgrow their box
    ReportFixture plain;
    QVERIFY(plain.print(ReportTable::Split));
    const DrawItem *plainCompany = findText(plain.host.lastReport.pages[0], "İşlem Yapılan Firma : Örnek Ticaret A.Ş.");
    const DrawItem *plainDate = findText(plain.host.lastReport.pages[0], "İşlem Tarihi        : 31.12.2024");
    QVERIFY(plainCompany && plainDate);
    const double box = plain.host.reportTemplate.findObject(TemplateObject::CompanyLine)->rectMm.height();
    const double grownBy = companyLines * plainCompany->rect.height() - box;
    QCOMPARE(date->rect.top(), plainDate->rect.top() + grownBy);
}

// The last page always holds a line of the body: a blank line left over
// at the end starts no page of its own.
void TestReportPages::noPageForTrailingBlankLines()
{
    for (int entries = 40; entries <= 75; ++entries) {
        ReportFixture f(longLedger(entries));
        QVERIFY(f.print(ReportTable::Split));
        const ReportPage &last = f.host.lastReport.pages.back();
        const QString header = f.object(TemplateObject::ColumnHeader).first();
        bool content = false;
        for (const DrawItem *t : texts(last))
            content = content || (t->text != header && !t->text.trimmed().isEmpty() && f.lines().contains(t->text));
        QVERIFY2(content, qPrintable(QStringLiteral("%1 entries: page %2 holds no line of the body")
                                         .arg(entries)
                                         .arg(f.host.lastReport.pages.size())));
    }
}

// Read back from the PDF: no word runs past the body's box, not even a
// line broken to the last character that fits.
void TestReportPages::linesStayWithinTheMargins()
{
    ReportTemplate t = ReportTemplate::standard();
    ReportObject *rich = t.findObject(TemplateObject::Body);
    rich->setFont(ReportFont{QStringLiteral("Courier New"), 8});
    QString digits, sentence;
    for (int i = 0; i < 30; ++i)
        digits += QStringLiteral("1234567890");
    for (int i = 0; i < 40; ++i)
        sentence += QStringLiteral("vade farkı ");
    rich->setLines({digits, sentence, QStringLiteral("İşlem Tarihi ÇĞİÖŞÜ çğıöşü ") + digits});
    const ComposedReport r = composeReport(t, QDate(2025, 1, 1));
    QTemporaryDir dir;
    const QString path = dir.filePath("kenar.pdf");
    savePdfFile(r, path);
    const QList<PdfWord> words = pdfWords(path);
    QVERIFY(words.size() > 20);
    const double ptPerMm = 72 / 25.4;
    const double left = rich->rectMm.left() * ptPerMm, right = rich->rectMm.right() * ptPerMm;
    double widest = 0;
    for (const PdfWord &w : words) {
        if (w.box.top() < 50 * ptPerMm || w.box.top() > 250 * ptPerMm)
            continue; // title, header and footer
        QVERIFY2(w.box.left() >= left - 0.05 && w.box.right() <= right + 0.05,
                 qPrintable(QStringLiteral("%1 from %2 to %3 pt, the body from %4 to %5 pt")
                                .arg(w.text).arg(w.box.left()).arg(w.box.right()).arg(left).arg(right)));
        widest = std::max(widest, w.box.right());
    }
    QVERIFY(widest > right - 5); // the lines do reach the margin
}

void TestReportPages::bracketsInDataPrintAsTyped()
{
    ReportFixture f;
    f.document.params().setText(Parameters::Company, QStringLiteral("[Merkez] Şube"));
    QVERIFY(f.print(ReportTable::Split));
    QVERIFY(findText(f.host.lastReport.pages[0], QStringLiteral("İşlem Yapılan Firma : [Merkez] Şube")));
}

void TestReportPages::frpRoundTrip()
{
    ReportFixture f(longLedger(150));
    QVERIFY(f.print(ReportTable::Split));
    const ComposedReport &r = f.host.lastReport;
    QTemporaryDir dir;
    const QString path = dir.filePath("rapor.frp");
    saveFrpFile(r, path);
    QCOMPARE(loadFrpFile(path), r);
}

void TestReportPages::frpRefused_data()
{
    ReportFixture f;
    QVERIFY(f.print(ReportTable::Split));
    const QByteArray good = frpBytes(f.host.lastReport);
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("wrong magic") << QByteArray("%PDF-1.4").append(good.mid(8));
    QTest::newRow("text file") << QByteArray("Rapor\r\nsatır\r\n");
    QTest::newRow("cut in the header") << good.left(12);
    QTest::newRow("cut in the middle") << good.left(good.size() / 2);
    QTest::newRow("cut before the end") << good.left(good.size() - 1);
    QTest::newRow("trailing bytes") << good + QByteArray("x");
    QByteArray version = good;
    version[8] = 2;
    QTest::newRow("newer version") << version;
    QByteArray title = good;
    title[10] = title[11] = title[12] = title[13] = char(0xff); // title length 4 GiB
    QTest::newRow("absurd title length") << title;
    // a one-page report without text has no font table: the page count
    // sits at byte 34 and the item count at byte 38
    ComposedReport bare;
    bare.pages.resize(1);
    bare.pages[0].items.push_back(DrawItem{DrawItem::Rule, QRectF(10, 10, 100, 0), {}, {}, 0, 0.3});
    const QByteArray small = frpBytes(bare);
    QVERIFY(parseFrp(small));
    QByteArray pages = small;
    pages[34] = pages[35] = pages[36] = char(0xff);
    pages[37] = char(0x7f);
    QTest::newRow("absurd page count") << pages;
    QByteArray items = small;
    items[38] = items[39] = items[40] = char(0xff);
    QTest::newRow("absurd item count") << items;
    QByteArray noPages = small.left(34) + QByteArray(4, 0);
    QTest::newRow("no page") << noPages;
    QByteArray nan = small;
    for (int i = 43; i < 51; ++i)
        nan[i] = char(0xff); // the rule's left edge: not a number
    QTest::newRow("not a number") << nan;
}

void TestReportPages::frpRefused()
{
    QFETCH(QByteArray, bytes);
    QString why;
    QVERIFY(!parseFrp(bytes, &why));
    QVERIFY(!why.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath("bozuk.frp");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    try {
        loadFrpFile(path);
        QFAIL("a bad prepared report was accepted");
    } catch (const KervioError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("hazır rapor dosyası değil")), qPrintable(e.text()));
        QVERIFY(e.text().contains(path));
    }
}

// Also when the pages are drawn as they are laid out, never kept whole.
void TestReportPages::pdfHoldsTheLinesInOrder()
{
    ReportFixture f(longLedger(200));
    QVERIFY(f.print(ReportTable::Net));
    QTemporaryDir dir;
    const QString path = dir.filePath("rapor.pdf");
    savePdfFile(f.host.lastReport, path);
    const QString text = pdfText(path);
    QStringList expected{TitleText, f.object(TemplateObject::CompanyLine).first(), f.object(TemplateObject::DateLine).first(), f.object(TemplateObject::ColumnHeader).first()};
    expected << f.lines() << QStringLiteral("Sayfa %1").arg(f.host.lastReport.pages.size());
    QString missing;
    QVERIFY2(containsInOrder(text, expected, &missing), qPrintable(missing + "\n---\n" + text.left(3000)));
    QCOMPARE(int(text.count(u'\f')), int(f.host.lastReport.pages.size()));
    QCOMPARE(text.count(QStringLiteral("07.03.2025")), qsizetype(f.host.lastReport.pages.size()));

    // written page by page from the template, as the command line does: the same document
    const QString streamed = dir.filePath("sayfa-sayfa.pdf");
    savePdfFile(f.host.reportTemplate, f.host.today(), streamed);
    QCOMPARE(pdfText(streamed), text);
}

void TestReportPages::fontTwins_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("twin");
    QTest::newRow("Courier New") << "Courier New" << "Liberation Mono";
    QTest::newRow("Arial") << "Arial" << "Liberation Sans";
    QTest::newRow("Times New Roman Tur") << "Times New Roman Tur" << "Liberation Serif";
    QTest::newRow("Tahoma") << "Tahoma" << "DejaVu Sans";
}

void TestReportPages::fontTwins()
{
    QFETCH(QString, family);
    QFETCH(QString, twin);
    QCOMPARE(metricTwin(family), twin);
    const ReportFont f{family, 10};
    if (QFontDatabase::hasFamily(baseFamily(family)))
        QCOMPARE(f.resolvedFamily(), baseFamily(family));
    else
        QCOMPARE(f.resolvedFamily(), twin);
    QVERIFY(QFontDatabase::hasFamily(f.resolvedFamily()));
}

QTEST_MAIN(TestReportPages)
#include "tst_reportpages.moc"
