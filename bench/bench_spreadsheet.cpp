// Export of a 100,000-entry ledger made from the worked example, in this
// process and as the whole command line `kervio --export IN.krv --xlsx
// OUT.xlsx` (target 0.8 s; with --million also 1,000,000 entries, targets
// 8 s and 600 MB), and reading workbooks into the staging grid, ordinary and
// hostile ones: prints the times and the peak memory. Each workbook is read
// in a process of its own ("--read FILE"), which reports its own peak memory.
// Usage: bench_spreadsheet [--million] [KERVIO-BINARY]
#include "benchledger.h"
#include "benchmemory.h"
#include "childprocess.h"
#include "core/numericlocale.h"
#include "ledger/document.h"
#include "spreadsheet/exportsheet.h"
#include "ledger/textfuncs.h"
#include "spreadsheet/staginggrid.h"

#include "common/zipwriter.h"
#include "core/errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <xlsxwriter.h>

using namespace kervio;

namespace {

long peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// The child: reads one workbook into the staging grid and says how it went.
int readOne(const QString &file)
{
    StagingGrid grid;
    QElapsedTimer t;
    t.start();
    try {
        stageWorkbook(grid, file, Regional::turkish());
        std::printf("read, %d grid rows, %lld ms", grid.gridRowCount(), t.elapsed());
    } catch (const KervioError &e) {
        const QString reason = e.text().contains(QStringLiteral("okunamadı: ")) ? e.text().section(QStringLiteral("okunamadı: "), 1) : e.text();
        std::printf("refused in %lld ms: %s", t.elapsed(), reason.toUtf8().constData());
    }
    std::printf(", peak memory %ld MB", bench::peakResidentMb());
    return 0;
}

// Runs the child on `file`; prints its answer and peak memory.
void measure(const char *argv0, const char *what, const QString &file)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray name = QFile::encodeName(file);
        execl(argv0, argv0, "--read", name.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::printf(" -- %s (%lld KB)\n", what, QFileInfo(file).size() / 1024);
}

// A sheet of `rows` rows of `columns` number cells.
QByteArray numberRows(int rows, int columns)
{
    QByteArray xml;
    for (int r = 1; r <= rows; ++r) {
        xml += "<row r=\"" + QByteArray::number(r) + "\">";
        for (int c = 0; c < columns; ++c)
            xml += "<c><v>" + QByteArray::number(r * 7 + c) + "</v></c>";
        xml += "</row>";
    }
    return xml;
}

void hostileWorkbooks(const char *argv0, const QTemporaryDir &dir)
{
    const auto xlsx = [&](const char *name, const QByteArray &rows, qint64 filler = 0) {
        const QString path = dir.filePath(QLatin1String(name));
        test::writeZip(path, test::minimalXlsx(rows, filler));
        return path;
    };
    measure(argv0, "xlsx, 6,500 rows of 38 numbers (247,000 cells)", xlsx("dense.xlsx", numberRows(6500, 38)));
    measure(argv0, "xlsx, 6,500 rows of 160 numbers (1,040,000 cells, over the limit)", xlsx("denser.xlsx", numberRows(6500, 160)));
    measure(argv0, "xlsx whose sheet inflates to 800 MB", xlsx("bomb.xlsx", {}, qint64(800) * 1024 * 1024));
    measure(argv0, "xlsx whose sheet inflates to 99 MB", xlsx("padded.xlsx", numberRows(6500, 8), qint64(99) * 1024 * 1024 - 2000000));
    std::vector<test::ZipPart> big = test::minimalXlsx("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>");
    big.back().filler = qint64(90) * 1024 * 1024;
    big.back().fillerByte = 'x';
    big.back().tail = "</t></is></c></row></sheetData></worksheet>";
    const QString huge = dir.filePath(QStringLiteral("hugetext.xlsx"));
    test::writeZip(huge, big);
    measure(argv0, "xlsx with one 90 MB inline text", huge);

    QByteArray odsRows;
    for (int r = 0; r < 6500; ++r) {
        odsRows += "<table:table-row>";
        for (int c = 0; c < 8; ++c)
            odsRows += "<table:table-cell office:value-type=\"float\" office:value=\"" + QByteArray::number(r + c)
                + "\" table:formula=\"of:=" + QByteArray::number(r + c) + "\"><text:p>" + QByteArray::number(r + c) + "</text:p></table:table-cell>";
        odsRows += "</table:table-row>";
    }
    const QString ods = dir.filePath(QStringLiteral("statement.ods"));
    test::writeZip(ods, test::minimalOds(odsRows));
    measure(argv0, "ods, 6,500 rows of 8 formula cells", ods);
    QByteArray textRows;
    for (int r = 0; r < 6500; ++r) {
        textRows += "<table:table-row>";
        for (int c = 0; c < 38; ++c)
            textRows += "<table:table-cell office:value-type=\"string\"><text:p>Fatura açıklaması uzun bir metin "
                + QByteArray::number(r) + '-' + QByteArray::number(c) + "</text:p></table:table-cell>";
        textRows += "</table:table-row>";
    }
    const QString texts = dir.filePath(QStringLiteral("texts.ods"));
    test::writeZip(texts, test::minimalOds(textRows));
    measure(argv0, "ods, 6,500 rows of 38 texts (247,000 cells)", texts);
    const QString repeated = dir.filePath(QStringLiteral("repeated.ods"));
    test::writeZip(repeated, test::minimalOds("<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
                                      "table:number-columns-repeated=\"16384\" office:value-type=\"boolean\" "
                                      "office:boolean-value=\"true\"/></table:table-row>"));
    measure(argv0, "ods of one cell repeated over 1,048,576 x 16,384", repeated);

    QByteArray csv;
    for (int r = 0; r < 6500; ++r)
        csv += "07.03.2024;07.03.2024;Fatura açıklaması " + QByteArray::number(r) + ";1.234,50;;" + QByteArray(4800, 'x') + "\r\n";
    const QString text = dir.filePath(QStringLiteral("wide.csv"));
    QFile f(text);
    if (f.open(QIODevice::WriteOnly))
        f.write(csv);
    f.close();
    measure(argv0, "csv, 6,500 rows of 4.9 KB (31 MB)", text);
}

// The export of a ledger of `entries` rows made from the worked example.
void measureExport(const QTemporaryDir &dir, int entries)
{
    Document s(Regional::turkish());
    bench::loadRepeatedWorkedExample(s, entries);
    s.recalculateAll();
    const long before = peakMb();

    QElapsedTimer t;
    t.start();
    writeExportWorkbook(buildExportSheet(s), dir.filePath(QStringLiteral("big.xlsx")));
    const qint64 exported = t.elapsed();
    std::printf("export of %d entries: %lld ms, peak memory %ld MB (%ld MB before the export), file %lld KB\n",
                entries, exported, peakMb(), before,
                QFileInfo(dir.filePath(QStringLiteral("big.xlsx"))).size() / 1024);
}

// The child that makes the ledger file of `entries` rows, recalculated.
int generate(int entries, const QString &path)
{
    Document s(Regional::turkish());
    bench::loadRepeatedWorkedExample(s, entries);
    s.recalculateAll();
    return writeLedgerFile(path, s.params(), s.ledger(), s.regional()) ? 0 : 1;
}

// A 6,500-row statement of 8 columns, written by libxlsxwriter.
QString writeStatement(const QTemporaryDir &dir)
{
    const QString book = dir.filePath(QStringLiteral("statement.xlsx"));
    lxw_workbook *wb = workbook_new(QFile::encodeName(book).constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "dd.mm.yyyy");
    for (lxw_row_t r = 0; r < 6500; ++r) {
        lxw_datetime d{2024, 1 + int(r % 12), 1 + int(r % 28), 0, 0, 0};
        worksheet_write_datetime(ws, r, 0, &d, date);
        worksheet_write_datetime(ws, r, 1, &d, date);
        worksheet_write_string(ws, r, 2, "Fatura açıklaması", nullptr);
        worksheet_write_number(ws, r, 3, 1234.5 + r, nullptr);
        worksheet_write_number(ws, r, 4, r, nullptr);
        worksheet_write_string(ws, r, 5, "not", nullptr);
        worksheet_write_number(ws, r, 6, 0.24, nullptr);
        worksheet_write_string(ws, r, 7, "05.03.2024", nullptr);
    }
    workbook_close(wb);
    return book;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
        QCoreApplication app(argc, argv);
        return readOne(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0)
        return generate(std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString kervio = bench::kervioUnderTest(args);
    if (QFileInfo(kervio).isExecutable()) {
        const QStringList exportArgs{QStringLiteral("--export"), QStringLiteral("IN"), QStringLiteral("--xlsx"), QStringLiteral("OUT.xlsx")};
        bench::commandLineFigures(kervio, "--export", exportArgs, 100000, 800, 0);
        if (args.contains(QStringLiteral("--million")))
            bench::commandLineFigures(kervio, "--export", exportArgs, 1000000, 8000, 600);
    } else {
        std::printf("command line not found at %s; pass its path\n", qPrintable(kervio));
    }
    QTemporaryDir dir;
    measureExport(dir, 100000);

    const QString book = writeStatement(dir);
    StagingGrid grid;
    QElapsedTimer t;
    t.start();
    stageWorkbook(grid, book, Regional::turkish());
    std::printf("reading a 6,500-row xlsx into the staging grid: %lld ms (%d grid rows)\n", t.elapsed(), grid.gridRowCount());

    std::printf("peak memory of reading workbooks, each in a process of its own (target: under 300 MB):\n");
    measure(argv[0], "xlsx, 6,500 rows of 8 columns", book);
    hostileWorkbooks(argv[0], dir);
    return 0;
}
