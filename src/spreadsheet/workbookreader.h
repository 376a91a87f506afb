#pragma once
#include "ledger/regional.h"

#include <QString>
#include <functional>
#include <vector>

namespace kervio {

// One cell of a worksheet as the file stores it, before it becomes text.
struct WorkbookCell {
    enum class Kind { Empty, Text, Number, Boolean, DateTime, Error };
    Kind kind = Kind::Empty;
    QString text;          // Text; the error's name for Error ("#N/A")
    double number = 0;     // Number; 0/1 for Boolean
    // DateTime: the calendar pieces; hasDate false for a time of day alone
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    bool hasDate = true;
    QString formula;       // the formula as stored, without the leading "="
    QString numberFormat;  // the cell's number format code ("General" when none)
    bool bold = false;
    double fontSize = 0;   // 0 when the file does not say
};

struct PlacedCell {
    int row = 0; // from 0
    int col = 0;
    WorkbookCell cell;
};

// The first worksheet of a workbook: the used extent and its non-empty
// cells in row-major order (a stray cell far out costs nothing).
struct WorkbookSheet {
    int rows = 0;    // last used row + 1
    int columns = 0; // last used column + 1
    std::vector<PlacedCell> cells;
    // Empty cell when nothing is stored there.
    const WorkbookCell &at(int row, int col) const;
    // A cell read in row-major order: it widens the extent, and is kept
    // when its row is below maxRows.
    void add(int row, int col, WorkbookCell cell, int maxRows = 1 << 30);
};

enum class WorkbookFormat { Unknown, Xlsx, Ods, Xls, Csv };
// The format a file's content shows, whatever its name says; for a file
// that is none of them (or encrypted, truncated, too big) the reason.
struct WorkbookProbe {
    WorkbookFormat format = WorkbookFormat::Unknown;
    QString problem;
};
WorkbookProbe probeWorkbook(const QString &path);
WorkbookFormat detectWorkbookFormat(const QString &path);

// Reads the first worksheet. Rows at and beyond maxRows are not kept (the
// extent still counts them). A file that cannot be read raises KervioError
// with a Turkish text naming the file and the reason (a library's own words
// at most in parentheses); nothing is read then.
WorkbookSheet readWorkbook(const QString &path, const Regional &reg, int maxRows = 1 << 30);

// A csv text read as a spreadsheet application under the regional settings
// reads it: the delimiter (";", "," or tab) guessed from the text, quoted
// fields, regional numbers, percentages and dates recognised, the rest text.
WorkbookSheet readCsvText(const QByteArray &bytes, const Regional &reg, int maxRows = 1 << 30);
char detectCsvDelimiter(const QByteArray &bytes);

// The number format code is one of a date or a time.
bool isDateFormatCode(const QString &code);
// The text of a built-in number format id of the xlsx/xls formats.
QString builtinNumberFormat(int id);

} // namespace kervio
