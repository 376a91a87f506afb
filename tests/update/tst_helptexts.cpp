#include "update/helptexts.h"
#include "core/codepage1254.h"
#include "core/savefile.h"
#include "update/currentdir.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace kervio;
using kervio::test::CurrentDir;

Q_DECLARE_METATYPE(std::optional<kervio::HelpTopic>)

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void topics_data();
    void topics();
    void lookupOrder_data();
    void lookupOrder();
    void textForms_data();
    void textForms();
    void unreadableText();
    void manualBesideTheProgram();
};

void TestHelpTexts::topics_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<std::optional<HelpTopic>>("topic");
    QTest::addColumn<QString>("file");
    QTest::newRow("calculation") << 0 << std::optional(HelpTopic::Calculation) << "yardimvade";
    QTest::newRow("import") << 1 << std::optional(HelpTopic::Import) << "yardimexl";
    QTest::newRow("no selection") << -1 << std::optional<HelpTopic>() << "";
    QTest::newRow("beyond the list") << 2 << std::optional<HelpTopic>() << "";
}

void TestHelpTexts::topics()
{
    QFETCH(int, index);
    QFETCH(std::optional<HelpTopic>, topic);
    QFETCH(QString, file);
    QCOMPARE(helpTopicAt(index), topic);
    if (topic)
        QCOMPARE(helpFileName(*topic), file);
}

void TestHelpTexts::lookupOrder_data()
{
    // the program in bin/ of a temporary tree, its installed data in share/kervio/
    QTest::addColumn<QStringList>("holders"); // "current", "program", "data"
    QTest::addColumn<QString>("found");       // one of them, or empty
    QTest::newRow("current directory wins") << QStringList{"current", "program", "data"} << "current";
    QTest::newRow("started from another folder") << QStringList{"program", "data"} << "program";
    QTest::newRow("installed") << QStringList{"data"} << "data";
    QTest::newRow("nowhere") << QStringList{} << "";
}

void TestHelpTexts::lookupOrder()
{
    QFETCH(QStringList, holders);
    QFETCH(QString, found);
    QTemporaryDir current, tree;
    const QMap<QString, QString> folders{{"current", current.path()},
                                         {"program", tree.filePath(QStringLiteral("bin"))},
                                         {"data", tree.filePath(QStringLiteral("share/kervio"))}};
    for (const QString &holder : holders) {
        QVERIFY(QDir().mkpath(folders[holder]));
        QVERIFY(saveFileContents(folders[holder] + QStringLiteral("/yardimvade"), holder.toUtf8()));
    }
    CurrentDir cd(current.path());
    const QString path = findHelpFile(QStringLiteral("yardimvade"), folders["program"] + u'/');
    if (found.isEmpty())
        QVERIFY(path.isEmpty());
    else
        QCOMPARE(QFileInfo(path).canonicalPath(), QFileInfo(folders[found]).canonicalFilePath());
}

void TestHelpTexts::textForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("rich");
    const QByteArray html = "<html><body><h1>Vade Farkı</h1><p><b>Gün</b> sütunu</p></body></html>";
    QTest::newRow("rich text") << html << QString::fromUtf8(html) << true;
    QTest::newRow("rich text after blanks") << "\n  " + html << QString::fromUtf8("\n  " + html) << true;
    QTest::newRow("a tag further on is a character") << QByteArray("a <b> b\n") << "a <b> b\n" << false;
    QTest::newRow("a bracket that is no tag") << QByteArray("<= Bitiş Satır\n") << "<= Bitiş Satır\n" << false;
    QTest::newRow("Turkish code page") << toCp1254(QStringLiteral("Açıklama ve Borç Tutarı"))
                                       << "Açıklama ve Borç Tutarı" << false;
}

void TestHelpTexts::textForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, rich);
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("yardimexl"));
    QVERIFY(saveFileContents(path, bytes));
    const std::optional<HelpText> help = readHelpText(path);
    QVERIFY(help);
    QCOMPARE(help->text, text);
    QCOMPARE(help->rich, rich);
}

void TestHelpTexts::unreadableText()
{
    QTemporaryDir tmp;
    QVERIFY(!readHelpText(tmp.filePath(QStringLiteral("yok"))));
}

void TestHelpTexts::manualBesideTheProgram()
{
    QCOMPARE(manualPath(QStringLiteral("/opt/kervio/")), QStringLiteral("/opt/kervio/Kervio_Kullanim.pdf"));
    QCOMPARE(manualPath(QStringLiteral("/opt/kervio")), QStringLiteral("/opt/kervio/Kervio_Kullanim.pdf"));
    // an installed program's manual is in its data folder, unless one lies beside it
    QTemporaryDir tree;
    const QString bin = tree.filePath(QStringLiteral("bin/"));
    const QString installed = tree.filePath(QStringLiteral("share/kervio/Kervio_Kullanim.pdf"));
    QVERIFY(QDir().mkpath(tree.filePath(QStringLiteral("share/kervio"))));
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(saveFileContents(installed, "%PDF"));
    QCOMPARE(manualPath(bin), installed);
    QVERIFY(saveFileContents(bin + QStringLiteral("Kervio_Kullanim.pdf"), "%PDF"));
    QCOMPARE(manualPath(bin), bin + QStringLiteral("Kervio_Kullanim.pdf"));
}

QTEST_GUILESS_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
