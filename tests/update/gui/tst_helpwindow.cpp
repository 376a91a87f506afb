#include "update/gui/helpwindow.h"
#include "update/gui/updateprogresswindow.h"
#include "core/savefile.h"
#include "update/currentdir.h"
#include "update/programupdate.h"
#include "update/tinyhttpserver.h"
#include "core/scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace kervio;
using kervio::test::CurrentDir;

namespace {

const QByteArray VadeHtml = "<html><body><h1>Vade Farkı</h1><p><b>Gün</b> sütunu hesap tarihine kalan gündür.</p></body></html>";
const QByteArray ExlText = "Excel'den aktarım: Baş. Satır <= Bitiş Satır\n\tsekmeyle girintili satır\n";

template <class W> W *child(const QWidget &window, const char *name)
{
    W *w = window.findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

QComboBox *topicSelector(const HelpWindow &w)
{
    return child<QComboBox>(w, "topicSelector");
}

QTextEdit *textView(const HelpWindow &w)
{
    return child<QTextEdit>(w, "helpTextView");
}

QString viewText(const HelpWindow &w)
{
    return textView(w)->toPlainText();
}

} // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT

private slots:
    void windowAtStart();
    void topicsAndButtons();
    void startedFromAnotherFolder();
    void waitingWindow();
    void waitingWindowCancels();
    void manualIsBuilt();
    void manualOpensWithDesktopViewer();
};

void TestHelpWindow::windowAtStart()
{
    HelpWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Kavrel Kervio Yardım"));
    QCOMPARE(child<QLabel>(w, "topicLabel")->text(), QStringLiteral("Yardım Alınacak Konuyu Seçin"));
    QComboBox *topics = topicSelector(w);
    QCOMPARE(topics->count(), 2);
    QCOMPARE(topics->itemText(0), QStringLiteral("Kervio İşlemleri"));
    QCOMPARE(topics->itemText(1), QStringLiteral("Excel'den Aktarım İşlemleri"));
    QCOMPARE(topics->currentIndex(), 0);
    // read-only, and Tab is typed into the view rather than leaving it
    QVERIFY(textView(w)->isReadOnly());
    QVERIFY(!textView(w)->tabChangesFocus());
    QVERIFY(viewText(w).isEmpty());
    QCOMPARE(child<QLabel>(w, "versionLabel")->text(), QStringLiteral("Version 2.0 Güncelleme:0"));
    QVERIFY(!child<QLabel>(w, "noticeLabel")->text().isEmpty());
    QVERIFY(!w.isVisible());
}

void TestHelpWindow::topicsAndButtons()
{
    QTemporaryDir tmp;
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("yardimvade")), VadeHtml));
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("yardimexl")), ExlText));
    CurrentDir cd(tmp.path());
    QTemporaryDir empty;
    HelpWindow w;
    w.setProgramFolder(empty.path());
    QComboBox *topics = topicSelector(w);

    // the selector loads its topic
    topics->setCurrentIndex(1);
    w.showTopic(1);
    QCOMPARE(viewText(w), QString::fromUtf8(ExlText));

    // the main window's button shows the calculation text, formatted; the selector stays
    w.showCalculationHelp();
    QVERIFY(w.isVisible());
    QVERIFY(viewText(w).startsWith(QStringLiteral("Vade Farkı\nGün sütunu")));
    QVERIFY(textView(w)->toHtml().contains(QStringLiteral("font-weight")));
    QCOMPARE(topics->currentText(), QStringLiteral("Excel'den Aktarım İşlemleri"));

    // the import window's button shows the import text; again only reloads
    topics->setCurrentIndex(0);
    w.showImportHelp();
    w.showImportHelp();
    QVERIFY(viewText(w).startsWith(QStringLiteral("Excel'den aktarım")));
    QCOMPARE(topics->currentIndex(), 0);

    // a topic without its file keeps the view; an unknown index does nothing
    QFile::remove(tmp.filePath(QStringLiteral("yardimvade")));
    w.showTopic(0);
    w.showTopic(5);
    w.showCalculationHelp();
    QVERIFY(w.isVisible());
    QVERIFY(viewText(w).startsWith(QStringLiteral("Excel'den aktarım")));
}

