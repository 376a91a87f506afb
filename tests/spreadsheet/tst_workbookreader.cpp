#include "common/processlocale.h"
#include "core/errors.h"
#include "core/numericlocale.h"
#include "spreadsheet/celltext.h"
#include "spreadsheet/staginggrid.h"
#include "spreadsheet/workbookreader.h"

#include <QtTest>
#include <xlsxwriter.h>

#include <functional>

using namespace kervio;

namespace {

// Writes an xlsx with libxlsxwriter; `fill` gets the first sheet and the book.
QString makeXlsx(const QString &path, const std::function<void(lxw_workbook *, lxw_worksheet *)> &fill)
{
    const CNumericLocale cNumbers; // the library prints its numbers with the C library
    lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, "Hareketler");
    fill(wb, ws);
    lxw_worksheet *other = workbook_add_worksheet(wb, "Diger");
    worksheet_write_string(other, 0, 0, "ikinci sayfa", nullptr);
    if (workbook_close(wb) != LXW_NO_ERROR)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

lxw_datetime stamp(int y, int m, int d, int h = 0, int mi = 0)
{
    lxw_datetime t{};
    t.year = y;
    t.month = m;
    t.day = d;
    t.hour = h;
    t.min = mi;
    return t;
}

// The book every format holds (see fixtures/make_fixtures.py).
void fillStandard(lxw_workbook *wb, lxw_worksheet *ws)
{
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format *dateTime = workbook_add_format(wb);
    format_set_num_format(dateTime, "dd.mm.yyyy hh:mm");
    lxw_format *amount = workbook_add_format(wb);
    format_set_num_format(amount, "#,##0.00");
    lxw_format *percent = workbook_add_format(wb);
    format_set_num_format(percent, "0%");
    const char *head[] = {"İşlem", "Vade", "Açıklama", "Borç", "Alacak"};
    for (int c = 0; c < 5; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), head[c], nullptr);
    lxw_datetime d = stamp(2024, 3, 7);
    worksheet_write_datetime(ws, 1, 0, &d, date);
    lxw_datetime dt = stamp(2024, 3, 7, 14, 30);
    worksheet_write_datetime(ws, 1, 1, &dt, dateTime);
    worksheet_write_string(ws, 1, 2, "05.03.2024", nullptr);
    worksheet_write_number(ws, 1, 3, 1234.5, amount);
    worksheet_write_number(ws, 1, 4, 0.24, percent);
    worksheet_write_boolean(ws, 1, 5, 1, nullptr);
    worksheet_write_number(ws, 2, 0, 42, nullptr);
    worksheet_write_number(ws, 2, 1, 3.25, nullptr);
    worksheet_write_string(ws, 2, 2, "Çek ödemesi", nullptr);
    worksheet_write_number(ws, 2, 4, -0.5, nullptr);
    worksheet_write_number(ws, 3, 5, 7, nullptr);
}

