#include "textfuncs.h"
#include "core/errors.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace kervio {

namespace {

// Locale-independent conversion of an ASCII number ("-12.5", "3e7").
bool asciiToDouble(const std::string &s, double *out)
{
    if (s.empty())
        return false;
    const char *b = s.data();
    const char *e = b + s.size();
    if (*b == '+')
        ++b;
    double v = 0;
    auto res = std::from_chars(b, e, v);
    if (res.ec == std::errc::result_out_of_range || res.ptr != e)
        return false;
    if (res.ec != std::errc())
        return false;
    if (!std::isfinite(v))
        return false;
    *out = v;
    return true;
}

const double Pow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// [sign] digits [. digits] in ASCII. Up to 15 significant digits the value
// is an exact integer divided by an exact power of ten, which IEEE division
// rounds correctly; longer texts go through from_chars.
bool decimalToDouble(const char *s, int len, double *out)
{
    int i = 0;
    bool neg = false;
    if (i < len && (s[i] == '+' || s[i] == '-'))
        neg = s[i++] == '-';
    int64_t mant = 0;
    int sig = 0, frac = 0;
    bool point = false, digit = false;
    for (; i < len; ++i) {
        const char c = s[i];
        if (c == '.') {
            if (point)
                return false;
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        digit = true;
        if (sig == 0 && c == '0') {
            if (point)
                ++frac;
            continue;
        }
        if (++sig > 15)
            break;
        mant = mant * 10 + (c - '0');
        if (point)
            ++frac;
    }
    if (!digit)
        return point ? (*out = neg ? -0.0 : 0.0, true) : false;
    if (sig <= 15 && frac <= 22) {
        const double v = double(mant) / Pow10[frac];
        *out = neg ? -v : v;
        return true;
    }
    return asciiToDouble(std::string(s, size_t(len)), out);
}

// 15 significant decimal digits of |value| and the decimal exponent of the
// first digit (value = d.dddd x 10^exp).
struct Digits15 {
    char d[16];
    int exp;
};

Digits15 digits15(double value)
{
    char buf[48];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14);
    *res.ptr = 0;
    Digits15 r{};
    int n = 0;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            r.d[n++] = *p;
    r.d[15] = 0;
    r.exp = *p == 'e' ? std::atoi(p + 1) : 0;
    return r;
}

QString toQString(const NumberText &t)
{
    return QString(reinterpret_cast<const QChar *>(t.constData()), t.size());
}

void appendAscii(NumberText &out, const char *s)
{
    while (*s)
        out.append(char16_t(*s++));
}

void nonFiniteText(double v, NumberText &out)
{
    appendAscii(out, std::isnan(v) ? "NAN" : v < 0 ? "-INF" : "INF");
}

// The decimal digits of a whole number, with its sign.
void appendInteger(NumberText &out, int64_t v)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    for (const char *p = buf; p < res.ptr; ++p)
        out.append(char16_t(*p));
}

} // namespace

double parseNumber(const QString &text, const Regional &reg)
{
    double v = 0;
    if (!tryParseNumber(text, reg, &v))
        raiseInvalidFloat(text);
    return v;
}

namespace {

// The common case, [sign] digits [separator digits] and nothing else;
// nothing when the text holds anything more or no digit.
std::optional<bool> parsePlainDecimal(const QString &text, const Regional &reg, double *out)
{
    if (text.isEmpty() || text.size() >= 40)
        return std::nullopt;
    char buf[40];
    int n = 0;
    bool digit = false;
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (i == 0 && (c == '+' || c == '-'))
            buf[n++] = char(c);
        else if (c >= '0' && c <= '9')
            buf[n++] = char(c), digit = true;
        else if (c == reg.decimal.unicode())
            buf[n++] = '.';
        else
            return std::nullopt;
    }
    if (!digit)
        return std::nullopt;
    return decimalToDouble(buf, n, out);
}

