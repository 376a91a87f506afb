#pragma once
#include "calculation.h"
#include "ledgertable.h"
#include "parameters.h"
#include "regional.h"
#include "rowplans.h"
#include "summary.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace kervio {

// One ledger as the program holds it: the table with its cursor, the
// calculation parameters, the summary, and the one regional settings object
// they all read and write numbers and dates with. Its commands run the
// calculation the way the grid's cursor walk runs it: they raise the
// conversion errors where they happen (what was written before stays), end
// with SilentAbort after a refused date, and hand the texts of their notices
// to the message sink.
class Document {
public:
    using MessageSink = std::function<void(const QString &text)>;
    enum class RowOutcome { Completed, Stopped };

    explicit Document(const Regional &reg);
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    const Regional &regional() const { return m_reg; }
    LedgerTable &ledger() { return m_ledger; }
    Parameters &params() { return m_params; }
    Summary &summary() { return m_summary; }
    const LedgerTable &ledger() const { return m_ledger; }
    const Parameters &params() const { return m_params; }
    const Summary &summary() const { return m_summary; }

    // Where the notices go (a refused date, an impossible due date); without
    // a sink they are dropped.
    void setMessageSink(MessageSink sink) { m_messages = std::move(sink); }

    // --- the cursor ----------------------------------------------------------
    // Only the entry columns 1-5 of the entry rows take the cursor: the row
    // numbers, the header and the computed columns 6-12 never do.
    static bool isSelectableCell(int row, int col)
    {
        return row >= 1 && col >= ColTransactionDate && col <= ColCredit;
    }
    // Moves the cursor; any change recalculates the new current row. Nothing
    // (and no recalculation) when the cell is refused, beyond the last row or
    // already current.
    std::optional<RowOutcome> setCurrentCell(int row, int col);
    // The cursor to another row in the column it stands in, as a program
    // step that sets the current row does.
    std::optional<RowOutcome> moveCursorToRow(int row);
    // Enter in the current cell: on to the next column of the row; after the
    // credit amount back to the row's transaction date (which recalculates
    // the row just typed) and then down to the next row, if there is one.
    void moveByEnter();

    // --- the calculation -----------------------------------------------------
    // The current row's figures and, when it has a usable due date, the
    // summary. An empty yearly rate becomes "0" first.
    RowOutcome recalculateCurrentRow();
    // Every row, walking the cursor from row 1 to the last row; a refused
    // date ends the walk, an impossible due date does not.
    void recalculateAll();
    // The same walk over rows without numbers: each row is numbered just
    // before its own recalculation (a transferred ledger).
    void renumberAndRecalculateAll();
    // The summary from the ledger's sums as they stand.
    void recalculateSummary();
    // Walks over at least `rows` rows have them worked out ahead on a second
    // thread (with the same outcome); tests try both ways.
    void planWalksFrom(int rows) { m_planWalksFrom = rows; }
    // The rate that would settle the balance, from the summary as it stands;
    // nothing changes for a balanced ledger.
    void findBalancingRate();
    // The rows in the order of their transaction dates (undated ones last),
    // renumbered and recalculated.
    void sortByTransactionDate();

    // --- rows -----------------------------------------------------------------
    // An empty row above the current one, which stays with its entry; then
    // the rows are renumbered and recalculated.
    void insertRowAbove();
    void removeCurrentRow();
    // A new numbered row below the last one once the cursor stands in the
    // description of the last row and its due date is filled.
    void appendRowIfLastEntryDated();
    // Empties the ledger (one numbered empty row) and the summary; the
    // parameters stay.
    void clear();

private:
    enum class Numbering { Keep, AlongTheWalk };
    void walkAllRows(Numbering numbering);
    void report(const QString &text);
    // The parameters as the calculation reads them, read again only after
    // they changed.
    const RowParameters &rowParameters();
    // An empty yearly rate becomes "0" before a row is recalculated.
    void readEmptyYearlyRateAsZero();

    Regional m_reg;
    LedgerTable m_ledger;
    Parameters m_params;
    Summary m_summary;
    MessageSink m_messages;
    RowParameters m_rowParameters;
    // What the summary was last written from: writing it again from the
    // same sums and date onto the same summary changes nothing.
    struct SummaryInputs {
        quint64 sums;
        QDate date;
        quint64 summary;
    };
    std::optional<SummaryInputs> m_summaryWritten;
    // the row being recalculated, its changes kept in reused room
    RowCells m_rowCells;
    std::optional<quint64> m_rowParametersRevision;
    std::unique_ptr<RowPlanner> m_planner; // during a long walk
    int m_planWalksFrom = RowPlanner::MinimumRows;
};

} // namespace kervio
