#include "exportsheet.h"
#include "tempfiles.h"
#include "core/savefile.h"
#include "core/errors.h"
#include "core/numericlocale.h"
#include "ledger/textfuncs.h"
#include "ledger/document.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#include <cstdio>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kervio {

namespace {

constexpr int LastColumn = 255; // IV
using St = SheetCell::Style;

QString dateText(const QDate &d, const Regional &reg)
{
    return d.isValid() ? dateToText(d, reg) : QString();
}

// The text a spreadsheet shows for a cell, for fitting the widths.
QString shownText(const SheetCell &c, const Regional &reg)
{
    if (c.kind == SheetCell::Kind::Text)
        return c.text;
    if (c.style & St::Amount)
        return formatAmount(c.number, reg);
    return generalNumberText(c.number, reg);
}

double shownWidth(const SheetCell &c, const Regional &reg)
{
    double chars = 0;
    for (QChar ch : shownText(c, reg))
        chars += ch.isUpper() ? 1.25 : (ch == u'.' || ch == u',' || ch == u' ' || ch == u':') ? 0.5 : 1.0;
    double scale = 1.0;
    if (c.style & St::Size12)
        scale *= 12.0 / 11.0;
    if (c.style & St::Bold)
        scale *= 1.08;
    return chars * scale + 1.0;
}

// Sheet rows (from 0) around the ledger of N rows, which starts at row 3.
constexpr int TitleRows = 2;
int totalsRowOf(int ledgerRows) { return ledgerRows + 4; }  // N+5
int summaryRowOf(int ledgerRows) { return ledgerRows + 6; } // N+7

constexpr int TableColumns = LedgerTable::ColumnCount - 5; // 8

// The summary block from row N+7: each label with its value to its right.
struct SummaryItem {
    enum Kind { Date, Number, Amount };
    int row; // below the block's first row
    int col; // of the label
    const char *label;
    Kind kind;
    int source; // a Summary::Picker for a date, a Summary::Field otherwise
};

const SummaryItem SummaryBlock[] = {
    {0, 0, "Ortalama Vade:", SummaryItem::Date, Summary::OverallDate},
    {1, 0, "Ortalama Gün:", SummaryItem::Number, Summary::OverallDays},
    {1, 6, "Borç Ortalama Vade:", SummaryItem::Date, Summary::DebitDate},
    {2, 0, "Borç Toplam Tutarı:", SummaryItem::Amount, Summary::DebitTotal},
    {2, 3, "Borç Vade Farkı:", SummaryItem::Amount, Summary::DebitDiff},
    {2, 6, "Borç Ortalama Gün:", SummaryItem::Number, Summary::DebitDays},
    {3, 0, "Alacak Toplam Tutarı:", SummaryItem::Amount, Summary::CreditTotal},
    {3, 3, "Alacak Vade Farkı:", SummaryItem::Amount, Summary::CreditDiff},
    {3, 6, "Alacak Ortalama Vade:", SummaryItem::Date, Summary::CreditDate},
    {4, 0, "Bakiye Tutarı:", SummaryItem::Amount, Summary::Balance},
    {4, 3, "Net Vade Farkı:", SummaryItem::Amount, Summary::NetDiff},
    {4, 6, "Alacak Ortalama Gün:", SummaryItem::Number, Summary::CreditDays},
};
constexpr int SummaryRows = 5;

} // namespace

QString columnLetter(int column1)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return alphabet.mid(column1 - 1, 1);
}

ExportSheet::ExportSheet(const Document &document)
    : m_document(document), m_ledgerRows(document.ledger().gridRowCount())
{
    const int totalsRow = totalsRowOf(m_ledgerRows);
    m_ranges = {
        {0, 2, 0, LastColumn, St::Bold},
        {1, 2, 0, LastColumn, St::Size12},
        {3, totalsRow, 3, 4, St::Amount},
        {3, totalsRow, 6, 7, St::Amount},
        {totalsRow, totalsRow, 0, 17, St::Bold},
    };
    m_cells.reserve(LastColumn + 1);
}

const Regional &ExportSheet::regional() const { return m_document.regional(); }

quint8 ExportSheet::rangeStyle(int row, int col) const
{
    quint8 s = 0;
    for (const SheetRange &r : m_ranges)
        if (row >= r.firstRow && row <= r.lastRow && col >= r.firstCol && col <= r.lastCol)
            s |= r.style;
    return s;
}

