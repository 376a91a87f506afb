#include "ledgertable.h"
#include "textfuncs.h"

#include <QMetaMethod>
#include <algorithm>
#include <utility>

namespace kervio {

namespace {
constexpr __int128 Scale = 1000000000; // 10^9
constexpr int MaxIntDigits = 20;       // beyond this a cell is summed in doubles
} // namespace

template <typename CellAt>
QString PackedRow::pack(CellAt cellAt)
{
    qsizetype total = 0;
    for (int c = 0; c < LedgerColumnCount; ++c)
        total += cellAt(c).size();
    if (total == 0)
        return {};
    const bool wide = total > 0xFFFF;
    const qsizetype head = 1 + (wide ? 2 : 1) * LedgerColumnCount;
    QString data(head + total, Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(data.data());
    d[0] = wide ? 1 : 0;
    qsizetype end = 0;
    for (int c = 0; c < LedgerColumnCount; ++c) {
        const QStringView v = cellAt(c);
        std::copy(v.utf16(), v.utf16() + v.size(), d + head + end);
        end += v.size();
        if (wide) {
            d[1 + 2 * c] = char16_t(end >> 16);
            d[2 + 2 * c] = char16_t(end & 0xFFFF);
        } else {
            d[1 + c] = char16_t(end);
        }
    }
    return data;
}

PackedRow::PackedRow(const Cells &cells)
    : m_data(pack([&](int c) { return QStringView(cells[size_t(c)]); }))
{
}

PackedRow::PackedRow(const std::array<QStringView, LedgerColumnCount> &cells)
    : m_data(pack([&](int c) { return cells[size_t(c)]; }))
{
}

QStringView PackedRow::operator[](int col) const
{
    if (m_data.isEmpty())
        return {};
    const char16_t *d = reinterpret_cast<const char16_t *>(m_data.constData());
    const bool wide = d[0] != 0;
    auto endOf = [&](int c) -> qsizetype {
        return wide ? (qsizetype(d[1 + 2 * c]) << 16) | d[2 + 2 * c] : qsizetype(d[1 + c]);
    };
    const qsizetype head = 1 + (wide ? 2 : 1) * LedgerColumnCount;
    const qsizetype start = col > 0 ? endOf(col - 1) : 0;
    return QStringView(d + head + start, endOf(col) - start);
}

PackedRow::Views PackedRow::views() const
{
    Views v{};
    if (m_data.isEmpty())
        return v;
    const char16_t *d = reinterpret_cast<const char16_t *>(m_data.constData());
    const bool wide = d[0] != 0;
    const char16_t *texts = d + 1 + (wide ? 2 : 1) * LedgerColumnCount;
    qsizetype start = 0;
    for (int c = 0; c < LedgerColumnCount; ++c) {
        const qsizetype end = wide ? (qsizetype(d[1 + 2 * c]) << 16) | d[2 + 2 * c] : qsizetype(d[1 + c]);
        v[size_t(c)] = QStringView(texts + start, end - start);
        start = end;
    }
    return v;
}

QString PackedRow::text(int col) const
{
    const QStringView v = (*this)[col];
    return v.isEmpty() ? QString() : v.toString();
}

PackedRow::Cells PackedRow::unpacked() const
{
    Cells cells;
    if (!m_data.isEmpty())
        for (int c = 0; c < LedgerColumnCount; ++c)
            cells[size_t(c)] = text(c);
    return cells;
}

PackedRow PackedRow::withCell(int col, QStringView text) const
{
    PackedRow row;
    row.m_data = pack([&](int c) { return c == col ? text : (*this)[c]; });
    return row;
}

void PackedRow::setCell(int col, QStringView text)
{
    const QStringView old = (*this)[col];
    if (old.size() != text.size() || text.isEmpty()) {
        *this = withCell(col, text);
        return;
    }
    const qsizetype at = old.utf16() - reinterpret_cast<const char16_t *>(m_data.constData());
    std::copy(text.utf16(), text.utf16() + text.size(), reinterpret_cast<char16_t *>(m_data.data()) + at);
}

LedgerTable::LedgerTable(const Regional &reg, QObject *parent)
    : QAbstractTableModel(parent), m_reg(reg)
{
    m_rows.resize(2);
    const QStringList header = headerTexts();
    Row cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells[size_t(c)] = header[c];
    m_rows[0] = PackedRow(cells);
    m_rows[1] = PackedRow().withCell(ColNumber, u"1");
    rebuildCaches();
}

QStringList LedgerTable::headerTexts()
{
    return {QString(), QStringLiteral("İşlem Tarihi"), QStringLiteral("Vade Tarihi"),
            QStringLiteral("Açıklama"), QStringLiteral("Borç Tutarı"), QStringLiteral("Alacak Tutarı"),
            QStringLiteral("Gün"), QStringLiteral("B.Vade Farkı"), QStringLiteral("A.Vade Farkı"),
            QStringLiteral("Borç Adat"), QStringLiteral("Alacak Adat"), QStringLiteral("Index"),
            QStringLiteral("Index2")};
}

int LedgerTable::sumSlot(int col)
{
    switch (col) {
    case ColDebit: return 0;
    case ColCredit: return 1;
    case ColDebitDiff: return 2;
    case ColCreditDiff: return 3;
    case ColDebitAdat: return 4;
    case ColCreditAdat: return 5;
    default: return -1;
    }
}

namespace {

// The characters parseAmount keeps, gathered as an exact decimal: the
// integer part (its first MaxIntDigits digits), nine fraction digits and
// whether the tenth rounds them up.
struct ScannedAmount {
    bool any = false;       // a sign, a digit or a separator
    bool anyDigit = false;
    bool sign = false;
    bool negative = false;
    bool exponent = false;  // an "E" somewhere
    int separators = 0;
    int intDigits = 0;      // without leading zeros
    int fracDigits = 0;
    uint64_t intStart = 0;  // the first 19 digits of the integer part
    __int128 intPart = 0;   // all of them, when there are more
    uint64_t frac = 0;
    bool roundUp = false;
};

ScannedAmount scanAmount(QStringView text, QChar decimal)
{
    ScannedAmount a;
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    if (p < end && (*p == u'+' || *p == u'-')) {
        a.negative = *p == u'-';
        a.sign = a.any = true;
        ++p;
    }
    // the loop's state in locals, so that it stays in registers
    const char16_t separator = decimal.unicode();
    int separators = 0, intDigits = 0, fracDigits = 0;
    uint64_t intStart = 0, frac = 0;
    __int128 intPart = 0;
    bool anyDigit = false, exponent = false, roundUp = false;
    for (; p < end; ++p) {
        const char16_t ch = *p;
        const unsigned d = unsigned(ch) - u'0';
        if (d <= 9) {
            anyDigit = true;
            if (separators == 0) {
                if (intDigits > 0 || d != 0)
                    ++intDigits;
                if (intDigits <= 19)
                    intStart = intStart * 10 + d;
                else if (intDigits <= MaxIntDigits)
                    intPart = (intDigits == 20 ? __int128(intStart) : intPart) * 10 + d;
            } else if (++fracDigits <= 9) {
                frac = frac * 10 + d;
            } else if (fracDigits == 10) {
                roundUp = d >= 5;
            }
        } else if (ch == separator) {
            ++separators;
        } else if (ch == u'E' || ch == u'e') {
            exponent = true;
        }
    }
    a.any = a.any || anyDigit || separators > 0;
    a.anyDigit = anyDigit;
    a.exponent = exponent;
    a.separators = separators;
    a.intDigits = intDigits;
    a.fracDigits = fracDigits;
    a.intStart = intStart;
    a.intPart = intPart;
    a.frac = frac;
    a.roundUp = roundUp;
    return a;
}

} // namespace

LedgerTable::ParsedCell LedgerTable::parseCell(QStringView text) const
{
    const ScannedAmount a = scanAmount(text, m_reg.decimal);
    ParsedCell c;
    if (!a.any)
        return c;
    // E notation: summed in doubles, as parseAmount reads it
    double ignored = 0;
    if (a.exponent && tryParseNumber(text.toString(), m_reg, &ignored)) {
        c.huge = true;
        return c;
    }
    if (a.separators > 1 || (a.sign && !a.anyDigit && a.separators == 0)) {
        c.error = true;
        return c;
    }
    if (a.intDigits > MaxIntDigits) {
        c.huge = true;
        return c;
    }
    uint64_t frac = a.frac;
    for (int k = std::min(a.fracDigits, 9); k < 9; ++k)
        frac *= 10;
    const __int128 intPart = a.intDigits <= 19 ? __int128(a.intStart) : a.intPart;
    const __int128 v = intPart * Scale + frac + (a.roundUp ? 1 : 0);
    c.scaled = a.negative ? -v : v;
    return c;
}

void LedgerTable::setRowFlags(int r, bool error, bool huge)
{
    if (error)
        m_errorRows.insert(r);
    else
        m_errorRows.erase(r);
    if (huge)
        m_hugeRows.insert(r);
    else
        m_hugeRows.erase(r);
}

// The six cells of a row read again for its flags.
void LedgerTable::updateRowFlags(int r)
{
    bool err = false, huge = false;
    for (const int col : SumColumns) {
        const ParsedCell c = parseCell(m_rows[size_t(r)][col]);
        err = err || c.error;
        huge = huge || c.huge;
    }
    setRowFlags(r, err, huge);
}

void LedgerTable::rebuildCaches()
{
    const size_t n = m_rows.size();
    m_errorRows.clear();
    m_hugeRows.clear();
    m_unnumberedRows.clear();
    for (auto &t : m_tree)
        std::vector<__int128>().swap(t);
    m_total = {};
    for (size_t r = 1; r < n; ++r) {
        bool err = false, huge = false;
        const PackedRow::Views cells = m_rows[r].views();
        for (size_t s = 0; s < 6; ++s) {
            const ParsedCell c = parseCell(cells[size_t(SumColumns[s])]);
            err = err || c.error;
            huge = huge || c.huge;
            m_total[s] += sumValue(c);
        }
        if (err || huge)
            setRowFlags(int(r), err, huge);
        if (cells[ColNumber].isEmpty())
            m_unnumberedRows.insert(int(r));
    }
    ++m_sumsRevision;
}

void LedgerTable::buildTrees() const
{
    const size_t n = m_rows.size();
    for (auto &t : m_tree)
        t.assign(n + 1, 0);
    // Fenwick index i+1 holds grid row i
    for (size_t r = 1; r < n; ++r) {
        const PackedRow::Views cells = m_rows[r].views();
        for (size_t s = 0; s < 6; ++s)
            m_tree[s][r + 1] = sumValue(parseCell(cells[size_t(SumColumns[s])]));
    }
    for (auto &t : m_tree) {
        for (size_t i = 1; i <= n; ++i) {
            const size_t j = i + (i & (~i + 1));
            if (j <= n)
                t[j] += t[i];
        }
    }
}

void LedgerTable::fenwickAdd(int slot, int row, __int128 delta)
{
    m_total[size_t(slot)] += delta;
    auto &t = m_tree[size_t(slot)];
    if (t.empty())
        return; // not built
    const size_t n = t.size() - 1;
    for (size_t i = size_t(row) + 1; i <= n; i += i & (~i + 1))
        t[i] += delta;
}

__int128 LedgerTable::fenwickPrefix(int slot, int rowExclusive) const
{
    if (m_tree[size_t(slot)].empty())
        buildTrees();
    const auto &t = m_tree[size_t(slot)];
    __int128 s = 0;
    for (size_t i = size_t(rowExclusive); i > 0; i -= i & (~i + 1))
        s += t[i];
    return s;
}

void LedgerTable::setCell(int row, int col, const QString &text)
{
    PackedRow &r = m_rows[size_t(row)];
    if (r[col] == text)
        return;
    const ParsedCell old = row > 0 && sumSlot(col) >= 0 ? parseCell(r[col]) : ParsedCell{};
    r.setCell(col, text);
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    updateCaches(row, col, old);
    const QModelIndex idx = index(row - 1, col);
    emit dataChanged(idx, idx);
}

LedgerTable::Row &LedgerTable::cellsForEdit(int r)
{
    // into the strings of the last edit: their room is used again
    const PackedRow &packed = m_rows[size_t(r)];
    for (int c = 0; c < ColumnCount; ++c) {
        const QStringView v = packed[c];
        m_editCells[size_t(c)].setUnicode(reinterpret_cast<const QChar *>(v.utf16()), v.size());
    }
    m_editRow = r;
    return m_editCells;
}

void LedgerTable::cellsChanged(int row, quint16 columns)
{
    // without an edit handed out the row is as it was
    PackedRow old = m_rows[size_t(row)];
    if (row == m_editRow) {
        if (columns)
            m_rows[size_t(row)] = PackedRow(m_editCells);
        m_editRow = -1;
    }
    afterCellsChanged(row, columns, old);
}

void LedgerTable::storeRow(int row, PackedRow packed, quint16 columns)
{
    const PackedRow old = std::exchange(m_rows[size_t(row)], std::move(packed));
    afterCellsChanged(row, columns, old);
}

void LedgerTable::afterCellsChanged(int row, quint16 columns, const PackedRow &old)
{
    int first = -1, last = -1;
    for (int col = 0; col < ColumnCount; ++col) {
        if (!(columns & (1u << col)))
            continue;
        if (row == 0) {
            emit headerDataChanged(Qt::Horizontal, col, col);
            continue;
        }
        updateCaches(row, col, sumSlot(col) >= 0 ? parseCell(old[col]) : ParsedCell{});
        if (first < 0)
            first = col;
        last = col;
    }
    // the indexes are made only for somebody listening: a recalculation
    // without a window changes every row
    if (first >= 0 && isSignalConnected(QMetaMethod::fromSignal(&QAbstractItemModel::dataChanged)))
        emit dataChanged(index(row - 1, first), index(row - 1, last));
}

void LedgerTable::updateCaches(int row, int col, const ParsedCell &old)
{
    const QStringView text = m_rows[size_t(row)][col];
    const int slot = sumSlot(col);
    if (slot >= 0 || col == ColNumber)
        ++m_sumsRevision;
    if (slot >= 0) {
        // the cell's old text gave what the sums hold for it
        const ParsedCell now = parseCell(text);
        const __int128 delta = sumValue(now) - sumValue(old);
        if (delta != 0)
            fenwickAdd(slot, row, delta);
        if (now.error || now.huge || m_errorRows.count(row) || m_hugeRows.count(row))
            updateRowFlags(row);
    } else if (col == ColNumber) {
        if (text.isEmpty())
            m_unnumberedRows.insert(row);
        else
            m_unnumberedRows.erase(row);
    }
}

void LedgerTable::setGridRowCount(int count)
{
    count = std::max(count, 2);
    const int old = gridRowCount();
    if (count == old)
        return;
    if (count > old) {
        beginInsertRows({}, old - 1, count - 2);
        m_rows.resize(size_t(count));
        endInsertRows();
    } else {
        beginRemoveRows({}, count - 1, old - 2);
        m_rows.resize(size_t(count));
        endRemoveRows();
    }
    rebuildCaches();
    if (m_currentRow >= count)
        setCurrent(count - 1, m_currentCol);
}

void LedgerTable::insertEmptyRow(int row)
{
    row = std::clamp(row, 1, gridRowCount());
    beginInsertRows({}, row - 1, row - 1);
    m_rows.insert(m_rows.begin() + row, PackedRow{});
    endInsertRows();
    rebuildCaches();
}

void LedgerTable::removeRowAt(int row)
{
    if (row < 1 || row >= gridRowCount())
        return;
    if (gridRowCount() == 2) {
        m_rows[1] = PackedRow{};
        rebuildCaches();
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return;
    }
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    rebuildCaches();
    if (m_currentRow >= gridRowCount())
        setCurrent(gridRowCount() - 1, m_currentCol);
}

void LedgerTable::moveRow(int from, int to)
{
    const int n = gridRowCount();
    if (from < 1 || from >= n || to < 1 || to >= n || from == to)
        return;
    // Qt's destination is the model row before which the moved row lands.
    beginMoveRows({}, from - 1, from - 1, {}, to > from ? to : to - 1);
    PackedRow moved = std::move(m_rows[size_t(from)]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(moved));
    endMoveRows();
    rebuildCaches();
}

void LedgerTable::applyPermutation(const std::vector<int> &order)
{
    beginResetModel();
    std::vector<PackedRow> rows;
    rows.reserve(m_rows.size());
    rows.push_back(std::move(m_rows[0]));
    for (int o : order)
        rows.push_back(std::move(m_rows[size_t(o)]));
    m_rows = std::move(rows);
    rebuildCaches();
    endResetModel();
}

void LedgerTable::replaceEntries(std::vector<Row> rows)
{
    std::vector<PackedRow> packed;
    packed.reserve(rows.size() + 1);
    for (Row &r : rows) {
        packed.emplace_back(r);
        r = Row{};
    }
    std::vector<Row>().swap(rows);
    replaceEntries(std::move(packed));
}

void LedgerTable::replaceEntries(std::vector<PackedRow> rows)
{
    beginResetModel();
    // Reuse the given storage: a large ledger is not held twice.
    PackedRow header = std::move(m_rows[0]);
    std::vector<PackedRow>().swap(m_rows);
    if (rows.capacity() == rows.size())
        rows.reserve(rows.size() + 1);
    rows.insert(rows.begin(), std::move(header));
    if (rows.size() < 2)
        rows.resize(2);
    m_rows = std::move(rows);
    rebuildCaches();
    endResetModel();
    if (m_currentRow >= gridRowCount())
        setCurrent(gridRowCount() - 1, m_currentCol);
}

void LedgerTable::clearEntries()
{
    beginResetModel();
    m_rows.resize(2);
    m_rows[1] = PackedRow{};
    rebuildCaches();
    endResetModel();
    if (m_currentRow >= 2)
        setCurrent(1, m_currentCol);
}

void LedgerTable::renumber()
{
    for (int r = 1; r < gridRowCount(); ++r) {
        const QString t = QString::number(r);
        if (m_rows[size_t(r)][ColNumber] != t)
            setCell(r, ColNumber, t);
    }
}

void LedgerTable::setCurrent(int row, int col)
{
    if (row == m_currentRow && col == m_currentCol)
        return;
    m_currentRow = row;
    m_currentCol = col;
    emit currentChanged(row, col);
}

int LedgerTable::entryEnd() const
{
    const int n = gridRowCount();
    if (m_unnumberedRows.empty())
        return n;
    return std::min(*m_unnumberedRows.begin(), n);
}

namespace {

// The nearest long double, as a plain conversion gives it but without its
// library call: both halves convert exactly, so their sum is rounded once.
long double toLongDouble(__int128 v)
{
    const auto high = int64_t(v >> 64);
    const auto low = uint64_t(v);
    return static_cast<long double>(high) * 0x1p64L + static_cast<long double>(low);
}

// The sums from the six totals, whether exact decimals or doubles: the
// differences are taken in the totals' own kind before they become doubles.
template <typename Total, typename ToDouble>
LedgerSums sumsOfTotals(const Total (&total)[LedgerSums::Count], ToDouble toDouble)
{
    LedgerSums s;
    for (int k = 0; k < LedgerSums::Count; ++k)
        s.value[k] = toDouble(total[k]);
    s.balance = toDouble(total[LedgerSums::Debit] - total[LedgerSums::Credit]);
    s.net = toDouble(total[LedgerSums::DebitDiff] - total[LedgerSums::CreditDiff]);
    s.adatBalance = toDouble(total[LedgerSums::DebitAdat] - total[LedgerSums::CreditAdat]);
    s.totalsEqual = total[LedgerSums::Debit] == total[LedgerSums::Credit];
    s.debitPositive = total[LedgerSums::Debit] > 0;
    s.creditPositive = total[LedgerSums::Credit] > 0;
    return s;
}

} // namespace

LedgerSums LedgerTable::entrySums() const
{
    const int end = entryEnd();
    if (!m_errorRows.empty() && *m_errorRows.begin() < end) {
        const int r = *m_errorRows.begin();
        for (int col : SumColumns)
            parseAmount(m_rows[size_t(r)].text(col), m_reg); // raises
    }
    if (!m_hugeRows.empty() && *m_hugeRows.begin() < end) {
        // a cell beyond the exact sums: a walk in doubles, as the cells read
        double total[LedgerSums::Count] = {};
        for (int r = 1; r < end; ++r)
            for (int k = 0; k < LedgerSums::Count; ++k)
                total[k] += parseAmount(m_rows[size_t(r)].text(SumColumns[k]), m_reg);
        return sumsOfTotals(total, [](double v) { return v; });
    }
    __int128 exact[LedgerSums::Count];
    for (int k = 0; k < LedgerSums::Count; ++k)
        exact[k] = end == gridRowCount() ? m_total[size_t(k)] : fenwickPrefix(k, end);
    return sumsOfTotals(exact, [](__int128 v) { return double(toLongDouble(v) / 1e9L); });
}

int LedgerTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : gridRowCount() - 1;
}

int LedgerTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LedgerTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cell(index.row() + 1, index.column());
}

bool LedgerTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(index.row() + 1, index.column(), value.toString());
    return true;
}

QVariant LedgerTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < ColumnCount ? QVariant(cell(0, section)) : QVariant();
    return section + 1 < gridRowCount() ? QVariant(cell(section + 1, 0)) : QVariant();
}

Qt::ItemFlags LedgerTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (index.column() >= ColTransactionDate && index.column() <= ColCredit)
        f |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
    return f;
}

} // namespace kervio
