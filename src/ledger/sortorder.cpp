#include "sortorder.h"
#include "calculation.h"
#include "textfuncs.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <map>

namespace kervio {

QString transactionDateSortKey(const LedgerTable::Row &row)
{
    return transactionDateSortKey(row[ColTransactionDate], row[ColDueDate]);
}

QString transactionDateSortKey(QStringView t, QStringView due)
{
    bool dueDigits = false;
    for (QChar c : due)
        if (c.unicode() >= '1' && c.unicode() <= '9')
            dueDigits = true;
    if (!dueDigits)
        return QStringLiteral("99999999");
    const QString year = widenYear(t.mid(6, 4).toString());
    const QString mp = t.mid(3, 2).toString(), dp = t.mid(0, 2).toString();
    auto twoDigits = [](const QString &piece) {
        const double n = parseDigits(piece);
        return n < 10 ? QStringLiteral("0") + plainNumberText(n) : piece;
    };
    return year + twoDigits(mp) + twoDigits(dp);
}

namespace {

// The smallest value of every subtree over the positions, so that the next
// position after `from` holding a value below `v` is found in log n steps.
class MinTree {
public:
    explicit MinTree(const std::vector<int> &values) : m_count(int(values.size()))
    {
        while (m_size < m_count)
            m_size <<= 1;
        m_tree.assign(size_t(2 * m_size), INT32_MAX);
        for (int i = 0; i < m_count; ++i)
            m_tree[size_t(m_size + i)] = values[size_t(i)];
        for (int i = m_size - 1; i > 0; --i)
            m_tree[size_t(i)] = std::min(m_tree[size_t(2 * i)], m_tree[size_t(2 * i + 1)]);
    }

    void set(int pos, int value)
    {
        int i = m_size + pos;
        m_tree[size_t(i)] = value;
        for (i >>= 1; i > 0; i >>= 1)
            m_tree[size_t(i)] = std::min(m_tree[size_t(2 * i)], m_tree[size_t(2 * i + 1)]);
    }

    // The first position at or after `from` whose value is below `v`, or -1.
    int firstBelow(int from, int v) const
    {
        if (from >= m_count)
            return -1;
        int i = m_size + from;
        if (m_tree[size_t(i)] < v)
            return from;
        // climb to the next subtree on the right that holds such a value ...
        do {
            while (i & 1) {
                i >>= 1;
                if (i == 0)
                    return -1;
            }
            ++i;
        } while (!(m_tree[size_t(i)] < v));
        // ... and descend to its leftmost such leaf
        while (i < m_size)
            i = m_tree[size_t(2 * i)] < v ? 2 * i : 2 * i + 1;
        const int pos = i - m_size;
        return pos < m_count ? pos : -1;
    }

private:
    int m_count;
    int m_size = 1;
    std::vector<int> m_tree;
};

// The positions after p the exchanges of pass p visit: each holds a value
// below the one p holds at that moment.
void exchangesOfPass(const MinTree &tree, const std::vector<int> &val, int p, std::vector<int> &chain)
{
    chain.clear();
    int current = val[size_t(p)];
    for (int j = tree.firstBelow(p + 1, current); j >= 0; j = tree.firstBelow(j + 1, current)) {
        chain.push_back(j);
        current = val[size_t(j)];
    }
}

} // namespace

namespace {

// Positions in the order of their ranks, ties by position.
std::vector<int> positionsByRank(const std::vector<int> &rank)
{
    std::vector<int> order(rank.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return rank[size_t(a)] != rank[size_t(b)] ? rank[size_t(a)] < rank[size_t(b)] : a < b;
    });
    return order;
}

// The exchanges themselves; only those are visited.
std::vector<int> replayExchanges(const std::vector<int> &rank)
{
    const int n = int(rank.size());
    std::vector<int> val = rank;
    std::vector<int> id(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        id[size_t(i)] = i;
    MinTree tree(val);
    std::vector<int> chain;
    for (int p = 0; p + 1 < n; ++p) {
        exchangesOfPass(tree, val, p, chain);
        if (chain.empty())
            continue;
        // p takes the last record, each record's place takes the one before
        int carriedVal = val[size_t(p)], carriedId = id[size_t(p)];
        for (int j : chain) {
            std::swap(carriedVal, val[size_t(j)]);
            std::swap(carriedId, id[size_t(j)]);
            tree.set(j, val[size_t(j)]);
        }
        val[size_t(p)] = carriedVal;
        id[size_t(p)] = carriedId;
        tree.set(p, carriedVal);
    }
    return id;
}

// Only ASCII digits: such keys collate as their characters compare.
bool onlyDigits(const std::vector<QString> &keys)
{
    for (const QString &k : keys)
        for (QChar c : k)
            if (c.unicode() < '0' || c.unicode() > '9')
                return false;
    return true;
}

} // namespace

// Distinct ranks end simply sorted. Equal ones are not stable, and which
// equal row ends where follows the procedure, so it is replayed.
std::vector<int> exchangeSortOrder(const std::vector<int> &rank)
{
    std::vector<int> sorted = positionsByRank(rank);
    for (size_t i = 1; i < sorted.size(); ++i)
        if (rank[size_t(sorted[i - 1])] == rank[size_t(sorted[i])])
            return replayExchanges(rank);
    return sorted;
}

std::vector<int> transactionDateOrder(const std::vector<QString> &keys)
{
    // Keys compare as the platform's case-insensitive collation does (the
    // system's, not the window's Turkish default); ranks make the replay cheap.
    std::vector<QString> unique = keys;
    std::vector<int> rank(keys.size());
    if (onlyDigits(keys)) {
        std::sort(unique.begin(), unique.end());
        unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
        for (size_t i = 0; i < keys.size(); ++i)
            rank[i] = int(std::lower_bound(unique.begin(), unique.end(), keys[i]) - unique.begin());
        return exchangeSortOrder(rank);
    }
    QCollator coll(QLocale::system());
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(unique.begin(), unique.end(), [&](const QString &a, const QString &b) { return coll.compare(a, b) < 0; });
    std::map<QString, int> rankOf;
    {
        int rk = 0;
        for (size_t i = 0; i < unique.size(); ++i) {
            if (i > 0 && coll.compare(unique[i - 1], unique[i]) != 0)
                ++rk;
            rankOf.emplace(unique[i], rk);
        }
    }
    for (size_t i = 0; i < keys.size(); ++i)
        rank[i] = rankOf[keys[i]];
    return exchangeSortOrder(rank);
}

} // namespace kervio
