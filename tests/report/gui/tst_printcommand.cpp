// The command line's printing, run as a user runs it. Where a CUPS queue
// with the cups-pdf backend exists, one test prints through it.
#include "common/kervioprocess.h"
#include "files/ledgerfile.h"
#include "report/pageselection.h"
#include "report/pdftext.h"
#include "report/reportfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;
using namespace kervio::test;

namespace {

// The first queue whose device is the cups-pdf backend, or an empty text.
QString cupsPdfQueue()
{
    QProcess p;
    p.start(QStringLiteral("lpstat"), {QStringLiteral("-v")});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return {};
    static const QRegularExpression device(QStringLiteral("^device for ([^:]+): cups-pdf:"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = device.match(QString::fromLocal8Bit(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1) : QString();
}

// Where cups-pdf writes the jobs of the user running the tests.
QString cupsPdfFolder()
{
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly))
        for (const QByteArray &line : conf.readAll().split('\n'))
            if (line.startsWith("Out "))
                out = QString::fromLocal8Bit(line.mid(4).trimmed());
    return out.replace(QStringLiteral("${HOME}"), QDir::homePath());
}

// The pages of a PDF as small grey pictures.
QList<QImage> pageImages(const QString &pdf, const QString &dir)
{
    QProcess p;
    const QString prefix = QDir(dir).filePath(QFileInfo(pdf).completeBaseName());
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-gray"), pdf, prefix});
    QList<QImage> out;
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return out;
    QStringList files = QDir(dir).entryList({QFileInfo(prefix).fileName() + QStringLiteral("-*.pgm")}, QDir::Files, QDir::Name);
    for (const QString &f : files)
        out << QImage(QDir(dir).filePath(f)).convertToFormat(QImage::Format_Grayscale8);
    return out;
}

double distance(const QImage &a, const QImage &b)
{
    const QImage c = b.scaled(a.size());
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(int(a.constScanLine(y)[x]) - int(c.constScanLine(y)[x]));
    return sum / (a.width() * a.height());
}

} // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void failures_data();
    void failures();
    void printsThroughCups();

private:
    QTemporaryDir m_dir;
    QString m_ledger;
};

void TestPrintCommand::initTestCase()
{
    const Regional reg = Regional::system();
    ReportFixture f(withSeparators(longLedger(150), reg), reg);
    m_ledger = m_dir.filePath("uzun.krv");
    QVERIFY(writeLedgerFile(m_ledger, ledgerFileLines(f.document.params(), f.document.ledger(), reg)));
}

// Every failure ends with one line on standard error and a status not 0.
void TestPrintCommand::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString ledger = QStringLiteral("@ledger@");
    QTest::newRow("unknown printer") << QStringList{"--report", ledger, "--print", "--printer", "Yok Böyle Yazıcı"} << 3
                                     << PrintText::printerNotFound("Yok Böyle Yazıcı");
    QTest::newRow("backwards page range") << QStringList{"--report", ledger, "--print", "--pages", "4-2"} << 64
                                          << PrintText::badPageList("4-2");
    QTest::newRow("no copies") << QStringList{"--report", ledger, "--print", "--copies", "0"} << 64
                               << "Kopya sayısı 1 ile 999 arasında bir tam sayı olmalı: 0";
    QTest::newRow("missing ledger") << QStringList{"--report", "/yok/boyle.krv", "--print"} << 2
                                    << "Dosya açılamadı: /yok/boyle.krv";
}

void TestPrintCommand::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    args.replaceInStrings(QStringLiteral("@ledger@"), m_ledger);
    const Run r = runKervio(args);
    QVERIFY(r.exited);
    QCOMPARE(r.exitCode, status);
    QCOMPARE(r.errorLines(), QStringList{message});
}

// Pages 1 and 3 of a three-page report in two collated copies, through a
// real print system; its PDF printer draws the pages anew, so they are
// told apart by their pictures against the program's own PDF.
void TestPrintCommand::printsThroughCups()
{
    const QString queue = cupsPdfQueue();
    if (queue.isEmpty())
        QSKIP("no CUPS queue with the cups-pdf backend");
    const QString reference = m_dir.filePath("rapor.pdf");
    QCOMPARE(runKervio({"--report", m_ledger, "--pdf", reference}).exitCode, 0);
    const QList<QImage> pages = pageImages(reference, m_dir.path());
    QCOMPARE(pages.size(), 3);

    const QDir out(cupsPdfFolder());
    const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
    const Run r = runKervio({"--report", m_ledger, "--print", "--printer", queue, "--pages", "1, 3", "--copies", "2"});
    QCOMPARE(r.errorLines(), QStringList());
    QCOMPARE(r.exitCode, 0);
    QString printed;
    QElapsedTimer waited;
    waited.start();
    while (printed.isEmpty() && waited.elapsed() < 60000) {
        QTest::qWait(500);
        for (const QString &f : out.entryList({"*.pdf"}, QDir::Files))
            if (!before.contains(f))
                printed = out.filePath(f);
    }
    QVERIFY2(!printed.isEmpty(), qPrintable("nothing arrived in " + out.path()));
    QTest::qWait(2000); // the backend may still be writing
    const QList<QImage> sheets = pageImages(printed, m_dir.path());
    QFile::remove(printed);
    QList<int> seen;
    for (const QImage &sheet : sheets) {
        int best = 0;
        for (int i = 1; i < pages.size(); ++i)
            if (distance(sheet, pages[i]) < distance(sheet, pages[best]))
                best = i;
        seen << best + 1;
    }
    QCOMPARE(seen, (QList<int>{1, 3, 1, 3}));
}

QTEST_MAIN(TestPrintCommand)
#include "tst_printcommand.moc"
