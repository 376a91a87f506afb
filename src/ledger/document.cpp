#include "document.h"
#include "calculation.h"
#include "sortorder.h"
#include "textfuncs.h"
#include "core/errors.h"

namespace kervio {

Document::Document(const Regional &reg) : m_reg(reg), m_ledger(reg), m_params(reg), m_summary(reg) {}

void Document::report(const QString &text)
{
    if (m_planner)
        m_planner->settle(); // nothing is read behind the message's back
    if (m_messages)
        m_messages(text);
}

// --- the cursor -------------------------------------------------------------------

std::optional<Document::RowOutcome> Document::setCurrentCell(int row, int col)
{
    if (row < 1 || row >= m_ledger.gridRowCount() || !isSelectableCell(row, col))
        return std::nullopt;
    if (row == m_ledger.currentRow() && col == m_ledger.currentColumn())
        return std::nullopt;
    m_ledger.setCurrent(row, col);
    return recalculateCurrentRow();
}

std::optional<Document::RowOutcome> Document::moveCursorToRow(int row)
{
    return setCurrentCell(row, m_ledger.currentColumn());
}

void Document::moveByEnter()
{
    const int row = m_ledger.currentRow();
    const int col = m_ledger.currentColumn();
    if (col < ColCredit) {
        setCurrentCell(row, col + 1);
        return;
    }
    setCurrentCell(row, ColTransactionDate);
    if (row < m_ledger.lastRow())
        setCurrentCell(row + 1, ColTransactionDate);
}

// --- the calculation ------------------------------------------------------------

void Document::readEmptyYearlyRateAsZero()
{
    if (rowParameters().yearlyRate.isEmpty())
        m_params.setText(Parameters::YearlyRate, QStringLiteral("0"));
}

const RowParameters &Document::rowParameters()
{
    if (m_rowParametersRevision != m_params.revision()) {
        m_rowParameters = RowParameters::of(m_params);
        m_rowParametersRevision = m_params.revision();
    }
    return m_rowParameters;
}

Document::RowOutcome Document::recalculateCurrentRow()
{
    const int r = m_ledger.currentRow();
    if (r < 1 || r >= m_ledger.gridRowCount())
        return RowOutcome::Stopped;
    readEmptyYearlyRateAsZero();

    // the row is read in place and stored again only when it changed; its
    // sums follow, also after an error
    RowPlan own;
    RowPlan *plan = m_planner ? m_planner->take(r, m_ledger.packedRow(r), m_params.revision()) : nullptr;
    if (!plan) {
        planRow(m_ledger.packedRow(r), m_rowCells, rowParameters(), m_reg, own);
        plan = &own;
    }
    if (plan->columns)
        m_ledger.storeRow(r, std::move(plan->changed), plan->columns);
    if (plan->error)
        std::rethrow_exception(plan->error);
    const RowResult result = std::move(plan->result);
    // the notice is shown while the cell still holds what it names
    if (!result.message.isEmpty())
        report(result.message);
    if (result.clearColumn >= 0)
        m_ledger.setCell(r, result.clearColumn, QString());
    if (result.outcome == RowResult::Refused)
        throw SilentAbort();
    if (result.outcome == RowResult::Stopped)
        return RowOutcome::Stopped;
    recalculateSummary();
    return RowOutcome::Completed;
}

void Document::recalculateSummary()
{
    const quint64 sums = m_ledger.sumsRevision();
    const QDate date = m_params.calculationDate();
    const std::optional<SummaryInputs> &w = m_summaryWritten;
    if (w && w->sums == sums && w->date == date && w->summary == m_summary.revision())
        return;
    m_summaryWritten.reset();
    writeSummaryFigures(m_ledger.entrySums(), date, m_summary);
    m_summaryWritten = SummaryInputs{sums, date, m_summary.revision()};
}

void Document::recalculateAll()
{
    walkAllRows(Numbering::Keep);
}

void Document::renumberAndRecalculateAll()
{
    walkAllRows(Numbering::AlongTheWalk);
}

void Document::walkAllRows(Numbering numbering)
{
    const bool numbered = numbering == Numbering::AlongTheWalk;
    const int count = m_ledger.gridRowCount();
    auto number = [&](int row) { m_ledger.setCell(row, ColNumber, QString::number(row)); };

    // A long walk has its rows worked out ahead on a second thread; each
    // row takes its plan only while it and the parameters read as they did
    // (numbering changes a row, so it is run again).
    struct Planned {
        std::unique_ptr<RowPlanner> &planner;
        ~Planned() { planner.reset(); }
    } planned{m_planner};
    if (count - 1 >= m_planWalksFrom) {
        readEmptyYearlyRateAsZero(); // what the walk's first row does first
        m_planner = std::make_unique<RowPlanner>(m_ledger, rowParameters(), m_params.revision(), m_reg, 1, count - 1);
    }

    std::optional<RowOutcome> moved;
    if (numbered || m_ledger.currentRow() != 1)
        moved = moveCursorToRow(1);
    if (!numbered && !moved && count == 2)
        recalculateCurrentRow(); // a lone entry row is recalculated too
    // A row the move onto it recalculated completely is not run again,
    // unless it was numbered after that run.
    bool fresh = moved == RowOutcome::Completed;
    for (int row = 1; row <= count - 2; ++row) {
        if (numbered)
            number(row);
        if (numbered || !fresh)
            recalculateCurrentRow();
        fresh = moveCursorToRow(row + 1) == RowOutcome::Completed;
    }
    if (numbered)
        number(count - 1);
}

void Document::findBalancingRate()
{
    BalancingInputs in;
    in.debitDays = m_summary.amount(Summary::DebitDays);
    in.creditDays = m_summary.amount(Summary::CreditDays);
    in.balance = parseAmount(m_summary.text(Summary::Balance), m_reg);
    in.debitTotal = parseAmount(m_summary.text(Summary::DebitTotal), m_reg);
    in.creditTotal = parseAmount(m_summary.text(Summary::CreditTotal), m_reg);
    if (const std::optional<BalancingRate> rate = balancingRate(in)) {
        m_summary.setText(Summary::YearlyRateResult, generalNumberText(rate->yearly, m_reg));
        m_summary.setText(Summary::MonthlyRateResult, generalNumberText(rate->monthly, m_reg));
    }
}

void Document::sortByTransactionDate()
{
    const int last = m_ledger.lastRow();
    std::vector<QString> keys;
    keys.reserve(size_t(last));
    for (int r = 1; r <= last; ++r) {
        keys.push_back(transactionDateSortKey(m_ledger.cellView(r, ColTransactionDate), m_ledger.cellView(r, ColDueDate)));
        m_ledger.setCell(r, ColIndex2, keys.back());
    }
    std::vector<int> order = transactionDateOrder(keys);
    bool moved = false;
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] += 1; // grid rows
        moved = moved || order[i] != int(i) + 1;
    }
    if (moved)
        m_ledger.applyPermutation(order);
    m_ledger.renumber();
    recalculateAll();
}

