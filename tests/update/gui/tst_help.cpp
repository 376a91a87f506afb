#include "update/gui/kayit.h"
#include "update/gui/yardim.h"
#include "core/codepage1254.h"
#include "core/savefile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

using namespace kervio;
using yardim::TyardimF;

namespace {

const QByteArray VadeHtml = "<html><body><h1>Vade Farkı</h1><p><b>Gün</b> sütunu hesap tarihine kalan gündür.</p></body></html>";
const QByteArray ExlText = "Excel'den aktarım: Baş. Satır <= Bitiş Satır\n\tsekmeyle girintili satır\n";

// Changes the current directory for one test and back.
struct CurrentDir {
    QString old = QDir::currentPath();
    explicit CurrentDir(const QString &d) { QDir::setCurrent(d); }
    ~CurrentDir() { QDir::setCurrent(old); }
};

QString viewText(const TyardimF &w)
{
    return w.RichEdit1->toPlainText();
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void windowAtStart();
    void topicsAndButtons();
    void lookupOrder_data();
    void lookupOrder();
    void textForms_data();
    void textForms();
    void waitingWindow();
    void manualIsBuilt();
    void manualOpensWithDesktopViewer();
};

void TestHelp::windowAtStart()
{
    TyardimF w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Kavrel Kervio Yardım"));
    QCOMPARE(w.size(), QSize(870, 500));
    QCOMPARE(w.Label1->text(), QStringLiteral("Yardım Alınacak Konuyu Seçin"));
    QCOMPARE(w.ComboBox1->count(), 2);
    QCOMPARE(w.ComboBox1->itemText(0), QStringLiteral("Kervio İşlemleri"));
    QCOMPARE(w.ComboBox1->itemText(1), QStringLiteral("Excel'den Aktarım İşlemleri"));
    QCOMPARE(w.ComboBox1->currentIndex(), 0);
    QVERIFY(w.RichEdit1->isReadOnly());
    QVERIFY(!w.RichEdit1->tabChangesFocus());
    QCOMPARE(w.RichEdit1->palette().color(QPalette::Base), QColor(251, 232, 210));
    QVERIFY(viewText(w).isEmpty());
    QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Version 2.0 Güncelleme:0"));
    QVERIFY(!w.statusPanels[0]->text().isEmpty());
    QVERIFY(!w.isVisible());
}

void TestHelp::topicsAndButtons()
{
    QTemporaryDir tmp;
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("yardimvade")), VadeHtml));
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("yardimexl")), ExlText));
    CurrentDir cd(tmp.path());
    QTemporaryDir empty;
    TyardimF w;
    w.setProgramFolder(empty.path());

    // the selector loads its topic
    w.ComboBox1->setCurrentIndex(1);
    w.ComboBox1Change(1);
    QCOMPARE(viewText(w), QString::fromUtf8(ExlText));

    // the main window's button shows the calculation text, the selector stays
    yardim::kervio2::tfXPButton2Click(w);
    QVERIFY(w.isVisible());
    QVERIFY(viewText(w).startsWith(QStringLiteral("Vade Farkı")));
    QCOMPARE(w.ComboBox1->currentText(), QStringLiteral("Excel'den Aktarım İşlemleri"));

    // the import window's button shows the import text; again only reloads
    w.ComboBox1->setCurrentIndex(0);
    yardim::aktarexcel::tfXPButton2Click(w);
    yardim::aktarexcel::tfXPButton2Click(w);
    QVERIFY(viewText(w).startsWith(QStringLiteral("Excel'den aktarım")));
    QCOMPARE(w.ComboBox1->currentIndex(), 0);

    // a topic without its file keeps the view; an unknown index does nothing
    QFile::remove(tmp.filePath(QStringLiteral("yardimvade")));
    w.ComboBox1Change(0);
    w.ComboBox1Change(5);
    yardim::kervio2::tfXPButton2Click(w);
    QVERIFY(w.isVisible());
    QVERIFY(viewText(w).startsWith(QStringLiteral("Excel'den aktarım")));
}