// The ASCII digits from position `i` on, appended to `ascii`; whether there
// was one.
bool takeDigits(const QString &t, int &i, std::string &ascii)
{
    const int start = i;
    while (i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9')
        ascii += char(t[i++].unicode());
    return i > start;
}

bool takeSign(const QString &t, int &i, std::string &ascii)
{
    if (i >= t.size() || (t[i] != u'+' && t[i] != u'-'))
        return false;
    ascii += char(t[i++].unicode());
    return true;
}

// [blanks] [sign] digits [separator digits] [E [sign] digits] [blanks]
bool parseGeneralNumber(const QString &text, const Regional &reg, double *out)
{
    const QString t = text.trimmed();
    std::string ascii;
    ascii.reserve(t.size() + 2);
    int i = 0;
    takeSign(t, i, ascii);
    bool mantissaDigit = takeDigits(t, i, ascii);
    bool separator = false;
    if (i < t.size() && t[i] == reg.decimal) {
        separator = true;
        ++i;
        ascii += '.';
        mantissaDigit = takeDigits(t, i, ascii) || mantissaDigit;
    }
    if (!mantissaDigit && !separator)
        return false;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        ascii += 'e';
        takeSign(t, i, ascii);
        if (!takeDigits(t, i, ascii))
            return false;
    }
    if (i != t.size())
        return false;
    // A lone separator (with or without sign) reads as 0.
    if (!mantissaDigit) {
        *out = 0;
        return true;
    }
    return asciiToDouble(ascii, out);
}

} // namespace

bool tryParseNumber(const QString &text, const Regional &reg, double *out)
{
    if (const std::optional<bool> plain = parsePlainDecimal(text, reg, out))
        return *plain;
    return parseGeneralNumber(text, reg, out);
}

int parseInteger(QStringView text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool neg = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        neg = text[i++] == u'-';
    if (i >= n)
        raiseInvalidInteger(text.toString());
    qint64 v = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            raiseInvalidInteger(text.toString());
        v = v * 10 + (c - '0');
        if (v > qint64(2147483648LL))
            raiseInvalidInteger(text.toString());
    }
    if (neg)
        v = -v;
    if (v > 2147483647LL)
        raiseInvalidInteger(text.toString());
    return int(v);
}

double parseAmount(QStringView text, const Regional &reg)
{
    char stack[64];
    std::string heap;
    char *buf = stack;
    if (text.size() >= int(sizeof stack)) {
        heap.resize(size_t(text.size()) + 1);
        buf = heap.data();
    }
    int n = 0, seps = 0;
    bool digit = false, exponent = false;
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (i == 0 && (c == '+' || c == '-')) {
            buf[n++] = char(c);
        } else if (c >= '0' && c <= '9') {
            buf[n++] = char(c);
            digit = true;
        } else if (c == reg.decimal.unicode()) {
            buf[n++] = '.';
            ++seps;
        } else if (c == 'E' || c == 'e') {
            exponent = true;
        }
    }
    if (n == 0)
        return 0;
    double v = 0;
    // the general format's E notation ("1E18", "8,3E-6") is that number,
    // not its digits run together
    if (exponent && tryParseNumber(text.toString(), reg, &v))
        return v;
    if (seps <= 1 && (digit || seps == 1) && decimalToDouble(buf, n, &v))
        return v;
    QString t = QString::fromLatin1(buf, n);
    t.replace(u'.', reg.decimal);
    raiseInvalidFloat(t);
}

double parseDigits(QStringView text)
{
    char stack[64];
    std::string heap;
    char *buf = stack;
    if (text.size() >= int(sizeof stack)) {
        heap.resize(size_t(text.size()) + 1);
        buf = heap.data();
    }
    int n = 0;
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if ((i == 0 && (c == '+' || c == '-')) || (c >= '0' && c <= '9'))
            buf[n++] = char(c);
    }
    if (n == 0)
        return 0;
    double v = 0;
    if (!decimalToDouble(buf, n, &v))
        raiseInvalidFloat(QString::fromLatin1(buf, n));
    return v;
}

namespace {

// The days of a month of the Gregorian calendar.
int daysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return days[month - 1] + (month == 2 && leap ? 1 : 0);
}

} // namespace

