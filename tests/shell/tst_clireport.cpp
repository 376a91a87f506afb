#include "files/ledgerfile.h"
#include "report/pdftext.h"
#include "report/reportfixture.h"
#include "shell/cli.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;
using namespace kervio::test;

namespace {

// The command line works with the system's separators: the dates and
// amounts of a Turkish text in them.
QString inSystemSeparators(const QString &turkish)
{
    const Regional reg = Regional::system();
    static const QRegularExpression number(QStringLiteral("\\d[\\d.,]*\\d"));
    static const QRegularExpression date(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}$"));
    QString out = turkish;
    for (auto it = number.globalMatch(turkish); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString t = m.captured();
        if (date.match(t).hasMatch()) {
            t.replace(u'.', reg.date);
        } else {
            for (QChar &c : t)
                c = c == u'.' ? reg.thousands : c == u',' ? reg.decimal : c;
        }
        out.replace(m.capturedStart(), t.size(), t);
    }
    return out;
}

} // namespace

class TestCliReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void writesThePdf_data();
    void writesThePdf();
    void failures_data();
    void failures();

private:
    QTemporaryDir m_dir;
    QString m_ledger;
};

void TestCliReport::initTestCase()
{
    const Regional reg = Regional::system();
    ReportFixture f(withSeparators(workedExample(), reg), reg);
    m_ledger = m_dir.filePath("ornek.krv");
    QVERIFY(writeLedgerFile(m_ledger, ledgerFileLines(f.document.params(), f.document.ledger(), reg)));
}

void TestCliReport::writesThePdf_data()
{
    QTest::addColumn<bool>("net");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("totals");
    QTest::newRow("split") << false << "Vade Tarihi Borç Tutarı Alacak Tutarı Gün B.Vade Farkı A.Vade Farkı"
                           << "TOPLAM 10.000,00 6.500,00 -169 401,10 11,51";
    QTest::newRow("net") << true << "Vade Tarihi Açıklama Borç Tutarı Alacak Tutarı Gün Vade Farkı"
                         << "TOPLAM 10.000,00 6.500,00 -169 389,59";
}

void TestCliReport::writesThePdf()
{
    QFETCH(bool, net);
    QFETCH(QString, header);
    QFETCH(QString, totals);
    const QString pdf = m_dir.filePath(net ? "net.pdf" : "split.pdf");
    QStringList args{"kervio", "--report", m_ledger, "--pdf", pdf};
    if (net)
        args << "--net";
    QCOMPARE(CommandLine(args).run(), 0);
    QString missing;
    const QString text = pdfText(pdf);
    QVERIFY2(containsInOrder(text, {"Kavrel Kervio 2.0 Güncelleme:0 Rapor Dökümü", inSystemSeparators("İşlem Tarihi : 31.12.2024"),
                                    header, inSystemSeparators("1 31.10.2024"), inSystemSeparators(totals),
                                    inSystemSeparators("Net Vade Farkı : 389,59"), "Sayfa 1"},
                             &missing),
             qPrintable(missing + "\n" + text));
}

void TestCliReport::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("missing ledger") << QStringList{"kervio", "--report", "/yok/boyle.krv", "--pdf", "x.pdf"} << 2;
    QTest::newRow("no pdf option") << QStringList{"kervio", "--report", "a.krv"} << 64;
    QTest::newRow("unknown option") << QStringList{"kervio", "--report", "a.krv", "--pdf", "x.pdf", "--foo"} << 64;
}

void TestCliReport::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QCOMPARE(CommandLine(args).run(), status);
}

QTEST_MAIN(TestCliReport)
#include "tst_clireport.moc"
