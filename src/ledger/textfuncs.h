#pragma once
#include "regional.h"
#include <QDate>
#include <QString>
#include <QVarLengthArray>
#include <cstdint>

namespace kervio {

// Amount text to number: a leading sign, the digits and every decimal
// separator are kept, everything else dropped; empty gives 0. A number in
// the general format's E notation ("1E18", "-3,35E18") reads as itself.
double parseAmount(QStringView text, const Regional &reg);
// The same without the decimal separator: only a leading sign and the digits.
double parseDigits(QStringView text);
// Characters 1-2, 4-5 and 7-10 name a real Gregorian date.
bool isValidDateText(QStringView text);
// Characters 1-2, 4-5 and 7-10 as day, month and year, as parseInteger reads
// them, when all eight are digits; false (and nothing read) otherwise.
bool dateDigits(QStringView text, int &day, int &month, int &year);
QString padLeft(quint16 width, const QString &text);
QString padRight(quint16 width, const QString &text);

// The runtime's conversions, with its error texts.
double parseNumber(const QString &text, const Regional &reg);
bool tryParseNumber(const QString &text, const Regional &reg, double *out);
int parseInteger(QStringView text);

// General number format: shortest text of at most 15 significant digits, no
// grouping; E notation below 0.00001 or beyond 15 integer digits.
QString generalNumberText(double value, const Regional &reg);
// A number's text made on the stack, so that it can be compared with a cell
// before anything is allocated for it.
using NumberText = QVarLengthArray<char16_t, 64>;
inline QStringView textView(const NumberText &t) { return QStringView(t.constData(), t.size()); }
// The same texts into `out` (replacing what it held).
void generalNumberText(double value, const Regional &reg, NumberText &out);
// The plain decimal text of a whole number as generalNumberText writes it.
QString plainNumberText(double value);

// Picture formats "#,##0.00", "#,##0", "#,###.00", "0.00": the value is
// first read as its 15-significant-digit decimal form, then rounded half
// away from zero to the picture's decimals. Every size keeps all its
// places, the ones beyond the 15th significant digit as zeros; never E
// notation.
QString formatPicture(const QString &picture, double value, const Regional &reg);
QString formatAmount(double value, const Regional &reg);    // "#,##0.00"
QString formatWhole(double value, const Regional &reg);     // "#,##0"
void formatAmount(double value, const Regional &reg, NumberText &out);
// Whether `text` is what formatAmount writes for a value of at most 15
// significant digits, so that formatAmount(parseAmount(text)) gives it back.
bool isFormattedAmount(QStringView text, const Regional &reg);

// Round to the nearest integer, ties to even; out of the 64-bit range raises
// "Invalid floating point operation".
int64_t roundHalfEven(double value);
// a / b with the runtime's errors for b == 0.
double divide(double a, double b);

// "dd<sep>mm<sep>yyyy".
QString dateToText(const QDate &date, const Regional &reg);
// QDate(year, month, day) without the calendar's general conversion, for
// the dates of the years 1 to 9999; any other as QDate makes it.
QDate gregorianDate(int year, int month, int day);

} // namespace kervio
