#pragma once
#include "regional.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <set>
#include <vector>

namespace kervio {

enum LedgerColumn {
    ColNumber = 0,
    ColTransactionDate = 1,
    ColDueDate = 2,
    ColDescription = 3,
    ColDebit = 4,
    ColCredit = 5,
    ColDays = 6,
    ColDebitDiff = 7,
    ColCreditDiff = 8,
    ColDebitAdat = 9,
    ColCreditAdat = 10,
    ColIndex = 11,
    ColIndex2 = 12,
};

// The sums the summary adds up over the entry rows.
struct LedgerSums {
    enum { Debit, Credit, DebitDiff, CreditDiff, DebitAdat, CreditAdat, Count };
    double value[Count] = {};
    // differences taken before rounding to double
    double balance = 0;     // debit - credit
    double net = 0;         // debit diff - credit diff
    double adatBalance = 0; // debit adat - credit adat
    // exact comparison of the two totals (the texts are decimal)
    bool totalsEqual = true;
    bool debitPositive = false;
    bool creditPositive = false;
};

inline constexpr int LedgerColumnCount = 13;

// The 13 texts of one row in a single block of UTF-16, so that a row costs
// one allocation and an empty cell nothing: a null string when every cell is
// empty, else a unit telling the width of the offsets (0: one unit, 1: two),
// the end offset of each cell and the texts one after another. Copies share
// the block.
class PackedRow {
public:
    using Cells = std::array<QString, LedgerColumnCount>;

    PackedRow() = default;
    explicit PackedRow(const Cells &cells);
    explicit PackedRow(const std::array<QStringView, LedgerColumnCount> &cells);

    QStringView operator[](int col) const;
    // Every cell at once.
    using Views = std::array<QStringView, LedgerColumnCount>;
    Views views() const;
    // A cell's text; a null string when empty.
    QString text(int col) const;
    Cells unpacked() const;
    // This row with one cell replaced.
    PackedRow withCell(int col, QStringView text) const;
    // The same in place; a text as long as the old one reuses the block.
    void setCell(int col, QStringView text);

    friend bool operator==(const PackedRow &a, const PackedRow &b) { return a.m_data == b.m_data; }
    friend bool operator!=(const PackedRow &a, const PackedRow &b) { return !(a == b); }

private:
    template <typename CellAt>
    static QString pack(CellAt cellAt);
    QString m_data;
};

// The ledger: rows of 13 cell texts, row 0 the header. It is the one store of
// the entries; the grid view shows it through the model interface (whose
// rows are the entry rows 1..n and whose header is row 0).
class LedgerTable : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = LedgerColumnCount;
    // A row's cells one by one, as they are handed in and out.
    using Row = PackedRow::Cells;

    explicit LedgerTable(const Regional &reg, QObject *parent = nullptr);

    static QStringList headerTexts();

    const Regional &regional() const { return m_reg; }

    // Grid coordinates: row 0 is the header, rows 1..gridRowCount()-1 entries.
    int gridRowCount() const { return int(m_rows.size()); }
    int lastRow() const { return gridRowCount() - 1; }
    QString cell(int row, int col) const { return m_rows[size_t(row)].text(col); }
    // Valid until the row changes.
    QStringView cellView(int row, int col) const { return m_rows[size_t(row)][col]; }
    void setCell(int row, int col, const QString &text);
    Row row(int r) const { return m_rows[size_t(r)].unpacked(); }
    const PackedRow &packedRow(int r) const { return m_rows[size_t(r)]; }
    // An edit of several cells of one row: the row's cells, changed directly,
    // then cellsChanged() with a bit (1 << column) for each column changed,
    // which stores them, brings the sums up to date and tells the views.
    // Nothing may read or change the table in between.
    Row &cellsForEdit(int r);
    void cellsChanged(int row, quint16 columns);
    // The same for a whole row made elsewhere, in which the columns of
    // `columns` changed.
    void storeRow(int row, PackedRow packed, quint16 columns);

    // Row set operations; each keeps at least the header and one entry row.
    void setGridRowCount(int count);
    void insertEmptyRow(int row);           // the rows from `row` on move down
    void removeRowAt(int row);              // the rows below move up
    void moveRow(int from, int to);         // a dragged row, content and number
    void applyPermutation(const std::vector<int> &order); // new row i+1 = old row order[i]
    void replaceEntries(std::vector<Row> rows);           // rows below the header
    void replaceEntries(std::vector<PackedRow> rows);
    void clearEntries();                                  // header plus one empty row
    void renumber();

    int currentRow() const { return m_currentRow; }
    int currentColumn() const { return m_currentCol; }
    // Only records the cursor; the recalculation that a move triggers is the
    // caller's business.
    void setCurrent(int row, int col);

    // Sums of columns 4, 5, 7, 8, 9, 10 over rows 1 up to the row before the
    // first row without a number. Raises the conversion error of the first
    // cell that parseAmount cannot read.
    LedgerSums entrySums() const;
    int entryEnd() const; // first row that is not an entry
    // Changes whenever what entrySums() reads may have changed.
    quint64 sumsRevision() const { return m_sumsRevision; }

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void currentChanged(int row, int col);

private:
    struct ParsedCell {
        __int128 scaled = 0; // value x 10^9
        bool error = false;
        bool huge = false;
    };
    static constexpr int SumColumns[6] = {ColDebit, ColCredit, ColDebitDiff, ColCreditDiff, ColDebitAdat, ColCreditAdat};
    static int sumSlot(int col);
    ParsedCell parseCell(QStringView text) const;
    void rebuildCaches();
    void fenwickAdd(int slot, int row, __int128 delta);
    __int128 fenwickPrefix(int slot, int rowExclusive) const;
    // What a cell adds to its column's sum.
    static __int128 sumValue(const ParsedCell &c) { return c.error || c.huge ? 0 : c.scaled; }
    void buildTrees() const;
    void setRowFlags(int r, bool error, bool huge);
    void updateRowFlags(int r);
    // The sums and the numbering after a change of an entry row's cell,
    // whose old text parsed as `old` (a sum column's).
    void updateCaches(int row, int col, const ParsedCell &old);
    // The caches and the views told of the changed columns of a row that
    // was `old`.
    void afterCellsChanged(int row, quint16 columns, const PackedRow &old);

    Regional m_reg;
    std::vector<PackedRow> m_rows;
    // The row handed out by cellsForEdit() until cellsChanged().
    Row m_editCells;
    int m_editRow = -1;
    // Per sum column, the total of the parsed values (x 10^9) and, once a
    // sum short of the last row is asked for, a Fenwick tree of them; an
    // unreadable or oversized cell counts 0 there and flags its row.
    mutable std::array<std::vector<__int128>, 6> m_tree;
    std::array<__int128, 6> m_total{};
    quint64 m_sumsRevision = 0;
    std::set<int> m_errorRows;
    std::set<int> m_hugeRows;
    std::set<int> m_unnumberedRows;
    int m_currentRow = 1;
    int m_currentCol = 1;
};

} // namespace kervio
