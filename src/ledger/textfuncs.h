#pragma once
#include "regional.h"
#include <QDate>
#include <QString>
#include <cstdint>

namespace kervio {

// Amount text to number: a leading sign, the digits and every decimal
// separator are kept, everything else dropped; empty gives 0. A number in
// the general format's E notation ("1E18", "-3,35E18") reads as itself.
double ParseAmount(const QString &text, const Regional &reg);
// The same without the decimal separator: only a leading sign and the digits.
double ParseDigits(const QString &text);
// Characters 1-2, 4-5 and 7-10 name a real Gregorian date.
bool IsValidDateText(const QString &text);
QString PadLeft(quint16 width, const QString &text);
QString PadRight(quint16 width, const QString &text);

// The runtime's conversions, with its error texts.
double StrToFloat(const QString &text, const Regional &reg);
bool TryStrToFloat(const QString &text, const Regional &reg, double *out);
int StrToInt(QStringView text);

// General number format: shortest text of at most 15 significant digits, no
// grouping; E notation below 0.00001 or beyond 15 integer digits.
QString FloatToStr(double value, const Regional &reg);
// The plain decimal text of a whole number as FloatToStr writes it.
QString PlainNumberText(double value);

// Picture formats "#,##0.00", "#,##0", "#,###.00", "0.00": the value is
// first read as its 15-significant-digit decimal form, then rounded half
// away from zero to the picture's decimals. Every size keeps all its
// places, the ones beyond the 15th significant digit as zeros; never E
// notation.
QString FormatFloat(const QString &picture, double value, const Regional &reg);
QString FormatAmount(double value, const Regional &reg);    // "#,##0.00"
QString FormatWhole(double value, const Regional &reg);     // "#,##0"

// Round to the nearest integer, ties to even; out of the 64-bit range raises
// "Invalid floating point operation".
int64_t RoundHalfEven(double value);
// a / b with the runtime's errors for b == 0.
double Divide(double a, double b);

// "dd<sep>mm<sep>yyyy".
QString DateToText(const QDate &date, const Regional &reg);

} // namespace kervio