bool dateDigits(QStringView t, int &day, int &month, int &year)
{
    if (t.size() < 10)
        return false;
    int v[8];
    static constexpr int pos[8] = {0, 1, 3, 4, 6, 7, 8, 9};
    for (int i = 0; i < 8; ++i) {
        const unsigned d = unsigned(t[pos[i]].unicode()) - u'0';
        if (d > 9)
            return false;
        v[i] = int(d);
    }
    day = v[0] * 10 + v[1];
    month = v[2] * 10 + v[3];
    year = v[4] * 1000 + v[5] * 100 + v[6] * 10 + v[7];
    return true;
}

bool isValidDateText(QStringView v)
{
    int day, month, year;
    if (!dateDigits(v, day, month, year)) {
        day = parseInteger(v.mid(0, 2));
        month = parseInteger(v.mid(3, 2));
        year = parseInteger(v.mid(6, 4));
    }
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    return day <= daysInMonth(year, month);
}

QDate gregorianDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return QDate(year, month, day);
    // days from 1 March of year 0, in eras of 400 years
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    constexpr qint64 JulianDayOfMarch1Year0 = 1721120;
    return QDate::fromJulianDay(JulianDayOfMarch1Year0 + qint64(era) * 146097 + dayOfEra);
}

QString padLeft(quint16 width, const QString &text)
{
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), u' ') + text;
}

QString padRight(quint16 width, const QString &text)
{
    if (text.size() >= width)
        return text;
    return text + QString(width - text.size(), u' ');
}

namespace {

// d.ddddE[-]x, the significant digits without trailing zeros.
void appendScientific(NumberText &out, const Digits15 &dg, int len, QChar decimal)
{
    out.append(char16_t(dg.d[0]));
    if (len > 1) {
        out.append(decimal.unicode());
        for (int i = 1; i < len; ++i)
            out.append(char16_t(dg.d[i]));
    }
    out.append(u'E');
    appendInteger(out, dg.exp);
}

// The digits at their places: integer digits padded with zeros, or zeros
// after the separator before the first digit.
void appendPositional(NumberText &out, const Digits15 &dg, int len, QChar decimal)
{
    if (dg.exp < 0) {
        out.append(u'0');
        out.append(decimal.unicode());
        for (int i = 0; i < -dg.exp - 1; ++i)
            out.append(u'0');
        for (int i = 0; i < len; ++i)
            out.append(char16_t(dg.d[i]));
        return;
    }
    for (int i = 0; i <= dg.exp; ++i)
        out.append(char16_t(i < len ? dg.d[i] : '0'));
    if (len > dg.exp + 1) {
        out.append(decimal.unicode());
        for (int i = dg.exp + 1; i < len; ++i)
            out.append(char16_t(dg.d[i]));
    }
}

} // namespace

void generalNumberText(double value, const Regional &reg, NumberText &out)
{
    out.clear();
    if (!std::isfinite(value))
        return nonFiniteText(value, out);
    if (value == 0)
        return out.append(u'0');
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return appendInteger(out, int64_t(value));
    const Digits15 dg = digits15(value);
    int len = 15;
    while (len > 1 && dg.d[len - 1] == '0')
        --len;
    if (value < 0)
        out.append(u'-');
    if (dg.exp < -5 || dg.exp >= 15)
        appendScientific(out, dg, len, reg.decimal);
    else
        appendPositional(out, dg, len, reg.decimal);
}

QString generalNumberText(double value, const Regional &reg)
{
    NumberText out;
    generalNumberText(value, reg, out);
    return toQString(out);
}

QString plainNumberText(double value)
{
    return generalNumberText(value, Regional::turkish());
}

