#include "report/frpfile.h"
#include "report/reportfiles.h"

#include "core/errors.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;

class TestReportFiles : public QObject {
    Q_OBJECT
private slots:
    void saveTarget_data();
    void saveTarget();
    void unwritableFileRaisesItsPath();
};

void TestReportFiles::saveTarget_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("pdf");
    QTest::newRow("no extension gets .frp") << "/tmp/rapor" << "/tmp/rapor.frp" << false;
    QTest::newRow(".frp") << "/tmp/rapor.frp" << "/tmp/rapor.frp" << false;
    QTest::newRow(".pdf") << "/tmp/rapor.pdf" << "/tmp/rapor.pdf" << true;
    QTest::newRow(".PDF") << "/tmp/rapor.PDF" << "/tmp/rapor.PDF" << true;
    QTest::newRow("another extension stays, prepared report") << "/tmp/rapor.txt" << "/tmp/rapor.txt" << false;
    QTest::newRow("a dot in the folder only") << "/tmp/a.b/rapor" << "/tmp/a.b/rapor.frp" << false;
}

void TestReportFiles::saveTarget()
{
    QFETCH(QString, chosen);
    QFETCH(QString, path);
    QFETCH(bool, pdf);
    const ReportSaveTarget target = reportSaveTarget(chosen);
    QCOMPARE(target.path, path);
    QCOMPARE(target.format == ReportSaveTarget::Pdf, pdf);
}

void TestReportFiles::unwritableFileRaisesItsPath()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("yok/rapor.frp"));
    ComposedReport report;
    report.pages.resize(1);
    try {
        saveReport(report, reportSaveTarget(path));
        QFAIL("a file in a missing folder was written");
    } catch (const KervioError &e) {
        QCOMPARE(e.text(), QStringLiteral("Dosya Saklanamıyor:\r") + path);
    }
}

QTEST_GUILESS_MAIN(TestReportFiles)
#include "tst_reportfiles.moc"
