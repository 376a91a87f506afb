#pragma once
// The readers of the workbook formats behind readWorkbook(), one file each,
// and the limits every one of them keeps.
#include "workbookreader.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringConverter>
#include <optional>
#include <vector>

namespace kervio {

class ZipPackage;

// Limits checked before anything is read or inflated. A workbook of up to
// 6,500 rows within them is read in well under 300 MB.
struct WorkbookLimits {
    static constexpr qint64 MB = 1024 * 1024;
    static constexpr qint64 FileBytes = 100 * MB;   // xlsx, ods, xls as stored
    static constexpr qint64 CsvBytes = 32 * MB;     // a text file
    static constexpr qint64 PartBytes = 100 * MB;   // one part of a package, inflated
    static constexpr qint64 PackageBytes = 200 * MB; // all parts, inflated
    static constexpr qint64 Cells = 250000;         // non-empty cells kept
    static constexpr int TextLength = 32767;        // characters of one cell
};

WorkbookSheet readXlsxWorkbook(const QString &path, int maxRows);
WorkbookSheet readOdsWorkbook(const QString &path, int maxRows);
WorkbookSheet readXlsWorkbook(const QString &path, int maxRows);
WorkbookSheet readCsvWorkbook(const QString &path, const Regional &reg, int maxRows);

// The error every reader raises for a file it cannot read: it names the
// file and the reason.
[[noreturn]] void raiseUnreadable(const QString &path, const QString &reason);
// "bozuk", with the library's own words in parentheses.
[[noreturn]] void raiseDamaged(const QString &path, const QString &what, const QString &detail = QString());
[[noreturn]] void raiseEncrypted(const QString &path);
[[noreturn]] void raiseTooManyCells(const QString &path);
// The whole file; raises when it cannot be opened.
QByteArray readWholeFile(const QString &path);

// Cells that a library missed or misread, put over what it read: each
// replaces the cell at its place; rows at and beyond maxRows only widen the
// extent. Returns false when the sheet would hold more than the cell limit.
bool overlayCells(WorkbookSheet &sheet, std::vector<PlacedCell> cells, int maxRows);

// The cells of the first worksheet of an xlsx that the import library leaves
// empty: inline strings, error values and logical formula results.
std::vector<PlacedCell> xlsxInlineAndErrorCells(const QString &path, ZipPackage &package, int maxRows);
// The cells of the first table of an ods whose value the import library
// misses: formula results of every type, logical values, percentages,
// currencies, times and error values.
std::vector<PlacedCell> odsTypedCells(const QString &path, ZipPackage &package, int maxRows);

// A cell's calendar pieces from a serial day number counted from `origin`.
void setSerialDate(WorkbookCell &cell, double serial, const QDate &origin);

// "#N/A" and its kin, as every format names them.
bool isErrorName(QStringView text);

// The UTF-16 byte order that `bytes` starts with a mark of, if any.
std::optional<QStringConverter::Encoding> utf16ByteOrder(const QByteArray &bytes);

} // namespace kervio