namespace {

struct NumberPicture {
    bool grouping = false;
    int decimals = 0;
    int minInt = 0;
};

NumberPicture parsePicture(const QString &picture)
{
    NumberPicture p;
    const int dot = picture.indexOf(u'.');
    const QString ip = dot < 0 ? picture : picture.left(dot);
    const QString fp = dot < 0 ? QString() : picture.mid(dot + 1);
    p.grouping = ip.contains(u',');
    p.minInt = int(ip.count(u'0'));
    p.decimals = int(fp.count(u'0') + fp.count(u'#'));
    return p;
}

void groupDigits(const NumberPicture &pic, bool negative, const char *intDigits, int intLen, const char *frac,
                 int decimals, const Regional &reg, NumberText &out)
{
    const int padded = std::max(intLen, std::min(pic.minInt, 20));
    const int groups = pic.grouping && padded > 0 ? (padded - 1) / 3 : 0;
    // sized once and written through a pointer
    const qsizetype start = out.size();
    out.resize(start + (negative ? 1 : 0) + padded + groups + (decimals > 0 ? 1 + decimals : 0));
    char16_t *d = out.data() + start;
    if (negative)
        *d++ = u'-';
    for (int i = 0; i < padded; ++i) {
        if (pic.grouping && i > 0 && (padded - i) % 3 == 0)
            *d++ = reg.thousands.unicode();
        const int k = i - (padded - intLen);
        *d++ = k < 0 ? u'0' : char16_t(intDigits[k]);
    }
    if (decimals > 0) {
        *d++ = reg.decimal.unicode();
        for (int i = 0; i < decimals; ++i)
            *d++ = char16_t(frac[i]);
    }
    Q_ASSERT(d == out.data() + out.size());
}

// The common case without a decimal conversion: with at most two decimals
// v x 10^d is exact in extended precision, and unless it lies close to a
// half, rounding it gives what rounding the 15-digit form gives.
bool quickPictureText(const NumberPicture &pic, double value, const Regional &reg, NumberText &out)
{
    if (pic.decimals > 2)
        return false;
    const long double t = std::fabs(static_cast<long double>(value)) * (pic.decimals == 2 ? 100.0L : pic.decimals == 1 ? 10.0L : 1.0L);
    if (!(t < 1e13L))
        return false;
    // floor(t) without changing the rounding mode, which stalls: adding
    // 2^63 leaves no fraction bit, so the sum rounds t to a whole number
    long double whole = (t + 0x1p63L) - 0x1p63L;
    if (whole > t)
        whole -= 1;
    const long double f = t - whole;
    const long double margin = t * 1e-14L + 1e-9L;
    if (std::fabs(f - 0.5L) <= margin)
        return false;
    // through double, exact below 2^53: converting the extended value
    // itself switches the x87 rounding mode twice, which stalls
    const uint64_t n = uint64_t(double(whole)) + (f > 0.5L ? 1 : 0);
    char digits[24];
    int nd = 0;
    {
        char rev[24];
        uint64_t x = n;
        do {
            rev[nd++] = char('0' + x % 10);
            x /= 10;
        } while (x);
        for (int i = 0; i < nd; ++i)
            digits[i] = rev[nd - 1 - i];
    }
    const int decimals = pic.decimals;
    char frac[4] = {'0', '0', '0', '0'};
    int intLen = nd - decimals;
    if (intLen >= 0) {
        std::memcpy(frac, digits + intLen, size_t(decimals));
    } else {
        std::memcpy(frac + (-intLen), digits, size_t(nd));
        intLen = 0;
    }
    const char *intBegin = digits;
    while (intLen > 0 && *intBegin == '0') {
        ++intBegin;
        --intLen;
    }
    const bool negative = value < 0 && n != 0;
    groupDigits(pic, negative, intBegin, intLen, frac, decimals, reg, out);
    return true;
}

// The digits of |value| rounded half away from zero to `decimals` places,
// the last `decimals` of them the fraction; leading zeros may be missing.
// Beyond the 15 significant digits every place is a zero, at any size: all
// digits are written, never an exponent.
std::string roundedDigits(double value, int decimals)
{
    std::string digits;
    if (value == 0)
        return digits;
    const Digits15 dg = digits15(value);
    const int keep = dg.exp + 1 + decimals;
    if (keep == 0 && dg.d[0] >= '5')
        return "1";
    if (keep <= 0)
        return digits;
    digits.assign(size_t(keep), '0');
    std::memcpy(digits.data(), dg.d, size_t(std::min(keep, 15)));
    if (keep < 15 && dg.d[keep] >= '5') {
        int i = keep - 1;
        while (i >= 0 && digits[size_t(i)] == '9')
            digits[size_t(i--)] = '0';
        if (i >= 0)
            digits[size_t(i)]++;
        else
            digits.insert(digits.begin(), '1');
    }
    return digits;
}

void pictureText(const NumberPicture &pic, double value, const Regional &reg, NumberText &out)
{
    out.clear();
    if (!std::isfinite(value))
        return nonFiniteText(value, out);
    if (quickPictureText(pic, value, reg, out))
        return;
    const int decimals = std::min(pic.decimals, 20);
    const std::string digits = roundedDigits(value, decimals);
    // the integer digits without leading zeros, and the fraction padded
    const int nd = int(digits.size());
    char fracDigits[24];
    const char *intBegin = digits.data();
    int intLen = nd - decimals;
    if (intLen >= 0) {
        std::memcpy(fracDigits, digits.data() + intLen, size_t(decimals));
    } else {
        const int zeros = -intLen;
        std::memset(fracDigits, '0', size_t(zeros));
        std::memcpy(fracDigits + zeros, digits.data(), size_t(nd));
        intLen = 0;
    }
    while (intLen > 0 && *intBegin == '0') {
        ++intBegin;
        --intLen;
    }
    // a value that rounds to zero has no sign
    const bool zero = intLen == 0 && std::all_of(fracDigits, fracDigits + decimals, [](char c) { return c == '0'; });
    groupDigits(pic, value < 0 && !zero, intBegin, intLen, fracDigits, decimals, reg, out);
}

QString pictureText(const NumberPicture &pic, double value, const Regional &reg)
{
    NumberText out;
    pictureText(pic, value, reg, out);
    return toQString(out);
}

constexpr NumberPicture AmountPicture{true, 2, 1};
constexpr NumberPicture WholePicture{true, 0, 1};

} // namespace

