#pragma once
#include "calculation.h"
#include "ledgertable.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kervio {

// A row's recalculation worked out ahead of the walk that makes it: the row
// it read, the row it leaves and how it ended. The walk takes it only while
// the row still reads the same, so it gets what it would have computed
// itself.
struct RowPlan {
    PackedRow source;  // the row as it was read
    PackedRow changed; // the row afterwards, when `columns` is not 0
    quint16 columns = 0;
    RowResult result;
    std::exception_ptr error; // raised after the changes in `changed`
    bool taken = false;
};

// A row's recalculation into a fresh `plan`, read in place through `cells`
// with `params`; an error is kept with the changes made before it.
void planRow(const PackedRow &row, RowCells &cells, const RowParameters &params, const Regional &reg, RowPlan &plan);

// The recalculations of rows first..last of a long walk, worked out a
// stretch ahead of it by a second thread: while the walk stores the rows of
// one stretch, the next is planned, and the walk's own thread joins in once
// it catches up. Only rows ahead of the walk are read meanwhile; the walk
// changes none of them (a row it changes anyway is recalculated anew).
class RowPlanner {
public:
    static constexpr int MinimumRows = 4096; // fewer are not worth a thread
    static constexpr int StretchRows = 8192;
    static constexpr int BlockRows = 256;

    RowPlanner(const LedgerTable &ledger, const RowParameters &params, quint64 paramsRevision, const Regional &reg,
               int first, int last);
    ~RowPlanner();
    RowPlanner(const RowPlanner &) = delete;
    RowPlanner &operator=(const RowPlanner &) = delete;

    // The plan for `row` when it was made from the row as it reads now and
    // from these parameters; each plan is taken once.
    RowPlan *take(int row, const PackedRow &now, quint64 paramsRevision);
    // Waits until nothing is read in the background, before the walk hands
    // control elsewhere (a message).
    void settle();

private:
    struct Stretch {
        int first = 0;
        int count = 0;
        std::vector<RowPlan> plans;
        int nextBlock = 0; // under m_mutex
        int blocksDone = 0;
        int blocks() const { return (count + BlockRows - 1) / BlockRows; }
    };
    void start(int first); // hands the stretch from `first` to the background
    void finish(Stretch &s); // plans what is left of it here and waits for the rest
    void advance(); // the stretch ahead finished and made current; the next one started
    void planBlock(Stretch &s, int block, RowCells &cells, RowParameters &params);
    void runBackground();

    const LedgerTable &m_ledger;
    const RowParameters m_params;
    const quint64 m_paramsRevision;
    const Regional &m_reg;
    const int m_last;
    RowCells m_cells;
    RowParameters m_ownParams; // numbers read by this thread

    std::unique_ptr<Stretch> m_current; // the one the walk takes from
    std::unique_ptr<Stretch> m_ahead;   // being planned
    std::mutex m_mutex;
    std::condition_variable m_wake; // to the background: work or stop
    std::condition_variable m_done; // to the walk: a stretch is complete
    bool m_stop = false;
    std::thread m_background;
};

} // namespace kervio
