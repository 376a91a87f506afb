#include "calculation.h"
#include "textfuncs.h"
#include "core/errors.h"

#include <cmath>

namespace kervio {

namespace {

const qint64 EpochJd = QDate(1899, 12, 30).toJulianDay();
const qint64 LastJd = QDate(10000, 1, 1).toJulianDay();

// A cell that already reads dd.mm.yyyy with the regional separator and a
// year the completion accepts comes out of it unchanged.
bool alreadyComplete(QStringView t, QChar sep, int &day, int &month, int &year)
{
    if (t.size() != 10 || t[2] != sep || t[5] != sep || !dateDigits(t, day, month, year))
        return false;
    return day >= 1 && month >= 1 && year >= 1905 && year <= 2999;
}

bool alreadyComplete(QStringView t, QChar sep)
{
    int day, month, year;
    return alreadyComplete(t, sep, day, month, year);
}

// Saturday and Sunday due dates move to the next Monday when the side asks.
double weekendShift(const QDate &due, bool on)
{
    if (!on)
        return 0.0;
    const int dow = due.dayOfWeek();
    return dow == 7 ? 1.0 : dow == 6 ? 2.0 : 0.0;
}

// `read(text)` once for each text, kept in the parameters' slot `slot`; an
// error is raised every time.
template <typename Read>
double numberOf(const RowParameters &p, int slot, const QString &text, Read read)
{
    RowParameters::ReadNumber &n = p.readNumbers[slot];
    // a text that shares the kept one's characters is the same text
    if (n.text.constData() != text.constData() || n.text.size() != text.size() || text.isEmpty()) {
        const double value = read(text);
        n = {text, value};
    }
    return n.value;
}

double parsedNumber(const RowParameters &p, int slot, const QString &text, const Regional &reg)
{
    return numberOf(p, slot, text, [&](const QString &t) { return parseNumber(t, reg); });
}

double parsedAmount(const RowParameters &p, int slot, const QString &text, const Regional &reg)
{
    return numberOf(p, slot, text, [&](const QString &t) { return parseAmount(t, reg); });
}

double termDifference(double adat, const RowParameters &p, const Regional &reg)
{
    const double rate = parsedNumber(p, 0, p.yearlyRate, reg);
    const double year = parsedNumber(p, 1, p.daysInYear, reg);
    return divide(-(rate * adat), year * 100);
}

// The days, interest number and term difference of one side with a
// positive amount; the days cell holds the last side's days.
void writeSideFigures(RowCells &row, const LedgerSide &side, double amount, double graceDays,
                      const QDate &due, double dueDay, double calculationDay, const RowParameters &p,
                      const Regional &reg)
{
    NumberText text;
    const double days = graceDays + dueDay + weekendShift(due, p.*side.weekendShift) - calculationDay;
    generalNumberText(days, reg, text);
    row.set(ColDays, textView(text));
    // Interest numbers and term differences go to their format as they are:
    // the format reads them at 15 significant digits, so a tiny value shows
    // as 0,00 instead of being mangled through an E-notation text.
    const double adat = amount * days;
    formatAmount(adat, reg, text);
    row.set(side.adat, textView(text));
    formatAmount(termDifference(adat, p, reg), reg, text);
    row.set(side.termDifference, textView(text));
}

// An average due date H + days, kept within what a date picker can show.
void setLimitedDate(Summary &s, Summary::Picker p, const QDate &h, int64_t days)
{
    const __int128 x = __int128(h.toJulianDay()) + days;
    if (x < EpochJd)
        s.setDate(p, QDate(1899, 12, 31));
    else if (x > LastJd)
        s.setDate(p, QDate(9999, 12, 31));
    else if (x == EpochJd || x == LastJd)
        return;
    else
        s.setDate(p, QDate::fromJulianDay(qint64(x)));
}

void writeAverage(Summary &s, Summary::Field days, Summary::Picker date, const QDate &h, int64_t average)
{
    s.setNumber(days, double(average), Summary::Format::Whole);
    setLimitedDate(s, date, h, average);
}

} // namespace

QString widenYear(const QString &year)
{
    const double n = parseDigits(year);
    const QString s = plainNumberText(n);
    if (s.size() == 1 && n > 0)
        return QStringLiteral("200") + s;
    if (s.size() == 2)
        return QStringLiteral("20") + s;
    if (s.size() == 3)
        return QStringLiteral("1") + s;
    return year;
}

void RowCells::set(int col, QStringView text)
{
    if ((*this)[col] == text)
        return;
    QString &cell = m_cells ? (*m_cells)[size_t(col)] : m_changes[size_t(col)];
    // an empty text stays a null string, as the cells hold it
    if (text.isEmpty())
        cell = QString();
    else if (text.utf16() >= reinterpret_cast<const char16_t *>(cell.constData())
             && text.utf16() < reinterpret_cast<const char16_t *>(cell.constData()) + cell.size())
        cell = text.toString(); // a part of the cell itself
    else
        cell.setUnicode(reinterpret_cast<const QChar *>(text.utf16()), text.size());
    m_changed |= quint16(1u << col);
}

PackedRow RowCells::changedRow() const
{
    std::array<QStringView, LedgerColumnCount> cells;
    for (int c = 0; c < LedgerColumnCount; ++c)
        cells[size_t(c)] = (*this)[c];
    return PackedRow(cells);
}

double dayNumber(const QDate &date)
{
    return double(date.toJulianDay() - EpochJd);
}

RowParameters RowParameters::of(const Parameters &p)
{
    RowParameters r;
    r.calculationDate = p.calculationDate();
    r.daysInYear = p.text(Parameters::DaysInYear);
    r.yearlyRate = p.text(Parameters::YearlyRate);
    r.debitGrace = p.text(Parameters::DebitGrace);
    r.creditGrace = p.text(Parameters::CreditGrace);
    r.debitWeekend = p.debitWeekend();
    r.creditWeekend = p.creditWeekend();
    return r;
}

DateCompletion completeDate(QStringView cell, const QDate &calculationDate, QChar sep)
{
    if (alreadyComplete(cell, sep))
        return {};
    const QString text = cell.toString();
    QString d = text.mid(0, 2);
    QString m = text.mid(3, 2);
    QString y = text.mid(6, 4);
    if (parseDigits(d) < 10)
        d = QStringLiteral("0") + plainNumberText(parseDigits(d));
    if (plainNumberText(parseDigits(m)).size() < 2)
        m = QStringLiteral("0") + plainNumberText(parseDigits(m));
    if (parseDigits(y) == 0 && parseDigits(m) > 0)
        y = QString::number(calculationDate.year()).rightJustified(4, u'0');
    y = widenYear(y);
    const double dn = parseDigits(d), mn = parseDigits(m), yn = parseDigits(y);
    const QString joined = d + sep + m + sep + y;
    if (dn >= 1 && mn >= 1 && yn >= 1905 && yn <= 2999)
        return {DateCompletion::Completed, joined};
    return {DateCompletion::Refused, joined};
}

QString refusedDateMessage(const QString &completed)
{
    return QStringLiteral("\"") + completed + QStringLiteral("\" tarih girişiniz uygun değil!");
}

QString impossibleDueDateMessage(QStringView due)
{
    return due.toString() + QStringLiteral(" Tarih Girişiniz doğru değil.");
}

void clearFiguresOfEmptySides(RowCells &row, const Regional &reg)
{
    for (const LedgerSide &side : {DebitSide, CreditSide}) {
        if (parseAmount(row[side.amount], reg) < 0.01) {
            row.set(side.termDifference, QString());
            row.set(side.adat, QString());
        }
    }
}

std::optional<RowResult> completeEntryDates(RowCells &row, const QDate &calculationDate, QChar sep, DateDigits &digits)
{
    const bool digitSeparator = sep >= u'0' && sep <= u'9';
    for (const int col : {ColTransactionDate, ColDueDate}) {
        double &value = col == ColTransactionDate ? digits.transaction : digits.due;
        // a complete date's digits without reading the text again
        int day, month, year;
        if (!digitSeparator && alreadyComplete(row[col], sep, day, month, year)) {
            value = day * 1e6 + month * 1e4 + year;
            continue;
        }
        value = parseDigits(row[col]);
        if (value <= 0)
            continue;
        const DateCompletion c = completeDate(row[col], calculationDate, sep);
        if (c.outcome == DateCompletion::Refused)
            return RowResult{RowResult::Refused, refusedDateMessage(c.text), col};
        if (c.outcome == DateCompletion::Completed) {
            row.set(col, c.text);
            value = parseDigits(row[col]);
        }
    }
    return std::nullopt;
}

void copyMissingDate(RowCells &row, DateDigits &digits)
{
    if (digits.transaction < 1 && row[ColDueDate].size() == 10) {
        row.set(ColTransactionDate, row[ColDueDate]);
        digits.transaction = digits.due;
    }
    if (digits.due < 1 && row[ColTransactionDate].size() == 10) {
        row.set(ColDueDate, row[ColTransactionDate]);
        digits.due = digits.transaction;
    }
}

std::optional<RowResult> checkDueDate(const RowCells &row, const DateDigits &digits)
{
    // fewer than six characters in the digits' text: no due date
    const double d = digits.due;
    if (!(d >= 100000 && d < 1e15) && plainNumberText(d).size() < 6)
        return RowResult{RowResult::Stopped, QString(), ColDueDate};
    if (!isValidDateText(row[ColDueDate]))
        return RowResult{RowResult::Stopped, impossibleDueDateMessage(row[ColDueDate]), ColDueDate};
    return std::nullopt;
}

void normaliseAmounts(RowCells &row, const Regional &reg)
{
    for (const LedgerSide &side : {DebitSide, CreditSide}) {
        if (row[side.amount].isEmpty())
            continue;
        // a text already in the format stays as it is
        NumberText text;
        for (const int col : {side.amount, side.termDifference}) {
            if (isFormattedAmount(row[col], reg))
                continue;
            formatAmount(parseAmount(row[col], reg), reg, text);
            row.set(col, textView(text));
        }
    }
}

bool writeRowFigures(RowCells &row, const RowParameters &p, const Regional &reg)
{
    const QStringView dv = row[ColDueDate];
    if (dv.size() != 10)
        return false;
    int day, month, year;
    if (!dateDigits(dv, day, month, year)) {
        day = parseInteger(dv.mid(0, 2));
        month = parseInteger(dv.mid(3, 2));
        year = parseInteger(dv.mid(6, 4));
    }
    const QDate due = gregorianDate(year, month, day);
    const double dueDay = dayNumber(due);
    const double calculationDay = dayNumber(p.calculationDate);

    // The days without an amount count the debit side's grace days.
    const double debitGrace = parsedAmount(p, 2, p.debitGrace, reg);
    NumberText days;
    generalNumberText(debitGrace + dueDay - calculationDay, reg, days);
    row.set(ColDays, textView(days));
    for (const LedgerSide &side : {DebitSide, CreditSide}) {
        const double amount = parseAmount(row[side.amount], reg);
        if (amount <= 0)
            continue;
        const double grace = side.amount == ColDebit ? debitGrace : parsedAmount(p, 3, p.*side.graceDays, reg);
        writeSideFigures(row, side, amount, grace, due, dueDay, calculationDay, p, reg);
    }
    return true;
}

RowResult recalculateRow(RowCells &row, const RowParameters &p, const Regional &reg)
{
    clearFiguresOfEmptySides(row, reg);
    DateDigits digits;
    if (std::optional<RowResult> refused = completeEntryDates(row, p.calculationDate, reg.date, digits))
        return *refused;
    copyMissingDate(row, digits);
    if (std::optional<RowResult> stopped = checkDueDate(row, digits))
        return *stopped;
    normaliseAmounts(row, reg);
    if (!writeRowFigures(row, p, reg))
        return {RowResult::Stopped, QString(), -1};
    return {};
}

void writeSummaryFigures(const LedgerSums &s, const QDate &h, Summary &summary)
{
    using F = Summary::Format;
    const double sb = s.value[LedgerSums::Debit];
    const double sa = s.value[LedgerSums::Credit];
    summary.setNumber(Summary::DebitTotal, sb, F::Amount);
    summary.setNumber(Summary::CreditTotal, sa, F::Amount);
    summary.setNumber(Summary::Balance, s.balance, F::Amount);
    summary.setNumber(Summary::DebitDiff, s.value[LedgerSums::DebitDiff], F::Amount);
    summary.setNumber(Summary::CreditDiff, s.value[LedgerSums::CreditDiff], F::Amount);
    summary.setNumber(Summary::NetDiff, s.net, F::Amount);

    if (s.debitPositive)
        writeAverage(summary, Summary::DebitDays, Summary::DebitDate, h,
                     roundHalfEven(divide(s.value[LedgerSums::DebitAdat], sb)));
    if (s.creditPositive)
        writeAverage(summary, Summary::CreditDays, Summary::CreditDate, h,
                     roundHalfEven(divide(s.value[LedgerSums::CreditAdat], sa)));
    if (!s.totalsEqual && (s.debitPositive || s.creditPositive))
        writeAverage(summary, Summary::OverallDays, Summary::OverallDate, h,
                     roundHalfEven(divide(s.adatBalance, s.balance)));
    else if (s.totalsEqual)
        writeAverage(summary, Summary::OverallDays, Summary::OverallDate, h,
                     roundHalfEven(summary.amount(Summary::DebitDays) - summary.amount(Summary::CreditDays)));
}

std::optional<BalancingRate> balancingRate(const BalancingInputs &in)
{
    long double s = 0, gap = 0;
    if (in.creditTotal > in.debitTotal) {
        s = in.debitTotal;
        gap = in.debitDays - in.creditDays;
    } else if (in.debitTotal > in.creditTotal) {
        s = in.creditTotal;
        gap = in.creditDays - in.debitDays;
    } else {
        return std::nullopt; // balanced: there is no rate to find
    }
    auto divide = [](long double a, long double b) {
        if (b == 0) {
            if (a == 0)
                raiseInvalidOperation();
            raiseDivisionByZero();
        }
        return a / b;
    };
    long double x = divide(divide(in.balance, s), gap);
    x = x * 365 * 100 * 10000;
    if (!std::isfinite(double(x)) || std::fabs(x) >= 9223372036854775808.0L)
        raiseInvalidOperation();
    const int64_t n = std::llrint(x); // ties to even in the default mode
    const double yearly = double(n) / 10000;
    return BalancingRate{yearly, yearly / 12};
}

} // namespace kervio