void ExportSheet::add(int row, SheetCell &&cell)
{
    cell.style = quint8(cell.style | rangeStyle(row, cell.col));
    m_cells.push_back(std::move(cell));
}

void ExportSheet::text(int row, int col, const QString &t, quint8 style)
{
    if (t.isEmpty())
        return; // an empty text leaves the cell empty
    SheetCell c;
    c.col = qint16(col);
    c.style = style;
    c.text = t;
    add(row, std::move(c));
}

void ExportSheet::number(int row, int col, double v, quint8 style)
{
    SheetCell c;
    c.col = qint16(col);
    c.kind = SheetCell::Kind::Number;
    c.style = style;
    c.number = v;
    add(row, std::move(c));
}

const std::vector<SheetCell> &ExportSheet::row(int row)
{
    Q_ASSERT(row == m_nextRow);
    m_nextRow = row + 1;
    m_cells.clear();
    if (row < TitleRows)
        titleRow(row);
    else if (row < TitleRows + m_ledgerRows)
        ledgerRow(row - TitleRows);
    else if (row == totalsRowOf(m_ledgerRows))
        totalsRow();
    else if (row >= summaryRowOf(m_ledgerRows))
        summaryRow(row - summaryRowOf(m_ledgerRows));
    return m_cells;
}

// Rows 1 and 2: the company, the calculation date, the days in a year and
// the two rates.
void ExportSheet::titleRow(int row)
{
    const Parameters &P = m_document.params();
    const Regional &reg = regional();
    if (row == 0) {
        text(0, 0, QStringLiteral("İşlem Yapılan Firma : ") + P.text(Parameters::Company), St::Size12);
        return;
    }
    text(1, 0, QStringLiteral("Hesap Tarihi :"));
    text(1, 1, dateText(P.calculationDate(), reg));
    text(1, 2, QStringLiteral("Yıldaki Gün :"));
    text(1, 3, P.text(Parameters::DaysInYear));
    text(1, 4, QStringLiteral("Yıllık Faiz :"));
    number(1, 5, parseAmount(P.text(Parameters::YearlyRate), reg));
    text(1, 6, QStringLiteral("Aylık Faiz :"));
    number(1, 7, parseAmount(P.text(Parameters::MonthlyRate), reg));
}

// From sheet row 3: the ledger's header row as texts, then its rows, the
// amounts and figures as numbers where they are not zero.
void ExportSheet::ledgerRow(int r)
{
    const LedgerTable &L = m_document.ledger();
    const int row = r + TitleRows;
    for (int k = 1; k <= TableColumns; ++k) {
        const QStringView t = L.cellView(r, k);
        // lent for the row's time, not copied
        const QString cell = QString::fromRawData(t.data(), t.size());
        if (r == 0 || k <= ColDescription) {
            text(row, k - 1, cell);
            continue;
        }
        const double v = parseAmount(cell, regional());
        if (v != 0) {
            number(row, k - 1, v);
            m_sums[size_t(k)] += v;
        }
    }
}

// The totals row N+5: a live sum over the entry rows and the empty row
// after them, for columns D to H.
void ExportSheet::totalsRow()
{
    for (int k = ColDebit; k <= TableColumns; ++k) {
        const QString x = columnLetter(k);
        SheetCell c;
        c.col = qint16(k - 1);
        c.kind = SheetCell::Kind::Formula;
        c.number = double(m_sums[size_t(k)]);
        c.text = QStringLiteral("=SUM(") + x + QStringLiteral("4:") + x + QString::number(m_ledgerRows + 3) + u')';
        add(totalsRowOf(m_ledgerRows), std::move(c));
    }
}

void ExportSheet::summaryRow(int blockRow)
{
    if (blockRow >= SummaryRows)
        return;
    const Summary &S = m_document.summary();
    const Regional &reg = regional();
    const int row = summaryRowOf(m_ledgerRows) + blockRow;
    for (const SummaryItem &item : SummaryBlock) {
        if (item.row != blockRow)
            continue;
        text(row, item.col, QString::fromUtf8(item.label));
        if (item.kind == SummaryItem::Date)
            text(row, item.col + 1, dateText(S.date(Summary::Picker(item.source)), reg));
        else
            number(row, item.col + 1, S.amount(Summary::Field(item.source)),
                   quint8(item.kind == SummaryItem::Amount ? St::Amount : 0));
    }
}