void TestHelp::lookupOrder_data()
{
    QTest::addColumn<bool>("inCurrent");
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<QString>("expected");
    QTest::newRow("current directory wins") << true << true << QStringLiteral("burada");
    QTest::newRow("started from another folder") << false << true << QStringLiteral("programın yanında");
    QTest::newRow("nowhere") << false << false << QString();
}

void TestHelp::lookupOrder()
{
    QFETCH(bool, inCurrent);
    QFETCH(bool, besideProgram);
    QFETCH(QString, expected);
    QTemporaryDir current, program;
    if (inCurrent)
        QVERIFY(saveFileContents(current.filePath(QStringLiteral("yardimvade")), "burada"));
    if (besideProgram)
        QVERIFY(saveFileContents(program.filePath(QStringLiteral("yardimvade")), "programın yanında"));
    CurrentDir cd(current.path());
    TyardimF w;
    w.setProgramFolder(program.path() + u'/');
    yardim::kervio2::tfXPButton2Click(w);
    QCOMPARE(viewText(w), expected);
}

void TestHelp::textForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("bold");
    QTest::newRow("rich text formatted") << VadeHtml << QStringLiteral("Vade Farkı\nGün sütunu hesap tarihine kalan gündür.") << true;
    QTest::newRow("plain text as it is") << QByteArray("a <b> b\n") << QStringLiteral("a <b> b\n") << false;
    QTest::newRow("Turkish code page") << toCp1254(QStringLiteral("Açıklama ve Borç Tutarı")) << QStringLiteral("Açıklama ve Borç Tutarı") << false;
}

void TestHelp::textForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(bool, bold);
    QTemporaryDir tmp;
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("yardimexl")), bytes));
    CurrentDir cd(tmp.path());
    TyardimF w;
    w.ComboBox1Change(1);
    QCOMPARE(viewText(w), shown);
    bool anyBold = false;
    for (QTextBlock b = w.RichEdit1->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            anyBold |= it.fragment().charFormat().fontWeight() >= QFont::Bold;
    QCOMPARE(anyBold, bold);
}

void TestHelp::waitingWindow()
{
    kayit::TForm2 f;
    QCOMPARE(f.windowTitle(), QStringLiteral("Bekleyin Kayıt Yapıyor"));
    QCOMPARE(f.size(), QSize(321, 47));
    QVERIFY(!(f.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint)));
    QCOMPARE(f.ProgressBar1->value(), 0);
}

namespace {
// The manual beside the program: build/src next to build/tests.
QString builtManual()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString &rel : {QStringLiteral("../src"), QStringLiteral("src")}) {
        const QString p = yardim::ManualPath(here.absoluteFilePath(rel));
        if (QFileInfo::exists(p))
            return p;
    }
    return {};
}
} // namespace

void TestHelp::manualIsBuilt()
{
    const QString pdf = builtManual();
    QVERIFY2(!pdf.isEmpty(), "Kervio_Kullanim.pdf is built beside the program");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *must : {"Kurulum", "YENİDEN HESAPLA", "KAYITTAN AÇ", "EXCEL'DEN VERİ AL", "Programı Güncelle",
                             "Ayarlar.ini", ".krv", "401,10", "FAİZ BUL"})
        QVERIFY2(text.contains(QString::fromUtf8(must)), must);
    // with its pictures
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    if (images.waitForStarted(5000)) {
        QVERIFY(images.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(images.readAllStandardOutput()).count(u'\n') > 3);
    }
}

void TestHelp::manualOpensWithDesktopViewer()
{
    QTemporaryDir bin, program;
    const QString log = bin.filePath(QStringLiteral("acildi"));
    const QString fake = bin.filePath(QStringLiteral("xdg-open"));
    QVERIFY(saveFileContents(fake, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(log) + "'\n"));
    QVERIFY(QFile::setPermissions(fake, QFile::permissions(fake) | QFileDevice::ExeOwner));
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + qgetenv("PATH"));
    QVERIFY(saveFileContents(yardim::ManualPath(program.path()), "%PDF-1.4\n"));

    yardim::kervio2::JvXPButton2Click(program.path() + u'/');
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(log), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(log).size() > 0, 5000);
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString arg = QString::fromUtf8(f.readAll()).trimmed();
    QCOMPARE(QUrl::fromUserInput(arg).toLocalFile(), yardim::ManualPath(program.path()));
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
