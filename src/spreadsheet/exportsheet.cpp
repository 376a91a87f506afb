#include "exportsheet.h"
#include "core/savefile.h"
#include "core/errors.h"
#include "core/numericlocale.h"
#include "ledger/textfuncs.h"
#include "ledger/document.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kervio {

namespace {

constexpr int LastColumn = 255; // IV
using St = SheetCell::Style;

class Builder {
public:
    explicit Builder(ExportSheet &sheet) : m_sheet(sheet) {}

    void text(int row, int col, const QString &t, quint8 style = 0)
    {
        if (t.isEmpty())
            return; // an empty text leaves the cell empty
        add(row, col, SheetCell::Kind::Text, 0, t, style);
    }
    void number(int row, int col, double v, quint8 style = 0) { add(row, col, SheetCell::Kind::Number, v, {}, style); }
    void formula(int row, int col, const QString &f, double cached, quint8 style = 0)
    {
        add(row, col, SheetCell::Kind::Formula, cached, f, style);
    }

private:
    void add(int row, int col, SheetCell::Kind kind, double v, const QString &t, quint8 style)
    {
        SheetCell c;
        c.row = row;
        c.col = qint16(col);
        c.kind = kind;
        c.number = v;
        c.text = t;
        c.style = quint8(style | m_sheet.rangeStyle(row, col));
        m_sheet.cells.push_back(std::move(c));
    }
    ExportSheet &m_sheet;
};

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

} // namespace

QString columnLetter(int column1)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return alphabet.mid(column1 - 1, 1);
}

