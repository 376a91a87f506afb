// Export of a 100,000-entry ledger made from the worked example and reading
// a 6,500-row workbook into the staging grid: prints the times and the peak
// memory.
#include "benchledger.h"
#include "core/numericlocale.h"
#include "ledger/document.h"
#include "spreadsheet/exportsheet.h"
#include "ledger/textfuncs.h"
#include "spreadsheet/staginggrid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <xlsxwriter.h>

using namespace kervio;

namespace {

long peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
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
    const ExportSheet sheet = buildExportSheet(s);
    const qint64 built = t.elapsed();
    writeExportWorkbook(sheet, dir.filePath(QStringLiteral("big.xlsx")));
    const qint64 exported = t.elapsed();
    std::printf("export of %d entries: %lld ms (sheet built in %lld ms), peak memory %ld MB (%ld MB before the export), "
                "file %lld KB\n",
                entries, exported, built, peakMb(), before,
                QFileInfo(dir.filePath(QStringLiteral("big.xlsx"))).size() / 1024);
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
    QCoreApplication app(argc, argv);
    kervio::useCNumericLocaleInProcess(); // figures with a decimal point
    QTemporaryDir dir;
    measureExport(dir, 100000);

    const QString book = writeStatement(dir);
    StagingGrid grid;
    QElapsedTimer t;
    t.start();
    stageWorkbook(grid, book, Regional::turkish());
    std::printf("reading a 6,500-row xlsx into the staging grid: %lld ms (%d grid rows)\n", t.elapsed(), grid.gridRowCount());
    return 0;
}
