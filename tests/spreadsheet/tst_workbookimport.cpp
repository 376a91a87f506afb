// The import as the window and the command line run it: open a workbook
// into the staging grid, transfer it, remember the mapping, without a window.
#include "common/scripteddocument.h"
#include "core/errorhandler.h"
#include "files/settings.h"
#include "spreadsheet/workbookimport.h"

#include <QtTest>

using namespace kervio;

namespace {

// A statement: a title, a header, two entries from row 3.
const QByteArray Statement = "Ekstre;;;;\n"
                             "Vade;İşlem;Açıklama;Borç;Alacak\n"
                             "03.11.2024;01.11.2024;Fatura;100;\n"
                             "04.11.2024;02.11.2024;Tahsilat;;50\n";

struct Fixture : test::ScriptedDocument {
    QTemporaryDir dir;
    WorkbookImport import{document, dialogs};
    QString settingsPath = dir.filePath("Ayarlar.ini");

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    bool open(const QString &path)
    {
        return runGuarded(dialogs, [&] { import.openWorkbook(path); });
    }
    const StagingGrid &staging() const { return import.staging(); }
};

ImportMapping statementMapping(const QString &lastRow = "4")
{
    ImportMapping m = ImportMapping::formDefaults();
    m.lastRow = lastRow;
    return m;
}

} // namespace

Q_DECLARE_METATYPE(kervio::MappingKeyAction)

class TestWorkbookImport : public QObject {
    Q_OBJECT
private slots:
    // "Excel Dosyası Aç": the dialog offers the workbook kinds; cancelling
    // reads nothing.
    void dialogOffersWorkbooks()
    {
        Fixture f;
        QCOMPARE(f.import.askForWorkbook(), QString());
        QCOMPARE(f.dialogs.fileDialogs.size(), size_t(1));
        const QString filter = f.dialogs.fileDialogs[0].filter;
        for (const char *kind : {"*.xls", "*.xlsx", "*.csv", "*.ods"})
            QVERIFY2(filter.section(";;", 0, 0).contains(QLatin1String(kind)), qPrintable(filter));
        QCOMPARE(f.staging().gridRowCount(), 101);
    }

    // Opening replaces what was staged, numbers the rows and columns and
    // names the file by its full path; a file that cannot be read changes
    // nothing.
    void openWorkbook_data()
    {
        QTest::addColumn<QByteArray>("second"); // empty: no such file
        QTest::addColumn<bool>("opened");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("cell33");
        QTest::newRow("smaller book") << QByteArray("tek\n") << true << 4 << "";
        QTest::newRow("missing file") << QByteArray() << false << 7 << "Fatura";
    }
    void openWorkbook()
    {
        QFETCH(QByteArray, second);
        QFETCH(bool, opened);
        QFETCH(int, rows);
        QFETCH(QString, cell33);
        Fixture f;
        const QString first = f.write("ekstre.csv", Statement);
        // a name relative to the current folder comes back in full
        const QString before = QDir::currentPath();
        QDir::setCurrent(f.dir.path());
        QString full;
        const bool read = runGuarded(f.dialogs, [&] { full = f.import.openWorkbook("ekstre.csv"); });
        QDir::setCurrent(before);
        QVERIFY(read);
        QCOMPARE(full, QDir::toNativeSeparators(first));
        QCOMPARE(f.staging().cell(3, 3), QStringLiteral("Fatura"));
        const QString firstCell = f.staging().cell(1, 1);

        const QString path = second.isEmpty() ? f.dir.filePath("yok.csv") : f.write("tek.csv", second);
        QCOMPARE(f.open(path), opened);
        QCOMPARE(f.staging().gridRowCount(), rows);
        QCOMPARE(f.staging().cell(3, 3), cell33);
        QCOMPARE(f.staging().cell(0, 3), QStringLiteral("3"));
        QCOMPARE(f.staging().cell(1, 1), opened ? QStringLiteral("tek") : firstCell);
        QCOMPARE(f.dialogs.shown.size(), size_t(opened ? 0 : 1));
    }