QString writeText(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestWorkbookReader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    // The same sheet in every format arrives as the same texts, also when
    // the C library's locale is a Turkish desktop's (its fractions 1234.5,
    // 0.24, 3.25, -0.5 kept).
    void standardBook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("booleanByName");
        QTest::addColumn<QByteArray>("processLocale"); // empty: as the test runs
        const QString xlsx = makeXlsx(path("standard.xlsx"), fillStandard);
        const QString ods = QFINDTESTDATA("spreadsheet/fixtures/fixture.ods");
        const QString xls = QFINDTESTDATA("spreadsheet/fixtures/fixture.xls");
        const QString semicolon = writeText(path("semicolon.csv"), "\xEF\xBB\xBFİşlem;Vade;Açıklama;Borç;Alacak\r\n"
                                                                   "07.03.2024;7.3.2024 14:30;\"05.03.2024\";1.234,50;24%;True\r\n"
                                                                   "42;3,25;Çek ödemesi;;-0,5\r\n"
                                                                   ";;;;;7\r\n");
        const QString comma = writeText(path("comma.csv"), "İşlem,Vade,Açıklama,Borç,Alacak\n"
                                                           "2024-03-07,07/03/2024 14:30,05.03.2024,\"1.234,50\",24 %,True\n"
                                                           "42,\"3,25\",\"Çek ödemesi\",,\"-0,5\"\n"
                                                           ",,,,,7\n");
        for (const QByteArray &locale : {QByteArray(), QByteArray("tr_TR.UTF-8")}) {
            const QByteArray under = locale.isEmpty() ? QByteArray() : " under " + locale;
            QTest::newRow("xlsx" + under) << xlsx << true << locale;
            QTest::newRow("ods" + under) << ods << true << locale;
            // the xls reader library gives logical values as the numbers 1 and 0
            QTest::newRow("xls" + under) << xls << false << locale;
            QTest::newRow("csv semicolon" + under) << semicolon << true << locale;
            QTest::newRow("csv comma" + under) << comma << true << locale;
        }
    }
    void standardBook()
    {
        QFETCH(QString, file);
        QFETCH(bool, booleanByName);
        QFETCH(QByteArray, processLocale);
        QVERIFY(!file.isEmpty());
        KERVIO_SET_PROCESS_LOCALE(locale, processLocale);
        StagingGrid grid;
        stageWorkbook(grid, file, Regional::turkish());
        // last used cell F4: 5 sheet rows and 7 columns, grid rows 0..6
        QCOMPARE(grid.gridRowCount(), 7);
        QCOMPARE(grid.gridColumnCount(), 8);
        const QStringList rows[] = {
            {"İşlem", "Vade", "Açıklama", "Borç", "Alacak", "", ""},
            {"07.03.2024", "07.03.2024 14:30:00", "05.03.2024", "1234,5", "0,24", booleanByName ? "True" : "1", ""},
            {"42", "3,25", "Çek ödemesi", "", "-0,5", "", ""},
            {"", "", "", "", "", "7", ""},
            {"", "", "", "", "", "", ""},
        };
        for (int y = 1; y <= 5; ++y)
            for (int x = 1; x <= 7; ++x)
                QVERIFY2(grid.cell(x, y) == rows[y - 1][x - 1],
                         qPrintable(QStringLiteral("(%1,%2): %3").arg(x).arg(y).arg(grid.cell(x, y))));
    }

    void emptySheetGivesTwoByTwo()
    {
        StagingGrid grid;
        grid.setCell(1, 1, "old");
        grid.clearBelowHeader(); // as "Excel Dosyası Aç" does before reading
        stageWorkbook(grid, makeXlsx(path("empty.xlsx"), [](lxw_workbook *, lxw_worksheet *) {}), Regional::turkish());
        QCOMPARE(grid.gridRowCount(), 4);
        QCOMPARE(grid.gridColumnCount(), 3);
        QCOMPARE(grid.cell(1, 1), QString());
    }

    void rowsBeyond6500AreDropped()
    {
        const QString file = makeXlsx(path("long.xlsx"), [](lxw_workbook *, lxw_worksheet *ws) {
            for (lxw_row_t r = 0; r < 20000; r += 7)
                worksheet_write_number(ws, r, 0, r + 1, nullptr);
            worksheet_write_string(ws, 6499, 1, "son", nullptr);
            worksheet_write_string(ws, 6500, 1, "fazla", nullptr);
        });
        StagingGrid grid;
        stageWorkbook(grid, file, Regional::turkish());
        QCOMPARE(grid.gridRowCount(), 6502);
        QCOMPARE(grid.cell(2, 6500), QStringLiteral("son"));
        QCOMPARE(grid.cell(2, 6501), QString());
        QCOMPARE(grid.cell(1, 8), QStringLiteral("8"));
    }

    // An error value stops the read; what came before it stays.
    void errorValueStopsTheRead()
    {
        const QString file = makeXlsx(path("error.xlsx"), [](lxw_workbook *, lxw_worksheet *ws) {
            worksheet_write_string(ws, 0, 0, "önce", nullptr);
            worksheet_write_number(ws, 1, 0, 5, nullptr);
            worksheet_write_formula_str(ws, 1, 1, "=1/0", nullptr, "#DIV/0!");
            worksheet_write_string(ws, 2, 0, "sonra", nullptr);
        });
        StagingGrid grid;
        try {
            stageWorkbook(grid, file, Regional::turkish());
            QFAIL("no error");
        } catch (const KervioError &e) {
            QCOMPARE(e.text(), QStringLiteral("Could not convert variant of type (Error) into type (String)"));
        }
        QCOMPARE(grid.cell(1, 1), QStringLiteral("önce"));
        QCOMPARE(grid.cell(1, 2), QStringLiteral("5"));
        QCOMPARE(grid.cell(1, 3), QString());
    }

    void unreadableFileNamesIt()
    {
        const QString file = writeText(path("broken.xlsx"), QByteArray("PK\x03\x04 not really a zip"));
        StagingGrid grid;
        try {
            stageWorkbook(grid, file, Regional::turkish());
            QFAIL("no error");
        } catch (const KervioError &e) {
            QVERIFY2(e.text().contains(QDir::toNativeSeparators(file)), qPrintable(e.text()));
        }
    }

    // A smaller second book leaves nothing of the first behind.
    void secondReadReplacesFirst()
    {
        StagingGrid grid;
        stageWorkbook(grid, makeXlsx(path("big.xlsx"), fillStandard), Regional::turkish());
        grid.clearBelowHeader();
        stageWorkbook(grid, makeXlsx(path("small.xlsx"), [](lxw_workbook *, lxw_worksheet *ws) {
            worksheet_write_string(ws, 0, 0, "tek", nullptr);
        }), Regional::turkish());
        QCOMPARE(grid.gridRowCount(), 4);
        QCOMPARE(grid.gridColumnCount(), 3);
        QCOMPARE(grid.cell(1, 1), QStringLiteral("tek"));
        QCOMPARE(grid.cell(3, 2), QString());
    }

    void csvValues_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("grouped amount") << QByteArray("1.234.567,89") << "1234567,89";
        QTest::newRow("bad grouping stays text") << QByteArray("1.23,5") << "1.23,5";
        QTest::newRow("negative") << QByteArray("-12,50") << "-12,5";
        QTest::newRow("percent") << QByteArray("12,5%") << "0,125";
        QTest::newRow("short year date") << QByteArray("7.3.24") << "07.03.2024";
        QTest::newRow("impossible date stays text") << QByteArray("31.02.2024") << "31.02.2024";
        QTest::newRow("time alone") << QByteArray("9:05") << "09:05:00";
        QTest::newRow("long digit string stays text") << QByteArray("1234567890123456789") << "1234567890123456789";
        QTest::newRow("quoted delimiter") << QByteArray("\"a;b\"\"c\"") << "a;b\"c";
        QTest::newRow("code page 1254") << QByteArray("\xDE\xFE\xDD\xFD") << "Şşİı";
    }
    void csvValues()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, text);
        const WorkbookSheet s = readCsvText("x;y\n" + field + ";z\n", Regional::turkish());
        QCOMPARE(workbookCellText(s.at(1, 0), Regional::turkish()), text);
    }

    void csvDelimiter_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<char>("delimiter");
        QTest::newRow("semicolon with decimal commas") << QByteArray("a;1,5;2,5\nb;3,5;4\n") << ';';
        QTest::newRow("comma with quoted amounts") << QByteArray("a,\"1,5\",b\nc,\"2;3\",d\n") << ',';
        QTest::newRow("tab") << QByteArray("a\tb,c\td\ne\tf\tg\n") << '\t';
    }
    void csvDelimiter()
    {
        QFETCH(QByteArray, text);
        QFETCH(char, delimiter);
        QCOMPARE(detectCsvDelimiter(text), delimiter);
    }

    // A quote the parser cannot close is refused with our error, which the
    // windows and the command line show, never with the parser's own.
    void csvParserFailureIsOurError()
    {
        bool ours = false;
        try {
            readCsvText(QByteArray("\"Tarih\"\"Tar;"), Regional::turkish());
            ours = true; // read leniently is fine too
        } catch (const KervioError &e) {
            ours = !e.text().isEmpty();
        }
        QVERIFY(ours);
    }

    void dateFormatCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("general") << "General" << false;
        QTest::newRow("amount") << "#,##0.00" << false;
        QTest::newRow("currency text") << "#,##0.00 \"TL\"" << false;
        QTest::newRow("coloured negative") << "#,##0;[Red]-#,##0" << false;
        QTest::newRow("scientific") << "0.00E+00" << false;
        QTest::newRow("turkish date") << "dd.mm.yyyy" << true;
        QTest::newRow("locale tagged") << "[$-41F]d mmmm yyyy" << true;
        QTest::newRow("elapsed hours") << "[h]:mm" << true;
        QTest::newRow("builtin 14") << builtinNumberFormat(14) << true;
    }
    void dateFormatCodes()
    {
        QFETCH(QString, code);
        QFETCH(bool, isDate);
        QCOMPARE(isDateFormatCode(code), isDate);
    }
};

QTEST_GUILESS_MAIN(TestWorkbookReader)
#include "tst_workbookreader.moc"