namespace {

// Whether the cell's shown text is a number's whose width never shrinks as
// the number moves away from zero: an amount, or a whole number below 10^15
// shown in full.
bool growsWithSize(const SheetCell &c)
{
    if (c.kind == SheetCell::Kind::Text || !std::isfinite(c.number))
        return false;
    return (c.style & St::Amount) || (std::fabs(c.number) < 1e15 && c.number == std::trunc(c.number));
}

} // namespace

void ColumnFitter::add(int row, const SheetCell &c)
{
    if (c.col >= ExportSheet::FittedColumns)
        return;
    if (c.col == 0 && (row < TitleRows || row >= TitleRows + m_ledgerRows))
        return;
    if (growsWithSize(c)) {
        Extremes &e = m_numbers[size_t(c.col)][c.style & 7];
        if (c.number >= 0)
            e.largest = std::max(e.largest, c.number);
        else
            e.mostNegative = std::min(e.mostNegative, c.number);
        return;
    }
    double &w = m_widths[size_t(c.col)];
    w = std::max(w, shownWidth(c, m_reg));
}

ExportSheet::Widths ColumnFitter::widths() const
{
    ExportSheet::Widths widths = m_widths;
    for (int col = 0; col < ExportSheet::FittedColumns; ++col) {
        for (int style = 0; style < 8; ++style) {
            const Extremes &e = m_numbers[size_t(col)][size_t(style)];
            SheetCell c;
            c.kind = SheetCell::Kind::Number;
            c.style = quint8(style);
            double &w = widths[size_t(col)];
            if (e.largest >= 0) {
                c.number = e.largest;
                w = std::max(w, shownWidth(c, m_reg));
            }
            if (e.mostNegative < 0) {
                c.number = e.mostNegative;
                w = std::max(w, shownWidth(c, m_reg));
            }
        }
    }
    return widths;
}

ExportSheet::Widths fittedColumnWidths(ExportSheet sheet)
{
    ColumnFitter fitter(sheet.regional(), sheet.ledgerRows());
    for (int row = 0; row < sheet.rowCount(); ++row)
        for (const SheetCell &c : sheet.row(row))
            fitter.add(row, c);
    return fitter.widths();
}

namespace {

// The writer library prints its errors on standard error; ours reach the
// user as messages instead, so its lines are sent to nowhere meanwhile.
class QuietStandardError {
public:
    QuietStandardError()
    {
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
#endif
    }
    ~QuietStandardError()
    {
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
#endif
    }
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int m_saved = -1;
};

// Writes the cells into an xlsx in a temporary folder; the first error of
// the writer library is kept and stops the rows.
class XlsxWriter {
public:
    XlsxWriter(const QString &file, const QString &tmpDir, bool constantMemory) : m_tmpDir(QFile::encodeName(tmpDir))
    {
        const QByteArray name = QFile::encodeName(file);
        lxw_workbook_options options{};
        options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
        options.tmpdir = const_cast<char *>(m_tmpDir.constData());
        m_book = workbook_new_opt(name.constData(), &options);
        if (m_book)
            m_sheet = workbook_add_worksheet(m_book, nullptr);
    }
    ~XlsxWriter()
    {
        if (m_book)
            workbook_close(m_book);
    }
    XlsxWriter(const XlsxWriter &) = delete;
    XlsxWriter &operator=(const XlsxWriter &) = delete;

    bool isOpen() const { return m_book; }

