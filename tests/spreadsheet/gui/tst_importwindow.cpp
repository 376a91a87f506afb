#include "files/settings.h"
#include "core/numericlocale.h"
#include "core/appinfo.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"
#include "spreadsheet/gui/aktarexcel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <xlsxwriter.h>

using namespace kervio;
using kervio::spreadsheet::TaktarexcelF;

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
        ExcelAyarSettings stored;
        stored.vade = "1";
        stored.islem = "";
        stored.aciklama = "3";
        stored.borc = "4";
        stored.alacak = "5";
        stored.basla = "3";
        stored.bitir = "6";
        stored.vadeCheck = true;
        writeExcelAyar(session.settingsPath(), stored);

        TaktarexcelF w(session);
        // form defaults before the first opening
        QCOMPARE(w.JvDotNetEdit21->text(), QStringLiteral("10"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Kavrel Kervio Excel'den Veri Aktarma"));
        QCOMPARE(w.grid().gridRowCount(), 101);
        QCOMPARE(w.grid().gridColumnCount(), 3);
        QVERIFY(!w.tfXPButton2->isEnabled());

        w.BitBtn23Click();
        QVERIFY(w.isVisible());
        QCOMPARE(w.JvDotNetEdit21->text(), QStringLiteral("6"));
        QCOMPARE(w.JvDotNetEdit3->text(), QString());
        QVERIFY(w.CheckBox1->isChecked());
        QCOMPARE(w.statusPanel1->text(), QStringLiteral("Version") + versionSuffix());

        // only digits reach the mapping fields; Enter goes to the next one
        w.JvDotNetEdit20->setFocus();
        w.JvDotNetEdit20->selectAll();
        QTest::keyClicks(w.JvDotNetEdit20, "a3x.");
        QCOMPARE(w.JvDotNetEdit20->text(), QStringLiteral("3"));
        QTest::keyClicks(w.JvDotNetEdit20, "123456");
        QCOMPARE(w.JvDotNetEdit20->text(), QStringLiteral("31234"));
        w.JvDotNetEdit20->setText("3");

        dialogs.fileNames.push_back(m_book);
        QTest::mouseClick(w.JvXPButton1, Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList{"Tablo aktarıldı!"});
        QCOMPARE(dialogs.fileDialogs.size(), size_t(1));
        QVERIFY(dialogs.fileDialogs[0].filter.startsWith(QStringLiteral("Excel Dosyaları (*.xls *.xlsx *.csv")));
        QCOMPARE(w.windowTitle(), QStringLiteral("Kavrel Kervio  - Excel Dosya Aktarma - ") + QDir::toNativeSeparators(m_book)
                                      + QStringLiteral(" - Dosyası Aktarıldı"));
        // last used cell E6: 7 sheet rows, 6 columns, grid rows 0..8
        QCOMPARE(w.grid().gridRowCount(), 9);
        QCOMPARE(w.grid().gridColumnCount(), 7);
        QCOMPARE(w.grid().cell(0, 0), QStringLiteral("Sa/Sü"));
        QCOMPARE(w.grid().cell(6, 0), QStringLiteral("6"));
        QCOMPARE(w.grid().cell(0, 8), QStringLiteral("8"));
        QCOMPARE(w.grid().cell(4, 3), QStringLiteral("2001"));
        QCOMPARE(w.StringGrid1->columnWidth(0), 30);
        QCOMPARE(w.StringGrid1->columnWidth(3), 80);
        QCOMPARE(w.StringGrid1->rowHeight(4), 24);

        // Enter walks along the row, then to column 1 of the next row
        w.StringGrid1->setFocus();
        w.StringGrid1->setCurrentIndex(w.grid().index(3, 5));
        QTest::keyClick(w.StringGrid1, Qt::Key_Return);
        QCOMPARE(w.StringGrid1->currentIndex(), w.grid().index(3, 6));
        QTest::keyClick(w.StringGrid1, Qt::Key_Return);
        QCOMPARE(w.StringGrid1->currentIndex(), w.grid().index(4, 1));
        // a staged cell can be corrected by typing
        QTest::keyClick(w.StringGrid1, 'D');
        QWidget *editor = w.StringGrid1->indexWidget(w.StringGrid1->currentIndex());
        if (!editor)
            editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(editor));
        QTest::keyClicks(editor, "uzeltme");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(w.StringGrid1->currentIndex(), w.grid().index(4, 2));
        QCOMPARE(w.grid().cell(1, 4), QStringLiteral("Duzeltme"));
        w.grid().setCell(1, 4, "04.11.2024");

        QImage shot = w.grab().toImage();
        shot.save(m_dir.filePath("window.png"));
        if (qEnvironmentVariableIsSet("KERVIO_SHOT"))
            shot.save(qEnvironmentVariable("KERVIO_SHOT"));

        // transfer with the mapping shown: the window hides, the ledger fills
        dialogs.clear();
        QTest::mouseClick(w.JvXPButton2, Qt::LeftButton);
        QVERIFY2(dialogs.shown.empty(), qPrintable(dialogs.texts().join(u'|')));
        QVERIFY(!w.isVisible());
        QCOMPARE(session.ledger().gridRowCount(), 7);
        QCOMPARE(session.ledger().cell(1, ColDueDate), QStringLiteral("03.11.2024"));
        QCOMPARE(session.ledger().cell(1, ColTransactionDate), QStringLiteral("03.11.2024"));
        QCOMPARE(session.ledger().cell(2, ColDebit), QStringLiteral("3.001,50"));
        QCOMPARE(readExcelAyar(session.settingsPath()).basla, QStringLiteral("3"));

        // reopening keeps the staged cells; the fields come from the file
        w.JvDotNetEdit4->setText("9");
        w.BitBtn23Click();
        QCOMPARE(w.JvDotNetEdit4->text(), QStringLiteral("3"));
        QCOMPARE(w.grid().cell(3, 3), QStringLiteral("Fatura"));

        // "Yeni Dosya" empties the cells and row numbers, keeps row 0
        QTest::mouseClick(w.JvXPButton7, Qt::LeftButton);
        QCOMPARE(w.grid().cell(3, 3), QString());
        QCOMPARE(w.grid().cell(0, 3), QString());
        QCOMPARE(w.grid().cell(3, 0), QStringLiteral("3"));
        QCOMPARE(w.grid().cell(0, 0), QStringLiteral("Sa/Sü"));
        QCOMPARE(w.grid().gridRowCount(), 9);

        // a failed read keeps the caption and shows the error only
        dialogs.clear();
        dialogs.fileNames.push_back(m_dir.filePath("yok.xlsx"));
        QTest::mouseClick(w.JvXPButton1, Qt::LeftButton);
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QCOMPARE(dialogs.shown[0].kind, ScriptedDialogs::Shown::Error);
        QVERIFY(w.windowTitle().endsWith(QStringLiteral(" - Dosyası Aktarıldı")));
    }
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
