#pragma once
#include <QString>
#include <array>
#include <vector>

namespace kervio {

class Document;

// The ledger sheet as plain data, built first and then written by
// writeExportWorkbook. Rows and columns count from 0 (row 0 is sheet row 1).
struct SheetCell {
    enum class Kind : quint8 { Text, Number, Formula };
    enum Style : quint8 { Bold = 1, Size12 = 2, Amount = 4 };
    int row = 0;
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

struct ExportSheet {
    static constexpr int FittedColumns = 18; // A to R
    std::vector<SheetCell> cells;   // row-major, each cell once, its style complete
    std::vector<SheetRange> ranges; // styles of the empty cells inside them
    // Column widths in character units, 0 where nothing was fitted.
    std::array<double, FittedColumns> widths{};
    int ledgerRows = 0; // N: the ledger's rows, header included

    const SheetCell *find(int row, int col) const;
    // The styles of every range that covers the cell.
    quint8 rangeStyle(int row, int col) const;
};

// The amount format in the workbook's own notation, shown by spreadsheet
// applications with the user's separators.
inline QString amountFormatCode() { return QStringLiteral("#,##0.00"); }
// Column letters A..Z by position (1 = A).
QString columnLetter(int column1);

// Builds the sheet of "EXCEL'E VERİ AKTAR" from the document's ledger,
// parameters and summary as they stand.
ExportSheet buildExportSheet(const Document &document);

// Writes the sheet as an xlsx workbook and replaces `path` atomically.
// Raises KervioError on failure. A big sheet is streamed row by row
// (constant-memory mode, its texts written inline); a small one keeps its
// texts in the shared string table, which every reader understands.
enum class WorkbookMemory { Auto, Constant, Normal };
void writeExportWorkbook(const ExportSheet &sheet, const QString &path, WorkbookMemory memory = WorkbookMemory::Auto);
constexpr size_t ConstantMemoryCells = 100000;

} // namespace kervio