QString formatPicture(const QString &picture, double value, const Regional &reg)
{
    return pictureText(parsePicture(picture), value, reg);
}

QString formatAmount(double value, const Regional &reg)
{
    return pictureText(AmountPicture, value, reg);
}

void formatAmount(double value, const Regional &reg, NumberText &out)
{
    pictureText(AmountPicture, value, reg, out);
}

bool isFormattedAmount(QStringView t, const Regional &reg)
{
    const char16_t decimal = reg.decimal.unicode(), thousands = reg.thousands.unicode();
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    if (decimal == thousands || isDigit(thousands) || thousands == u'-')
        return false;
    const qsizetype n = t.size();
    const qsizetype start = n > 0 && t[0] == u'-' ? 1 : 0;
    // the integer part: digits grouped by three from the right
    const qsizetype len = n - 3 - start;
    if (len < 1 || len % 4 == 0 || t[n - 3] != decimal || !isDigit(t[n - 2].unicode()) || !isDigit(t[n - 1].unicode()))
        return false;
    const qsizetype digits = len - len / 4;
    if (digits + 2 > 15 || (digits > 1 && t[start] == u'0'))
        return false;
    bool zero = t[n - 2] == u'0' && t[n - 1] == u'0';
    for (qsizetype p = 0; p < len; ++p) {
        const char16_t c = t[start + p].unicode();
        if ((len - p) % 4 == 0 ? c != thousands : !isDigit(c))
            return false;
        zero = zero && (c == thousands || c == u'0');
    }
    // formatAmount writes no "-0,00"
    return !(start == 1 && zero);
}

QString formatWhole(double value, const Regional &reg)
{
    return pictureText(WholePicture, value, reg);
}

int64_t roundHalfEven(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9223372036854775808.0)
        raiseInvalidOperation();
    const double r = std::nearbyint(value); // default mode: ties to even
    return int64_t(r);
}

double divide(double a, double b)
{
    if (b == 0) {
        if (a == 0 || std::isnan(a))
            raiseInvalidOperation();
        raiseDivisionByZero();
    }
    const double r = a / b;
    if (std::isinf(r) && std::isfinite(a))
        raiseOverflow();
    if (std::isnan(r))
        raiseInvalidOperation();
    return r;
}

QString dateToText(const QDate &date, const Regional &reg)
{
    QString s;
    s.reserve(10);
    const int d = date.day(), m = date.month(), y = date.year();
    s += QChar(u'0' + d / 10);
    s += QChar(u'0' + d % 10);
    s += reg.date;
    s += QChar(u'0' + m / 10);
    s += QChar(u'0' + m % 10);
    s += reg.date;
    QString ys = QString::number(y);
    if (y >= 0)
        ys = ys.rightJustified(4, u'0');
    s += ys;
    return s;
}

} // namespace kervio
