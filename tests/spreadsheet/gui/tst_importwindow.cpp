#include "files/settings.h"
#include "core/numericlocale.h"
#include "core/appinfo.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/gui/importwindow.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <xlsxwriter.h>

using namespace kervio;
using kervio::spreadsheet::ImportWindow;

template <class W = QWidget>
W *widget(const QWidget &window, const char *name)
{
    W *w = window.findChild<W *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QLineEdit *edit(const QWidget &window, const char *name)
{
    return widget<QLineEdit>(window, name);
}

void click(const QWidget &window, const char *button)
{
    QTest::mouseClick(widget<QPushButton>(window, button), Qt::LeftButton);
}

class TestImportWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_book;

private slots:
    void initTestCase()
    {
        // a statement: title row, header row, entries from row 3
        m_book = m_dir.filePath("ekstre.xlsx");
        const CNumericLocale cNumbers; // the library prints its numbers with the C library
        lxw_workbook *wb = workbook_new(QFile::encodeName(m_book).constData());
        lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
        worksheet_write_string(ws, 0, 0, "Ekstre", nullptr);
        const char *head[] = {"Vade", "İşlem", "Açıklama", "Borç", "Alacak"};
        for (int c = 0; c < 5; ++c)
            worksheet_write_string(ws, 1, lxw_col_t(c), head[c], nullptr);
        for (int r = 2; r < 6; ++r) {
            worksheet_write_string(ws, lxw_row_t(r), 0, QStringLiteral("%1.11.2024").arg(r + 1, 2, 10, QChar(u'0')).toUtf8().constData(), nullptr);
            worksheet_write_string(ws, lxw_row_t(r), 2, "Fatura", nullptr);
            worksheet_write_number(ws, lxw_row_t(r), 3, 1000.5 * r, nullptr);
        }
        QVERIFY(workbook_close(wb) == LXW_NO_ERROR);
    }

    void window()
    {
        ScriptedDialogs dialogs;
        Session session(Regional::turkish(), &dialogs);
        session.setSettingsPath(m_dir.filePath("Ayarlar.ini"));
        session.params().setCalculationDate(QDate(2024, 12, 31));
        session.params().setText(Parameters::DaysInYear, "365");
        session.params().setText(Parameters::YearlyRate, "24");
        ImportMapping stored = ImportMapping::formDefaults();
        stored.transactionDateColumn = "";
        stored.lastRow = "6";
        stored.dueDateIsTransactionDate = true;
        writeImportMapping(session.settingsPath(), stored);

        ImportWindow w(session);
        // form defaults before the first opening
        QCOMPARE(w.mapping(), ImportMapping::formDefaults());
        QCOMPARE(w.windowTitle(), QStringLiteral("Kavrel Kervio Excel'den Veri Aktarma"));
        QCOMPARE(w.staging().gridRowCount(), 101);
        QCOMPARE(w.staging().gridColumnCount(), 3);
        QVERIFY(!widget(w, "helpButton")->isEnabled());

        w.showWithStoredMapping();
        QVERIFY(w.isVisible());
        QCOMPARE(edit(w, "lastRowEdit")->text(), QStringLiteral("6"));
        QCOMPARE(edit(w, "transactionDateColumnEdit")->text(), QString());
        QVERIFY(widget<QCheckBox>(w, "dueDateIsTransactionDateCheck")->isChecked());
        QCOMPARE(w.mapping(), stored);
        QCOMPARE(widget<QLabel>(w, "versionLabel")->text(), QStringLiteral("Version") + versionSuffix());

        // only digits reach the mapping fields, up to the field's length;
        // Enter goes on to the next one
        QLineEdit *firstRow = edit(w, "firstRowEdit");
        firstRow->setFocus();
        firstRow->selectAll();
        QTest::keyClicks(firstRow, "a3x.");
        QCOMPARE(firstRow->text(), QStringLiteral("3"));
        QTest::keyClicks(firstRow, "123456");
        QCOMPARE(firstRow->text(), QStringLiteral("31234"));
        firstRow->setText("3");
        QTest::keyClick(firstRow, Qt::Key_Return);
        QCOMPARE(w.focusWidget(), edit(w, "lastRowEdit"));

        dialogs.fileNames.push_back(m_book);
        click(w, "openWorkbookButton");
        QCOMPARE(dialogs.texts(), QStringList{"Tablo aktarıldı!"});
        QCOMPARE(dialogs.fileDialogs.size(), size_t(1));
        QVERIFY(dialogs.fileDialogs[0].filter.startsWith(QStringLiteral("Excel Dosyaları (*.xls *.xlsx *.csv")));
        QCOMPARE(w.windowTitle(), QStringLiteral("Kavrel Kervio  - Excel Dosya Aktarma - ") + QDir::toNativeSeparators(m_book)
                                      + QStringLiteral(" - Dosyası Aktarıldı"));
        // last used cell E6: 7 sheet rows, 6 columns, grid rows 0..8
        QCOMPARE(w.staging().gridRowCount(), 9);
        QCOMPARE(w.staging().gridColumnCount(), 7);
        QCOMPARE(w.staging().cell(0, 0), QStringLiteral("Sa/Sü"));
        QCOMPARE(w.staging().cell(6, 0), QStringLiteral("6"));
        QCOMPARE(w.staging().cell(0, 8), QStringLiteral("8"));
        QCOMPARE(w.staging().cell(4, 3), QStringLiteral("2001"));
        auto *grid = widget<QTableView>(w, "stagingGrid");
        QCOMPARE(grid->columnWidth(0), 30);
        QCOMPARE(grid->columnWidth(3), 80);

        // Enter walks along the row, then to column 1 of the next row
        grid->setFocus();
        grid->setCurrentIndex(w.staging().index(3, 5));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), w.staging().index(3, 6));
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), w.staging().index(4, 1));
        // a staged cell can be corrected by typing
        QTest::keyClick(grid, 'D');
        QWidget *editor = grid->indexWidget(grid->currentIndex());
        if (!editor)
            editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(editor));
        QTest::keyClicks(editor, "uzeltme");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(grid->currentIndex(), w.staging().index(4, 2));
        QCOMPARE(w.staging().cell(1, 4), QStringLiteral("Duzeltme"));
        w.staging().setCell(1, 4, "04.11.2024");

        QImage shot = w.grab().toImage();
        shot.save(m_dir.filePath("window.png"));
        if (qEnvironmentVariableIsSet("KERVIO_SHOT"))
            shot.save(qEnvironmentVariable("KERVIO_SHOT"));

        // transfer with the mapping shown: the window hides, the ledger fills
        dialogs.clear();
        click(w, "transferButton");
        QVERIFY2(dialogs.shown.empty(), qPrintable(dialogs.texts().join(u'|')));
        QVERIFY(!w.isVisible());
        QCOMPARE(session.ledger().gridRowCount(), 7);
        QCOMPARE(session.ledger().cell(1, ColDueDate), QStringLiteral("03.11.2024"));
        QCOMPARE(session.ledger().cell(1, ColTransactionDate), QStringLiteral("03.11.2024"));
        QCOMPARE(session.ledger().cell(2, ColDebit), QStringLiteral("3.001,50"));
        QCOMPARE(readImportMapping(session.settingsPath()), w.mapping());

        // reopening keeps the staged cells; the fields come from the file
        edit(w, "descriptionColumnEdit")->setText("9");
        w.showWithStoredMapping();
        QCOMPARE(edit(w, "descriptionColumnEdit")->text(), QStringLiteral("3"));
        QCOMPARE(w.staging().cell(3, 3), QStringLiteral("Fatura"));

        // "Yeni Dosya" empties the cells and row numbers, keeps row 0
        click(w, "newFileButton");
        QCOMPARE(w.staging().cell(3, 3), QString());
        QCOMPARE(w.staging().cell(0, 3), QString());
        QCOMPARE(w.staging().cell(3, 0), QStringLiteral("3"));
        QCOMPARE(w.staging().cell(0, 0), QStringLiteral("Sa/Sü"));
        QCOMPARE(w.staging().gridRowCount(), 9);

        // a failed read keeps the caption and shows the error only
        dialogs.clear();
        dialogs.fileNames.push_back(m_dir.filePath("yok.xlsx"));
        click(w, "openWorkbookButton");
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QCOMPARE(dialogs.shown[0].kind, ScriptedDialogs::Shown::Error);
        QVERIFY(w.windowTitle().endsWith(QStringLiteral(" - Dosyası Aktarıldı")));
    }
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