void TestHelpWindow::startedFromAnotherFolder()
{
    QTemporaryDir current, program;
    QVERIFY(saveFileContents(program.filePath(QStringLiteral("yardimvade")), "programın yanında"));
    CurrentDir cd(current.path());
    HelpWindow w;
    w.setProgramFolder(program.path() + u'/');
    w.showCalculationHelp();
    QCOMPARE(viewText(w), QStringLiteral("programın yanında"));
}

void TestHelpWindow::waitingWindow()
{
    UpdateProgressWindow f;
    QCOMPARE(f.windowTitle(), QStringLiteral("Bekleyin Kayıt Yapıyor"));
    QVERIFY(!(f.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint)));
    QCOMPARE(child<QProgressBar>(f, "progressBar")->value(), 0);
    QCOMPARE(f.windowModality(), Qt::ApplicationModal);
    QCOMPARE(f.cancelButton()->text(), QStringLiteral("İptal"));
}

// "İptal" ends a download that a server trickles; the program stays as it was.
void TestHelpWindow::waitingWindowCancels()
{
    test::TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    server.trickled = ProgramUpdate::downloadPath().toUtf8() + ".manifest";
    QTemporaryDir tmp;
    const QString exe = tmp.filePath(QStringLiteral("kervio"));
    QVERIFY(saveFileContents(exe, "eski"));
    QVERIFY(saveFileContents(tmp.filePath(QStringLiteral("Ayarlar.ini")), "[Guncelleme]\r\nsunucu=" + server.base().toUtf8() + "\r\n"));
    ScriptedDialogs dialogs;
    dialogs.answers.push_back(Dialogs::Answer::Yes);
    ProgramUpdate update(&dialogs);
    update.setExecutablePath(exe);
    update.connectivity = [] { return true; };
    UpdateProgressWindow f;
    update.showProgressWindow = [&] {
        f.show();
        QTimer::singleShot(300, &f, [&] { QTest::mouseClick(f.cancelButton(), Qt::LeftButton); });
    };
    update.hideProgressWindow = [&] { f.hide(); };
    QElapsedTimer clock;
    clock.start();
    update.run();
    QVERIFY(update.wasCancelled());
    QVERIFY(clock.elapsed() < 20000);
    QVERIFY(!f.isVisible());
    QCOMPARE(dialogs.texts().size(), 1); // the question, nothing after it
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), (QStringList{QStringLiteral("Ayarlar.ini"), QStringLiteral("kervio")}));
}

namespace {
// The manual beside the program: build/src next to build/tests.
QString builtManual()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString &rel : {QStringLiteral("../src"), QStringLiteral("src")}) {
        const QString p = manualPath(here.absoluteFilePath(rel));
        if (QFileInfo::exists(p))
            return p;
    }
    return {};
}
} // namespace

void TestHelpWindow::manualIsBuilt()
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

void TestHelpWindow::manualOpensWithDesktopViewer()
{
    QTemporaryDir bin, program;
    const QString log = bin.filePath(QStringLiteral("acildi"));
    const QString fake = bin.filePath(QStringLiteral("xdg-open"));
    QVERIFY(saveFileContents(fake, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(log) + "'\n"));
    QVERIFY(QFile::setPermissions(fake, QFile::permissions(fake) | QFileDevice::ExeOwner));
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + qgetenv("PATH"));
    QVERIFY(saveFileContents(manualPath(program.path()), "%PDF-1.4\n"));

    openManual(program.path() + u'/');
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(log), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(log).size() > 0, 5000);
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString arg = QString::fromUtf8(f.readAll()).trimmed();
    QCOMPARE(QUrl::fromUserInput(arg).toLocalFile(), manualPath(program.path()));
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
