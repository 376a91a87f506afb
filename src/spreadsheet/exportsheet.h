#pragma once
#include <QString>
#include <array>
#include <vector>

namespace kervio {

class Document;
struct Regional;

// One cell of the ledger sheet. Columns count from 0.
struct SheetCell {
    enum class Kind : quint8 { Text, Number, Formula };
    enum Style : quint8 { Bold = 1, Size12 = 2, Amount = 4 };
    qint16 col = 0;
    Kind kind = Kind::Text;
    quint8 style = 0;
    double number = 0; // Number; the cached result of a Formula
    QString text;      // Text; the formula ("=SUM(D4:D9)") of a Formula
};

// A style over a rectangle, also on its empty cells (a whole row up to
// column IV, the amount columns, the bold totals row).
struct SheetRange {
    int firstRow, lastRow;
    int firstCol, lastCol;
    quint8 style;
};

// The sheet of "EXCEL'E VERİ AKTAR" over the document's ledger, parameters
// and summary as they stand, made one row at a time so that a big ledger is
// never held twice. Rows count from 0 (row 0 is sheet row 1) and are asked
// for in order: the totals add up the rows read before them.
class ExportSheet {
public:
    static constexpr int FittedColumns = 18; // A to R
    using Widths = std::array<double, FittedColumns>;

    explicit ExportSheet(const Document &document);

    int ledgerRows() const { return m_ledgerRows; } // N: the ledger's rows, header included
    int rowCount() const { return m_ledgerRows + 11; } // down to the summary block's last row
    const Regional &regional() const;
    const std::vector<SheetRange> &ranges() const { return m_ranges; }
    // The styles of every range that covers the cell.
    quint8 rangeStyle(int row, int col) const;

    // The cells of `row` left to right, each once with its complete style.
    // A ledger text is lent by the ledger; all stay valid until the next call.
    const std::vector<SheetCell> &row(int row);

private:
    void text(int row, int col, const QString &t, quint8 style = 0);
    void number(int row, int col, double v, quint8 style = 0);
    void add(int row, SheetCell &&cell);
    void titleRow(int row);
    void ledgerRow(int gridRow);
    void totalsRow();
    void summaryRow(int blockRow);

    const Document &m_document;
    int m_ledgerRows = 0;
    std::vector<SheetRange> m_ranges;
    std::vector<SheetCell> m_cells;
    // the amount columns' sums over the rows read so far, the totals' cached results
    std::array<long double, 9> m_sums{};
    int m_nextRow = 0;
};

// Column widths in character units as a spreadsheet fits them, 0 where
// nothing was fitted: column A over the table alone (before the company line
// is written), B to R over all. Cells are handed in row by row.
class ColumnFitter {
public:
    ColumnFitter(const Regional &reg, int ledgerRows) : m_reg(reg), m_ledgerRows(ledgerRows) {}
    void add(int row, const SheetCell &cell);
    ExportSheet::Widths widths() const;

private:
    // The text of a number grows with its size on either side of zero, so of
    // a column's numbers in one style only the largest and the most negative
    // are measured, once at the end.
    struct Extremes {
        double largest = -1;     // of those >= 0; -1: none
        double mostNegative = 0; // 0: none
    };
    const Regional &m_reg;
    int m_ledgerRows;
    ExportSheet::Widths m_widths{};
    std::array<std::array<Extremes, 8>, ExportSheet::FittedColumns> m_numbers{}; // by column and style
};

// The sheet of "EXCEL'E VERİ AKTAR" for the document as it stands.
inline ExportSheet buildExportSheet(const Document &document) { return ExportSheet(document); }
// The widths of the whole sheet.
ExportSheet::Widths fittedColumnWidths(ExportSheet sheet);

// The amount format in the workbook's own notation, shown by spreadsheet
// applications with the user's separators.
inline QString amountFormatCode() { return QStringLiteral("#,##0.00"); }
// Column letters A..Z by position (1 = A).
QString columnLetter(int column1);

// Writes the sheet as an xlsx workbook and replaces `path` atomically.
// Raises KervioError on failure. A big sheet is streamed row by row
// (constant-memory mode, its texts written inline); a small one keeps its
// texts in the shared string table, which every reader understands.
enum class WorkbookMemory { Auto, Constant, Normal };
void writeExportWorkbook(ExportSheet sheet, const QString &path, WorkbookMemory memory = WorkbookMemory::Auto);
// Ledgers of more rows than this are streamed (about 100,000 cells, at the
// six an entry row usually fills).
constexpr int ConstantMemoryLedgerRows = 16000;

} // namespace kervio
