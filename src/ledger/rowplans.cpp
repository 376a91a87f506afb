#include "rowplans.h"

#include <algorithm>
#include <system_error>

namespace kervio {

void planRow(const PackedRow &row, RowCells &cells, const RowParameters &params, const Regional &reg, RowPlan &plan)
{
    plan.source = row;
    cells.reset(plan.source);
    try {
        plan.result = recalculateRow(cells, params, reg);
    } catch (...) {
        plan.error = std::current_exception();
    }
    plan.columns = cells.changedColumns();
    if (plan.columns)
        plan.changed = cells.changedRow();
}

RowPlanner::RowPlanner(const LedgerTable &ledger, const RowParameters &params, quint64 paramsRevision,
                       const Regional &reg, int first, int last)
    : m_ledger(ledger), m_params(params), m_paramsRevision(paramsRevision), m_reg(reg), m_last(last),
      m_ownParams(params)
{
    try {
        m_background = std::thread(&RowPlanner::runBackground, this);
    } catch (const std::system_error &) {
        // no thread to be had: the walk's own thread plans every row
    }
    start(first);
    advance();
}

void RowPlanner::advance()
{
    finish(*m_ahead);
    {
        const std::lock_guard lock(m_mutex);
        m_current = std::move(m_ahead);
    }
    if (m_current->first + m_current->count <= m_last)
        start(m_current->first + m_current->count);
}

RowPlanner::~RowPlanner()
{
    {
        // no more blocks are handed out; those under way are waited for
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        if (m_ahead)
            m_ahead->nextBlock = m_ahead->blocks();
    }
    m_wake.notify_all();
    if (m_background.joinable())
        m_background.join();
}

void RowPlanner::start(int first)
{
    auto s = std::make_unique<Stretch>();
    s->first = first;
    // a notice's handler may have removed rows since the walk began
    s->count = std::max(0, std::min({StretchRows, m_last - first + 1, m_ledger.gridRowCount() - first}));
    s->plans.resize(size_t(s->count));
    {
        const std::lock_guard lock(m_mutex);
        m_ahead = std::move(s);
    }
    m_wake.notify_all();
}

// A claimed block's rows; after it is counted done, the stretch is not
// touched again by this call (the walk may move on from it).
void RowPlanner::planBlock(Stretch &s, int block, RowCells &cells, RowParameters &params)
{
    const int end = std::min(s.count, (block + 1) * BlockRows);
    for (int i = block * BlockRows; i < end; ++i)
        planRow(m_ledger.packedRow(s.first + i), cells, params, m_reg, s.plans[size_t(i)]);
    bool complete;
    {
        const std::lock_guard lock(m_mutex);
        complete = ++s.blocksDone == s.nextBlock && s.nextBlock == s.blocks();
    }
    if (complete)
        m_done.notify_all();
}

void RowPlanner::finish(Stretch &s)
{
    for (;;) {
        int block;
        {
            const std::lock_guard lock(m_mutex);
            if (s.nextBlock >= s.blocks())
                break;
            block = s.nextBlock++;
        }
        planBlock(s, block, m_cells, m_ownParams);
    }
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return s.blocksDone == s.nextBlock; });
}

void RowPlanner::runBackground()
{
    RowCells cells;
    RowParameters params = m_params; // numbers read by this thread
    for (;;) {
        Stretch *s;
        int block;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stop || (m_ahead && m_ahead->nextBlock < m_ahead->blocks()); });
            if (m_stop)
                return;
            s = m_ahead.get();
            block = s->nextBlock++;
        }
        planBlock(*s, block, cells, params);
    }
}

void RowPlanner::settle()
{
    if (m_ahead)
        finish(*m_ahead);
}

RowPlan *RowPlanner::take(int row, const PackedRow &now, quint64 paramsRevision)
{
    if (paramsRevision != m_paramsRevision || row < m_current->first)
        return nullptr;
    if (row >= m_current->first + m_current->count) {
        if (!m_ahead || row >= m_ahead->first + m_ahead->count || row < m_ahead->first)
            return nullptr;
        advance(); // the walk has reached the stretch planned ahead
    }
    RowPlan &plan = m_current->plans[size_t(row - m_current->first)];
    if (plan.taken || plan.source != now)
        return nullptr;
    plan.taken = true;
    return &plan;
}

} // namespace kervio
