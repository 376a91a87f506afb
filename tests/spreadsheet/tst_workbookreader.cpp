#include "common/processlocale.h"
#include "common/scripteddocument.h"
#include "common/zipwriter.h"
#include "core/errors.h"
#include "core/numericlocale.h"
#include "spreadsheet/celltext.h"
#include "spreadsheet/exportsheet.h"
#include "spreadsheet/staginggrid.h"
#include "spreadsheet/workbookreader.h"

#include <QtEndian>
#include <QtTest>
#include <xlsxwriter.h>

#include <functional>
#include <sys/stat.h>

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

// The bytes of a literal, NULs included.
template <size_t N> QByteArray literal(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

// The error text of staging the file; empty when it went through.
QString stagingError(StagingGrid &grid, const QString &file)
{
    try {
        stageWorkbook(grid, file, Regional::turkish());
    } catch (const KervioError &e) {
        return e.text();
    }
    return {};
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        // "Unicode text" of spreadsheet programs: UTF-16 after a byte order mark
        const QString unicodeText = QString::fromUtf8(readBytes(semicolon).mid(3));
        const auto utf16 = [](const QString &text, QStringConverter::Encoding encoding) {
            QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
            return QByteArray(encoder(text));
        };
        const QString little = writeText(path("unicode.txt"), utf16(unicodeText, QStringConverter::Utf16LE));
        const QString big = writeText(path("unicode-be.csv"),
                                      utf16(QString(unicodeText).replace(u';', u'\t'), QStringConverter::Utf16BE));
        for (const QByteArray &locale : {QByteArray(), QByteArray("tr_TR.UTF-8")}) {
            const QByteArray under = locale.isEmpty() ? QByteArray() : " under " + locale;
            QTest::newRow("xlsx" + under) << xlsx << locale;
            QTest::newRow("ods" + under) << ods << locale;
            QTest::newRow("xls" + under) << xls << locale;
            QTest::newRow("csv semicolon" + under) << semicolon << locale;
            QTest::newRow("csv comma" + under) << comma << locale;
            QTest::newRow("csv utf-16" + under) << little << locale;
            QTest::newRow("csv utf-16 big endian, tabs" + under) << big << locale;
        }
    }
    void standardBook()
    {
        QFETCH(QString, file);
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
            {"07.03.2024", "07.03.2024 14:30:00", "05.03.2024", "1234,5", "0,24", "True", ""},
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
        QCOMPARE(stagingError(grid, file), QStringLiteral("Could not convert variant of type (Error) into type (String)"));
        QCOMPARE(grid.cell(1, 1), QStringLiteral("önce"));
        QCOMPARE(grid.cell(1, 2), QStringLiteral("5"));
        QCOMPARE(grid.cell(1, 3), QString());
    }

    // Formula results of every type and error values, in the files a
    // spreadsheet program saves (fixtures/formulas.*): results as texts, an
    // error value as an error cell.
    void formulaResultsAndErrors_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("ods") << QFINDTESTDATA("spreadsheet/fixtures/formulas.ods");
        QTest::newRow("xlsx") << QFINDTESTDATA("spreadsheet/fixtures/formulas.xlsx");
        QTest::newRow("xls") << QFINDTESTDATA("spreadsheet/fixtures/formulas.xls");
    }
    void formulaResultsAndErrors()
    {
        QFETCH(QString, file);
        const WorkbookSheet sheet = readWorkbook(file, Regional::turkish());
        const QStringList results = {"07.03.2024", "Çek ödemesi", "1234,5", "True", "0,24"};
        for (int c = 0; c < results.size(); ++c)
            QCOMPARE(workbookCellText(sheet.at(1, c), Regional::turkish()), results[c]);
        QCOMPARE(sheet.at(2, 0).kind, WorkbookCell::Kind::Error);
        QCOMPARE(sheet.at(2, 1).kind, WorkbookCell::Kind::Error);
        QCOMPARE(workbookCellText(sheet.at(2, 3), Regional::turkish()), QStringLiteral("0,24"));
        StagingGrid grid;
        QCOMPARE(stagingError(grid, file), QStringLiteral("Could not convert variant of type (Error) into type (String)"));
    }

    // Texts stored in the cell itself, as streaming writers store them,
    // rich runs joined, and an error constant.
    void inlineStringsAndErrorConstants()
    {
        const QString file = path("inline.xlsx");
        QVERIFY(test::writeZip(file, test::minimalXlsx(
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Açıklama</t></is></c>"
            "<c r=\"B1\" t=\"inlineStr\"><is><r><t>Çek </t></r><r><t>ödemesi</t></r><rPh><t>x</t></rPh></is></c></row>"
            "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>05.03.2024</t></is></c><c r=\"B2\"><v>12.5</v></c></row>"
            "<row r=\"3\"><c r=\"C3\" t=\"e\"><v>#DIV/0!</v></c></row>")));
        const WorkbookSheet sheet = readWorkbook(file, Regional::turkish());
        QCOMPARE(sheet.rows, 3);
        QCOMPARE(sheet.columns, 3);
        QCOMPARE(workbookCellText(sheet.at(0, 0), Regional::turkish()), QStringLiteral("Açıklama"));
        QCOMPARE(workbookCellText(sheet.at(0, 1), Regional::turkish()), QStringLiteral("Çek ödemesi"));
        QCOMPARE(workbookCellText(sheet.at(1, 0), Regional::turkish()), QStringLiteral("05.03.2024"));
        QCOMPARE(workbookCellText(sheet.at(1, 1), Regional::turkish()), QStringLiteral("12,5"));
        QCOMPARE(sheet.at(2, 2).kind, WorkbookCell::Kind::Error);
    }

    // ods cells as a spreadsheet program saves them: runs of blanks, several
    // paragraphs, formatted spans, a comment beside the value, and two equal
    // rows stored once with a repeat count.
    void odsCellsAsSaved()
    {
        const QString file = path("metin.ods");
        const auto cell = [](const QByteArray &inner) {
            return "<table:table-cell office:value-type=\"string\">" + inner + "</table:table-cell>";
        };
        QVERIFY(test::writeZip(file, test::minimalOds(
            "<table:table-row>" + cell("<text:p>a <text:s/>b <text:s text:c=\"2\"/>çift</text:p>")
            + cell("<text:p>iki</text:p><text:p>satır</text:p>")
            + cell("<text:p><text:span>Çek</text:span> ödemesi</text:p>")
            + cell("<office:annotation><text:p>not</text:p></office:annotation><text:p>değer</text:p>")
            + "</table:table-row><table:table-row table:number-rows-repeated=\"2\">"
              "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-03-05\"><text:p>05.03.2024</text:p></table:table-cell>"
            + cell("<text:p>Fatura</text:p>")
            + "<table:table-cell office:value-type=\"float\" office:value=\"100.5\"><text:p>100,5</text:p></table:table-cell>"
              "</table:table-row>")));
        const WorkbookSheet sheet = readWorkbook(file, Regional::turkish());
        QCOMPARE(sheet.rows, 3);
        const QStringList texts = {"a  b   çift", "iki\nsatır", "Çek ödemesi", "değer"};
        for (int c = 0; c < texts.size(); ++c)
            QCOMPARE(workbookCellText(sheet.at(0, c), Regional::turkish()), texts[c]);
        for (int r = 1; r <= 2; ++r) {
            QCOMPARE(workbookCellText(sheet.at(r, 0), Regional::turkish()), QStringLiteral("05.03.2024"));
            QCOMPARE(workbookCellText(sheet.at(r, 1), Regional::turkish()), QStringLiteral("Fatura"));
            QCOMPARE(workbookCellText(sheet.at(r, 2), Regional::turkish()), QStringLiteral("100,5"));
        }
    }

    // Our own export of a big ledger (streamed, its texts inline) reads back.
    void bigExportReadsBack()
    {
        test::ScriptedDocument d;
        test::fillLedger(d.document.ledger(), {{"01.10.2024", "31.10.2024", "Satış faturası 0", "1000,25", ""},
                                               {"02.10.2024", "31.10.2024", "Satış faturası 1", "1001,25", ""},
                                               {"03.10.2024", "31.10.2024", "Satış faturası 2", "1002,25", ""}});
        d.document.recalculateAll();
        const QString file = path("export.xlsx");
        writeExportWorkbook(buildExportSheet(d.document), file, WorkbookMemory::Constant);
        const WorkbookSheet back = readWorkbook(file, Regional::turkish());
        QCOMPARE(workbookCellText(back.at(5, 2), Regional::turkish()), QStringLiteral("Satış faturası 2"));
        QCOMPARE(workbookCellText(back.at(5, 3), Regional::turkish()), QStringLiteral("1002,25"));
    }

    // Files that are no workbook, or one that cannot be read, are refused by
    // their content whatever their name says, with a Turkish reason, and the
    // staged cells stay as they were.
    void hostileFilesAreRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString notWorkbook = QStringLiteral("bir çalışma kitabı (xlsx, ods, xls) ya da metin (csv) dosyası değil");
        QTest::newRow("png named xlsx") << writeText(path("resim.xlsx"), literal("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10"))
                                        << notWorkbook;
        QTest::newRow("pdf named xls")
            << writeText(path("belge.xls"), literal("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<</Filter/FlateDecode>>\nstream\nx\x9c\x03\0\0\0\0\x01\n"))
            << notWorkbook;
        QTest::newRow("empty file") << writeText(path("bos.xlsx"), QByteArray()) << "dosya boş";
        QTest::newRow("folder") << m_dir.path() << "bir dosya değil";
        const QString fifo = path("boru.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::newRow("fifo") << fifo << "bir dosya değil";
        const QString zipOnly = path("arsiv.xlsx");
        QVERIFY(test::writeZip(zipOnly, {{"notlar.txt", "merhaba"}}));
        QTest::newRow("zip without a workbook") << zipOnly << "zip arşivi bir çalışma kitabı içermiyor";
        const QString text = path("yazi.ods");
        QVERIFY(test::writeZip(text, {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}}));
        QTest::newRow("opendocument text") << text << "zip arşivi bir çalışma kitabı içermiyor";
        const QByteArray whole = readBytes(makeXlsx(path("tam.xlsx"), fillStandard));
        QTest::newRow("truncated xlsx") << writeText(path("yarim.xlsx"), whole.left(whole.size() * 2 / 3))
                                        << "dosya yarım kalmış ya da bozuk";
        QTest::newRow("encrypted xlsx") << QFINDTESTDATA("spreadsheet/fixtures/encrypted.xlsx") << "şifreli";
        QTest::newRow("encrypted xls") << QFINDTESTDATA("spreadsheet/fixtures/encrypted.xls") << "şifreli";
        const QString bomb = path("bomba.xlsx");
        QVERIFY(test::writeZip(bomb, test::minimalXlsx("", 150 * 1024 * 1024)));
        QTest::newRow("part inflating to 150 MB") << bomb << "bölümü açıldığında çok büyük (150 MB; en çok 100 MB)";
        // every row of a 6,500-row statement filled 40 columns wide with texts
        const QString wide = path("genis.ods");
        QVERIFY(test::writeZip(wide, test::minimalOds(
            "<table:table-row table:number-rows-repeated=\"6500\"><table:table-cell table:number-columns-repeated=\"40\" "
            "office:value-type=\"string\"><text:p>Fatura açıklaması</text:p></table:table-cell></table:table-row>")));
        QTest::newRow("260,000 filled cells") << wide << "ilk sayfada 250000 hücreden fazla dolu hücre var";
        const QString damaged = path("bozuk.xlsx");
        QVERIFY(test::writeZip(damaged, test::minimalXlsx("<row r=\"1\"><c r=\"A1\"><v>1</v></row>")));
        QTest::newRow("damaged sheet") << damaged << "bozuk ya da eksik (";
        // a damaged directory, which the xls library would follow into a crash
        const QByteArray xls = readBytes(QFINDTESTDATA("spreadsheet/fixtures/formulas.xls"));
        const qint64 directory = (qFromLittleEndian<quint32>(xls.constData() + 0x30) + 1) * 512;
        QByteArray badType = xls;
        badType[directory + 3 * 128 + 0x42] = char(0xFF);
        QTest::newRow("xls directory entry of no kind") << writeText(path("tur.xls"), badType) << "bozuk";
        QByteArray longStream = xls;
        qToLittleEndian<quint32>(0x7FFFFFFF, longStream.data() + directory + 2 * 128 + 0x78);
        QTest::newRow("xls stream longer than the file") << writeText(path("uzun.xls"), longStream) << "bozuk";
        // damage past every check before the xls library, which crashes on it
        QTest::newRow("xls the library cannot read")
            << QFINDTESTDATA("spreadsheet/fixtures/damaged-records.xls") << "Excel 97-2003 çalışma kitabı bozuk";
        QTest::newRow("csv the parser cannot read") << writeText(path("tirnak.csv"), "\"a\"b;c\n") << "metin (csv) dosyası bozuk (";
    }
    void hostileFilesAreRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QVERIFY(!file.isEmpty());
        StagingGrid grid;
        grid.setGridSize(5, 4);
        grid.setCell(1, 1, QStringLiteral("eski"));
        const QString error = stagingError(grid, file);
        const QString start = u'"' + QDir::toNativeSeparators(file) + QStringLiteral("\" dosyası okunamadı: ");
        QVERIFY2(error.startsWith(start) && error.contains(reason), qPrintable(error));
        QCOMPARE(grid.cell(1, 1), QStringLiteral("eski"));
        QCOMPARE(grid.gridRowCount(), 5);
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