// --- rows ---------------------------------------------------------------------------

void Document::insertRowAbove()
{
    const int r = m_ledger.currentRow();
    m_ledger.insertEmptyRow(r);
    // the cursor stays with the entry it was on, now one row lower
    m_ledger.setCurrent(r + 1, m_ledger.currentColumn());
    m_ledger.renumber();
    recalculateAll();
}

void Document::removeCurrentRow()
{
    const int r = m_ledger.currentRow();
    if (r < 1 || r >= m_ledger.gridRowCount())
        return;
    m_ledger.removeRowAt(r);
}

void Document::appendRowIfLastEntryDated()
{
    const int r = m_ledger.currentRow();
    if (m_ledger.currentColumn() == ColDescription && m_ledger.cell(r, ColDueDate).size() > 7 && r == m_ledger.lastRow()) {
        const int count = m_ledger.gridRowCount();
        m_ledger.setGridRowCount(count + 1);
        m_ledger.setCell(count, ColNumber, QString::number(count));
    }
}

void Document::clear()
{
    m_ledger.clearEntries();
    m_ledger.setCell(1, ColNumber, QStringLiteral("1"));
    for (Summary::Field f : {Summary::DebitTotal, Summary::CreditTotal, Summary::Balance, Summary::DebitDiff,
                             Summary::CreditDiff, Summary::NetDiff, Summary::CreditDays, Summary::OverallDays})
        m_summary.setText(f, QString());
    m_summary.setText(Summary::YearlyRateResult, QStringLiteral("0,00"));
    m_summary.setText(Summary::MonthlyRateResult, QStringLiteral("0,00"));
    m_summary.setText(Summary::DebitDays, QString());
    const QDate today = QDate::currentDate();
    m_summary.setDate(Summary::OverallDate, today);
    m_summary.setDate(Summary::CreditDate, today);
    m_summary.setDate(Summary::DebitDate, today);
}

} // namespace kervio
