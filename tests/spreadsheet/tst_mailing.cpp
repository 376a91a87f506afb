#include "common/processlocale.h"
#include "common/scripteddocument.h"
#include "common/xlsxparts.h"
#include "core/appinfo.h"
#include "core/errorhandler.h"
#include "spreadsheet/exchange.h"
#include "spreadsheet/workbookreader.h"

#include <QtTest>

using namespace kervio;

// A stand-in mail composer on PATH: it records its arguments and whether the
// attachment exists at the moment it is called.
class TestMailing : public QObject {
    Q_OBJECT
    QTemporaryDir m_bin;
    QTemporaryDir m_folder;
    QByteArray m_oldPath;

    QString record() const { return m_bin.filePath("record.txt"); }
    void installComposer(int exitCode)
    {
        const QString script = m_bin.filePath("xdg-email");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("#!/bin/sh\n"
                "out='" + QFile::encodeName(record()) + "'\n"
                ": > \"$out\"\n"
                "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out\"; done\n"
                "prev=''\n"
                "for a in \"$@\"; do\n"
                "  if [ \"$prev\" = --attach ]; then\n"
                "    if [ -s \"$a\" ]; then echo ATTACHMENT-PRESENT >> \"$out\"; else echo ATTACHMENT-MISSING >> \"$out\"; fi\n"
                "  fi\n"
                "  prev=\"$a\"\n"
                "done\n"
                "exit " + QByteArray::number(exitCode) + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList recorded() const
    {
        QFile f(record());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    struct Fixture;
    // The mailing under the general error handler, as the window runs it.
    void mail(Fixture &f);
    struct Fixture : test::ScriptedDocument {
        explicit Fixture(const QString &company) : ScriptedDocument(company)
        {
            document.ledger().setGridRowCount(3);
            document.ledger().setCell(1, ColDueDate, "31.10.2024");
            document.ledger().setCell(1, ColDebit, "100");
            document.ledger().renumber();
            runGuarded(dialogs, [&] { document.recalculateAll(); });
        }
    };

private slots:
    void initTestCase()
    {
        m_oldPath = qgetenv("PATH");
        // the composer is looked up on PATH; the shell still needs /bin
        qputenv("PATH", QFile::encodeName(m_bin.path()) + ":/usr/bin:/bin");
    }
    void cleanupTestCase() { qputenv("PATH", m_oldPath); }

    void mailsTheWorkbook_data()
    {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QByteArray>("processLocale"); // empty: as the test runs
        QTest::newRow("company") << "Deneme Ltd. Şti." << QByteArray();
        QTest::newRow("empty company") << "" << QByteArray();
        QTest::newRow("Turkish desktop") << "Firma" << QByteArray("tr_TR.UTF-8");
    }
    void mailsTheWorkbook()
    {
        QFETCH(QString, company);
        QFETCH(QByteArray, processLocale);
        KERVIO_SET_PROCESS_LOCALE(locale, processLocale);
        installComposer(0);
        const QString attachment = m_folder.filePath("Rapor.xlsx");
        // a leftover of an earlier mailing is replaced
        {
            QFile old(attachment);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("leftover");
        }
        Fixture f(company);
        mail(f);
        QVERIFY2(f.dialogs.shown.empty(), qPrintable(f.dialogs.texts().join(u'|')));
        QCOMPARE(recorded(), (QStringList{"--utf8", "--subject", company, "--body", company, "--attach", attachment, "@",
                                          "ATTACHMENT-PRESENT"})
                                 .filter(QRegularExpression(company.isEmpty() ? "." : "")));
        // kept for the composer, which reads it after the call returns
        const WorkbookSheet s = readWorkbook(attachment, Regional::turkish());
        QCOMPARE(s.at(0, 0).text, QStringLiteral("İşlem Yapılan Firma : ") + company);
        QCOMPARE(s.at(3, 3).number, 100.0);
        // the stored numbers and sizes carry a decimal point
        const test::SheetNumbers stored = test::sheetNumbers(test::xlsxPart(attachment, "xl/worksheets/sheet1.xml"));
        QCOMPARE(stored.cells.value("G4"), QStringLiteral("4.01"));
        QCOMPARE(test::firstMalformedNumber(stored), QString());
    }

    void noComposer()
    {
        QFile::remove(m_bin.filePath("xdg-email"));
        QFile::remove(m_folder.filePath("Rapor.xlsx"));
        Fixture f("Firma");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_bin.path()));
        mail(f);
        qputenv("PATH", path);
        QCOMPARE(f.dialogs.texts(), QStringList{"Mail gönderebilmek için, bilgisyarınızda Outlook kurulu olmalıdır."});
        QVERIFY(!QFile::exists(m_folder.filePath("Rapor.xlsx")));
    }

    void composerFailureIsShown()
    {
        installComposer(3);
        Fixture f("Firma");
        mail(f);
        QCOMPARE(f.dialogs.shown.size(), size_t(1));
        QCOMPARE(f.dialogs.shown[0].kind, ScriptedDialogs::Shown::Error);
        QVERIFY(f.dialogs.shown[0].text.contains(u'3'));
    }

    // The button works in the executable's folder and leaves it current.
    void buttonUsesExecutableFolder()
    {
        installComposer(0);
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
        Fixture f("Firma");
        runGuarded(f.dialogs, [&] { mailFromProgramFolder(f.document, f.dialogs); });
        const QString exeFolder = executableFolder();
        QCOMPARE(QDir::currentPath() + u'/', exeFolder);
        QVERIFY(recorded().contains(exeFolder + QStringLiteral("Rapor.xlsx")));
        QVERIFY(recorded().contains(QStringLiteral("ATTACHMENT-PRESENT")));
        QFile::remove(exeFolder + QStringLiteral("Rapor.xlsx"));
        QDir::setCurrent(before);
    }
};

void TestMailing::mail(Fixture &f)
{
    runGuarded(f.dialogs, [&] { mailWorkbook(f.document, f.dialogs, m_folder.path() + u'/'); });
}

QTEST_GUILESS_MAIN(TestMailing)
#include "tst_mailing.moc"
