#pragma once
#include "ledgertable.h"
#include "parameters.h"
#include "regional.h"
#include "summary.h"

#include <QDate>
#include <QString>
#include <optional>

// The calculation as functions of plain values: a row's cells, the
// parameters' texts, the ledger's sums and the summary's fields. Errors of
// the number conversions are raised as KervioError where they happen, so
// what a step wrote before stays written.
namespace kervio {

// The parameters a row's figures are computed from, as the panel holds them.
// The texts are converted only where a step needs them: an unreadable grace
// text is an error only for a row that uses it.
struct RowParameters {
    QDate calculationDate;
    QString daysInYear;
    QString yearlyRate;
    QString debitGrace;
    QString creditGrace;
    bool debitWeekend = false;
    bool creditWeekend = false;

    static RowParameters of(const Parameters &p);

    // A text's number, read again only when the text is another one.
    struct ReadNumber {
        QString text;
        double value = 0;
    };
    mutable ReadNumber readNumbers[4];
};

// The columns and parameters of one side of an entry.
struct LedgerSide {
    int amount;
    int termDifference;
    int adat;
    QString RowParameters::*graceDays;
    bool RowParameters::*weekendShift;
};
inline constexpr LedgerSide DebitSide{ColDebit, ColDebitDiff, ColDebitAdat, &RowParameters::debitGrace,
                                      &RowParameters::debitWeekend};
inline constexpr LedgerSide CreditSide{ColCredit, ColCreditDiff, ColCreditAdat, &RowParameters::creditGrace,
                                       &RowParameters::creditWeekend};

// The cells of one row as the calculation reads and writes them. It notes
// the columns it changed, so that the table brings only their sums up to
// date; a text equal to the cell's is no change. Either it changes a row of
// texts directly, or it reads a stored row in place and keeps only the
// changed cells, which the table then stores (nothing is copied or
// allocated for a row that stays as it was).
class RowCells {
public:
    RowCells() = default; // reads nothing until reset()
    explicit RowCells(LedgerTable::Row &cells) : m_cells(&cells) {}
    explicit RowCells(const PackedRow &row) : m_read(row.views()) {}
    // Another stored row read, with no change yet; the room of the last
    // changes is used again.
    void reset(const PackedRow &row)
    {
        m_read = row.views();
        m_changed = 0;
    }
    // Valid until the cell is set.
    QStringView operator[](int col) const
    {
        if (m_cells)
            return (*m_cells)[size_t(col)];
        return m_changed & (1u << col) ? QStringView(m_changes[size_t(col)]) : m_read[size_t(col)];
    }
    void set(int col, QStringView text);
    // A bit (1 << column) for each column changed.
    quint16 changedColumns() const { return m_changed; }
    // The read row with the changes.
    PackedRow changedRow() const;

private:
    LedgerTable::Row *m_cells = nullptr;
    PackedRow::Views m_read{}; // the stored row's cells
    LedgerTable::Row m_changes;
    quint16 m_changed = 0;
};

// --- date completion -------------------------------------------------------

// A typed date ("5 .3 .24  ") made whole: two-digit day and month, a missing
// year taken from the calculation date, a short year widened (9 -> 2009,
// 24 -> 2024, 998 -> 1998). Refused unless day and month are at least 1 and
// the year lies in 1905..2999.
struct DateCompletion {
    enum Outcome { AlreadyComplete, Completed, Refused };
    Outcome outcome = AlreadyComplete;
    QString text; // Completed: the new cell text; Refused: the date as completed
};
DateCompletion completeDate(QStringView cell, const QDate &calculationDate, QChar dateSeparator);
// A year of one, two or three digits widened: 9 -> 2009, 24 -> 2024,
// 998 -> 1998; any other text as it stands.
QString widenYear(const QString &year);
QString refusedDateMessage(const QString &completed);
QString impossibleDueDateMessage(QStringView due);

// --- one row -----------------------------------------------------------------

// How a row's recalculation ended. Stopped: the row has no usable due date
// and the summary is left alone; Refused: a date was refused, which ends the
// whole action. A message is shown before `clearColumn` is emptied.
struct RowResult {
    enum Outcome { Completed, Stopped, Refused };
    Outcome outcome = Completed;
    QString message;
    int clearColumn = -1;
};

// The digits of the two date cells as numbers (0 for none).
struct DateDigits {
    double transaction = 0;
    double due = 0;
};

// The steps of a row's recalculation, in their order.
// 1. A side whose amount is below 0,01 loses its term difference and adat.
void clearFiguresOfEmptySides(RowCells &row, const Regional &reg);
// 2. Both date cells completed; a refusal stops here.
std::optional<RowResult> completeEntryDates(RowCells &row, const QDate &calculationDate, QChar dateSeparator,
                                            DateDigits &digits);
// 3. An entry with one date gets it as the other one too.
void copyMissingDate(RowCells &row, DateDigits &digits);
// 4. A due date of fewer than six digits is dropped silently, an impossible
//    one with a message.
std::optional<RowResult> checkDueDate(const RowCells &row, const DateDigits &digits);
// 5. The amounts of a side that has one, and its term difference, in the
//    amount format.
void normaliseAmounts(RowCells &row, const Regional &reg);
// 6. Days, interest numbers (adat) and term differences. False when the due
//    date cell does not hold ten characters.
bool writeRowFigures(RowCells &row, const RowParameters &p, const Regional &reg);

// Every step in turn on one row.
RowResult recalculateRow(RowCells &row, const RowParameters &p, const Regional &reg);

// --- the ledger ------------------------------------------------------------------

// Totals, balance, term differences and the average days and dates of the
// summary from the ledger's sums. The overall average of a balanced ledger
// is taken from the side averages the summary already shows.
void writeSummaryFigures(const LedgerSums &sums, const QDate &calculationDate, Summary &summary);

// The yearly rate that would settle the balance over the gap between the
// two sides' average days, and its twelfth; nothing when the totals are
// equal. Raises the runtime's errors for a division by zero.
struct BalancingRate {
    double yearly = 0;
    double monthly = 0;
};
struct BalancingInputs {
    long double debitDays = 0;
    long double creditDays = 0;
    long double balance = 0;
    long double debitTotal = 0;
    long double creditTotal = 0;
};
std::optional<BalancingRate> balancingRate(const BalancingInputs &in);

// The day number the calculation counts in: days since 30.12.1899.
double dayNumber(const QDate &date);

} // namespace kervio