const SheetCell *ExportSheet::find(int row, int col) const
{
    auto it = std::lower_bound(cells.begin(), cells.end(), std::pair(row, col), [](const SheetCell &c, std::pair<int, int> k) {
        return std::pair(c.row, int(c.col)) < k;
    });
    return it != cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

quint8 ExportSheet::rangeStyle(int row, int col) const
{
    quint8 s = 0;
    for (const SheetRange &r : ranges)
        if (row >= r.firstRow && row <= r.lastRow && col >= r.firstCol && col <= r.lastCol)
            s |= r.style;
    return s;
}

namespace {

// Rows 1 and 2: the company, the calculation date, the days in a year and
// the two rates.
void addTitleRows(Builder &b, const Parameters &P, const Regional &reg)
{
    b.text(0, 0, QStringLiteral("İşlem Yapılan Firma : ") + P.text(Parameters::Company), St::Size12);
    b.text(1, 0, QStringLiteral("Hesap Tarihi :"));
    b.text(1, 1, dateText(P.calculationDate(), reg));
    b.text(1, 2, QStringLiteral("Yıldaki Gün :"));
    b.text(1, 3, P.text(Parameters::DaysInYear));
    b.text(1, 4, QStringLiteral("Yıllık Faiz :"));
    b.number(1, 5, parseAmount(P.text(Parameters::YearlyRate), reg));
    b.text(1, 6, QStringLiteral("Aylık Faiz :"));
    b.number(1, 7, parseAmount(P.text(Parameters::MonthlyRate), reg));
}

constexpr int TableColumns = LedgerTable::ColumnCount - 5; // 8
using ColumnSums = std::array<long double, TableColumns + 1>;

// From sheet row 3: the ledger's header row as texts, then its rows, the
// amounts and figures as numbers where they are not zero. Returns the
// columns' sums, the totals' cached results.
ColumnSums addLedgerTable(Builder &b, const LedgerTable &L, const Regional &reg)
{
    ColumnSums sums{};
    for (int r = 0; r < L.gridRowCount(); ++r) {
        const int row = r + 2;
        for (int k = 1; k <= TableColumns; ++k) {
            const QString &t = L.cell(r, k);
            if (r == 0 || k <= ColDescription) {
                b.text(row, k - 1, t);
                continue;
            }
            const double v = parseAmount(t, reg);
            if (v != 0) {
                b.number(row, k - 1, v);
                sums[size_t(k)] += v;
            }
        }
    }
    return sums;
}

// The totals row N+5: a live sum over the entry rows and the empty row
// after them, for columns D to H.
void addTotals(Builder &b, int totalsRow, int ledgerRows, const ColumnSums &sums)
{
    for (int k = ColDebit; k <= TableColumns; ++k) {
        const QString x = columnLetter(k);
        b.formula(totalsRow, k - 1,
                  QStringLiteral("=SUM(") + x + QStringLiteral("4:") + x + QString::number(ledgerRows + 3) + u')',
                  double(sums[size_t(k)]));
    }
}

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

void addSummaryBlock(Builder &b, int firstRow, const Summary &S, const Regional &reg)
{
    for (const SummaryItem &item : SummaryBlock) {
        const int row = firstRow + item.row;
        b.text(row, item.col, QString::fromUtf8(item.label));
        if (item.kind == SummaryItem::Date)
            b.text(row, item.col + 1, dateText(S.date(Summary::Picker(item.source)), reg));
        else
            b.number(row, item.col + 1, S.amount(Summary::Field(item.source)),
                     quint8(item.kind == SummaryItem::Amount ? St::Amount : 0));
    }
}

// Widths fitted as the spreadsheet does it twice: column A over the table
// alone (before the company line is written), B to R over all.
void fitColumnWidths(ExportSheet &sheet, const Regional &reg)
{
    const int N = sheet.ledgerRows;
    for (const SheetCell &c : sheet.cells) {
        if (c.col >= ExportSheet::FittedColumns)
            continue;
        if (c.col == 0 && (c.row < 2 || c.row > N + 1))
            continue;
        double &w = sheet.widths[size_t(c.col)];
        w = std::max(w, shownWidth(c, reg));
    }
}

} // namespace

ExportSheet buildExportSheet(const Document &document)
{
    const LedgerTable &L = document.ledger();
    const Regional &reg = document.regional();
    const int N = L.gridRowCount();

    ExportSheet sheet;
    sheet.ledgerRows = N;
    // sheet row k is index k - 1
    const int totalsRow = N + 4;  // N+5
    const int summaryRow = N + 6; // N+7
    sheet.ranges = {
        {0, 2, 0, LastColumn, St::Bold},
        {1, 2, 0, LastColumn, St::Size12},
        {3, totalsRow, 3, 4, St::Amount},
        {3, totalsRow, 6, 7, St::Amount},
        {totalsRow, totalsRow, 0, 17, St::Bold},
    };
    sheet.cells.reserve(size_t(N) * 8 + 40);
    Builder b(sheet);
    addTitleRows(b, document.params(), reg);
    const ColumnSums sums = addLedgerTable(b, L, reg);
    addTotals(b, totalsRow, N, sums);
    addSummaryBlock(b, summaryRow, document.summary(), reg);
    std::stable_sort(sheet.cells.begin(), sheet.cells.end(), [](const SheetCell &a, const SheetCell &c) {
        return std::pair(a.row, a.col) < std::pair(c.row, c.col);
    });
    fitColumnWidths(sheet, reg);
    return sheet;
}

namespace {

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
    void setColumnWidths(const ExportSheet &sheet)
    {
        for (int c = 0; c < ExportSheet::FittedColumns; ++c)
            if (sheet.widths[size_t(c)] > 0)
                worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), std::round(sheet.widths[size_t(c)] * 100) / 100,
                                     nullptr);
    }
    void writeRows(const ExportSheet &sheet)
    {
        const std::array<quint8, 3> rowStyles = wholeRowStyles(sheet);
        const int lastRow = sheet.cells.empty() ? 0 : sheet.cells.back().row;
        size_t i = 0;
        for (int row = 0; row <= lastRow && m_error == LXW_NO_ERROR; ++row) {
            if (row < 3 && rowStyles[size_t(row)])
                check(worksheet_set_row(m_sheet, lxw_row_t(row), 15.75, m_formats[rowStyles[size_t(row)]]));
            m_written.assign(ExportSheet::FittedColumns, false);
            for (; i < sheet.cells.size() && sheet.cells[i].row == row; ++i)
                writeCell(sheet.cells[i]);
            writeStyledBlanks(sheet, row);
        }
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
        for (const SheetRange &r : sheet.ranges)
            if (r.firstCol == 0 && r.lastCol == LastColumn)
                for (int row = r.firstRow; row <= std::min(r.lastRow, 2); ++row)
                    styles[size_t(row)] |= r.style;
        return styles;
    }
    void writeCell(const SheetCell &c)
    {
        lxw_format *f = m_formats[c.style & 7];
        if (c.col < ExportSheet::FittedColumns)
            m_written[size_t(c.col)] = true;
        const auto row = lxw_row_t(c.row);
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
        for (const SheetRange &r : sheet.ranges) {
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
    std::vector<bool> m_written; // the current row's cells up to column R
    lxw_error m_error = LXW_NO_ERROR;
};

} // namespace

void writeExportWorkbook(const ExportSheet &sheet, const QString &path, WorkbookMemory memory)
{
    // the writer prints its numbers and sizes with the C library
    const CNumericLocale cNumbers;
    auto unableToWrite = [&] { return KervioError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path))); };
    QTemporaryDir work;
    if (!work.isValid())
        throw unableToWrite();
    const QString file = work.filePath(QStringLiteral("book.xlsx"));
    const bool constant = memory == WorkbookMemory::Constant
                          || (memory == WorkbookMemory::Auto && sheet.cells.size() > ConstantMemoryCells);
    XlsxWriter writer(file, work.path(), constant);
    if (!writer.isOpen())
        throw unableToWrite();
    writer.addStyleFormats();
    writer.setColumnWidths(sheet);
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