    // The window stores the mapping of a transfer that went through; the
    // command line never does; a refused transfer changes nothing.
    void transferAndMapping_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<bool>("done");
        QTest::addColumn<int>("ledgerRows");
        QTest::newRow("window") << true << "4" << true << 5;
        QTest::newRow("command line") << false << "4" << true << 5;
        QTest::newRow("window, last row empty") << true << "" << false << 2;
        QTest::newRow("command line, last row empty") << false << "" << false << 2;
    }
    void transferAndMapping()
    {
        QFETCH(bool, save);
        QFETCH(QString, lastRow);
        QFETCH(bool, done);
        QFETCH(int, ledgerRows);
        Fixture f;
        QVERIFY(f.open(f.write("ekstre.csv", Statement)));
        const ImportMapping mapping = statementMapping(lastRow);
        bool transferred = false;
        QVERIFY(runGuarded(f.dialogs, [&] {
            transferred = save ? f.import.transferAndSaveMapping(mapping, f.settingsPath) : f.import.transfer(mapping);
        }));
        QCOMPARE(transferred, done);
        QCOMPARE(f.document.ledger().gridRowCount(), ledgerRows);
        QCOMPARE(QFile::exists(f.settingsPath), save && done);
        if (save && done)
            QVERIFY(readImportMapping(f.settingsPath) == mapping);
        if (done) {
            QCOMPARE(f.document.ledger().cell(1, ColDescription), QStringLiteral("Fatura"));
            QCOMPARE(f.document.ledger().cell(2, ColCredit), QStringLiteral("50,00"));
        } else {
            QCOMPARE(f.dialogs.texts(), QStringList{"Bitiş satırını boş geçemezsiniz!"});
        }
        // the staged cells stay for another transfer
        QCOMPARE(f.staging().cell(3, 4), QStringLiteral("Tahsilat"));
    }

    void clearStagingKeepsRowZero()
    {
        Fixture f;
        QVERIFY(f.open(f.write("ekstre.csv", Statement)));
        f.import.clearStaging();
        QCOMPARE(f.staging().cell(1, 3), QString());
        QCOMPARE(f.staging().cell(0, 3), QString());
        QCOMPARE(f.staging().cell(3, 0), QStringLiteral("3"));
        QCOMPARE(f.staging().cell(0, 0), QStringLiteral("Sa/Sü"));
        QCOMPARE(f.staging().gridRowCount(), 7);
    }

    // Enter in the staging grid: on along the row, then to column 1 of the
    // next row, or of the same row in the last one.
    void enterWalk_data()
    {
        QTest::addColumn<QPoint>("from"); // (column, row)
        QTest::addColumn<QPoint>("to");
        QTest::newRow("along the row") << QPoint(1, 1) << QPoint(2, 1);
        QTest::newRow("last column") << QPoint(5, 3) << QPoint(1, 4);
        QTest::newRow("last cell") << QPoint(5, 6) << QPoint(1, 6);
        QTest::newRow("from the fixed column") << QPoint(0, 2) << QPoint(1, 2);
    }
    void enterWalk()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        StagingGrid grid;
        grid.setGridSize(7, 6);
        const QModelIndex next = grid.indexAfterEnter(grid.index(from.y(), from.x()));
        QCOMPARE(QPoint(next.column(), next.row()), to);
        QVERIFY(!grid.indexAfterEnter({}).isValid());
    }

    void mappingFieldKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<MappingKeyAction>("action");
        using A = MappingKeyAction;
        QTest::newRow("digit") << int(Qt::Key_7) << "7" << A::Accept;
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << A::Discard;
        QTest::newRow("dot") << int(Qt::Key_Period) << "." << A::Discard;
        QTest::newRow("minus") << int(Qt::Key_Minus) << "-" << A::Discard;
        QTest::newRow("blank") << int(Qt::Key_Space) << " " << A::Discard;
        QTest::newRow("arabic-indic digit") << int(Qt::Key_unknown) << QString(QChar(0x0663)) << A::Discard;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << "\b" << A::Accept;
        QTest::newRow("delete") << int(Qt::Key_Delete) << "\x7f" << A::Discard;
        QTest::newRow("enter") << int(Qt::Key_Return) << "\r" << A::NextField;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << "\r" << A::NextField;
        QTest::newRow("tab") << int(Qt::Key_Tab) << "\t" << A::Accept;
        QTest::newRow("arrow") << int(Qt::Key_Left) << "" << A::Accept;
        QTest::newRow("escape") << int(Qt::Key_Escape) << "\x1b" << A::Discard;
    }
    void mappingFieldKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(MappingKeyAction, action);
        QCOMPARE(mappingFieldKeyAction(key, text), action);
    }
};

QTEST_GUILESS_MAIN(TestWorkbookImport)
#include "tst_workbookimport.moc"