    // One format for each combination of the styles.
    void addStyleFormats()
    {
        for (int s = 1; s < 8; ++s) {
            m_formats[size_t(s)] = workbook_add_format(m_book);
            if (s & St::Bold)
                format_set_bold(m_formats[size_t(s)]);
            if (s & St::Size12)
                format_set_font_size(m_formats[size_t(s)], 12);
            if (s & St::Amount)
                format_set_num_format(m_formats[size_t(s)], amountFormatCode().toUtf8().constData());
        }
    }
    // Writes the rows in order and fits the columns to them.
    void writeRows(ExportSheet &sheet)
    {
        const std::array<quint8, 3> rowStyles = wholeRowStyles(sheet);
        ColumnFitter fitter(sheet.regional(), sheet.ledgerRows());
        for (int row = 0; row < sheet.rowCount() && m_error == LXW_NO_ERROR; ++row) {
            if (row < 3 && rowStyles[size_t(row)])
                check(worksheet_set_row(m_sheet, lxw_row_t(row), 15.75, m_formats[rowStyles[size_t(row)]]));
            m_written.fill(false);
            for (const SheetCell &c : sheet.row(row)) {
                writeCell(row, c);
                fitter.add(row, c);
            }
            writeStyledBlanks(sheet, row);
        }
        setColumnWidths(fitter.widths());
    }
    // Closes the book; the writer's first error, or the closing's.
    lxw_error close()
    {
        const lxw_error closed = workbook_close(m_book);
        m_book = nullptr;
        return m_error != LXW_NO_ERROR ? m_error : closed;
    }

private:
    // Whole-row styles become row formats; the others are written as
    // formatted blank cells.
    static std::array<quint8, 3> wholeRowStyles(const ExportSheet &sheet)
    {
        std::array<quint8, 3> styles{};
        for (const SheetRange &r : sheet.ranges())
            if (r.firstCol == 0 && r.lastCol == LastColumn)
                for (int row = r.firstRow; row <= std::min(r.lastRow, 2); ++row)
                    styles[size_t(row)] |= r.style;
        return styles;
    }
    void setColumnWidths(const ExportSheet::Widths &widths)
    {
        for (int c = 0; c < ExportSheet::FittedColumns; ++c)
            if (widths[size_t(c)] > 0)
                check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), std::round(widths[size_t(c)] * 100) / 100, nullptr));
    }
    void writeCell(int sheetRow, const SheetCell &c)
    {
        lxw_format *f = m_formats[c.style & 7];
        if (c.col < ExportSheet::FittedColumns)
            m_written[size_t(c.col)] = true;
        const auto row = lxw_row_t(sheetRow);
        const auto col = lxw_col_t(c.col);
        switch (c.kind) {
        case SheetCell::Kind::Text:
            check(worksheet_write_string(m_sheet, row, col, c.text.left(32767).toUtf8().constData(), f));
            break;
        case SheetCell::Kind::Number:
            check(worksheet_write_number(m_sheet, row, col, c.number, f));
            break;
        case SheetCell::Kind::Formula:
            check(worksheet_write_formula_num(m_sheet, row, col, c.text.toUtf8().constData(), f, c.number));
            break;
        }
    }
    void writeStyledBlanks(const ExportSheet &sheet, int row)
    {
        for (const SheetRange &r : sheet.ranges()) {
            if (r.lastCol == LastColumn || row < r.firstRow || row > r.lastRow)
                continue;
            for (int col = r.firstCol; col <= r.lastCol; ++col) {
                if (m_written[size_t(col)])
                    continue;
                m_written[size_t(col)] = true;
                // every range covering the empty cell adds its style
                check(worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(col), m_formats[sheet.rangeStyle(row, col) & 7]));
            }
        }
    }
    void check(lxw_error e)
    {
        if (e != LXW_NO_ERROR && m_error == LXW_NO_ERROR)
            m_error = e;
    }

    QByteArray m_tmpDir;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    std::array<lxw_format *, 8> m_formats{};
    std::array<bool, ExportSheet::FittedColumns> m_written{}; // the current row's cells up to column R
    lxw_error m_error = LXW_NO_ERROR;
};

} // namespace

void writeExportWorkbook(ExportSheet sheet, const QString &path, WorkbookMemory memory)
{
    // the writer prints its numbers and sizes with the C library
    const CNumericLocale cNumbers;
    auto unableToWrite = [&] { return KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path))); };
    // removed on every return and error; one a killed run left is removed by
    // the next start (removeStaleExportFiles)
    QTemporaryDir work(exportStagingTemplate());
    if (!work.isValid())
        throw unableToWrite();
    const QString file = work.filePath(QStringLiteral("book.xlsx"));
    const QuietStandardError quiet;
    const bool constant = memory == WorkbookMemory::Constant
                          || (memory == WorkbookMemory::Auto && sheet.ledgerRows() > ConstantMemoryLedgerRows);
    XlsxWriter writer(file, work.path(), constant);
    if (!writer.isOpen())
        throw unableToWrite();
    writer.addStyleFormats();
    writer.writeRows(sheet);
    if (const lxw_error err = writer.close(); err != LXW_NO_ERROR)
        throw KervioError(QStringLiteral("Unable to write to %1 (%2)")
                              .arg(QDir::toNativeSeparators(path), QString::fromUtf8(lxw_strerror(err))));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw unableToWrite();
    if (!saveFileContents(path, f.readAll()))
        throw unableToWrite();
}

} // namespace kervio
