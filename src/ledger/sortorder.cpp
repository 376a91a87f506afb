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
    const QString &due = row[ColDueDate];
    bool dueDigits = false;
    for (QChar c : due)
        if (c.unicode() >= '1' && c.unicode() <= '9')
            dueDigits = true;
    if (!dueDigits)
        return QStringLiteral("99999999");
    const QString &t = row[ColTransactionDate];
    const QString year = widenYear(t.mid(6, 4));
    const QString mp = t.mid(3, 2), dp = t.mid(0, 2);
    auto twoDigits = [](const QString &piece) {
        const double n = parseDigits(piece);
        return n < 10 ? QStringLiteral("0") + plainNumberText(n) : piece;
    };
    return year + twoDigits(mp) + twoDigits(dp);
}

// Ties are not stable, and which equal row ends where follows the
// procedure, so it is replayed; only the exchanges are visited, found with a
// min-tree.
std::vector<int> exchangeSortOrder(const std::vector<int> &rank)
{
    const int n = int(rank.size());
    std::vector<int> val = rank;
    std::vector<int> id(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        id[size_t(i)] = i;
    int size = 1;
    while (size < n)
        size <<= 1;
    std::vector<int> tree(size_t(2 * size), INT32_MAX);
    for (int i = 0; i < n; ++i)
        tree[size_t(size + i)] = val[size_t(i)];
    for (int i = size - 1; i > 0; --i)
        tree[size_t(i)] = std::min(tree[size_t(2 * i)], tree[size_t(2 * i + 1)]);
    auto update = [&](int pos) {
        int i = size + pos;
        tree[size_t(i)] = val[size_t(pos)];
        for (i >>= 1; i > 0; i >>= 1)
            tree[size_t(i)] = std::min(tree[size_t(2 * i)], tree[size_t(2 * i + 1)]);
    };
    // first index >= from whose value is below v, or -1
    auto firstBelow = [&](int from, int v) {
        if (from >= n)
            return -1;
        // climb from the leaf, then descend
        int i = size + from;
        if (tree[size_t(i)] < v)
            return from;
        while (true) {
            // move to the next subtree to the right
            while (i & 1) {
                i >>= 1;
                if (i == 0)
                    return -1;
            }
            ++i;
            if (tree[size_t(i)] < v)
                break;
        }
        while (i < size)
            i = tree[size_t(2 * i)] < v ? 2 * i : 2 * i + 1;
        const int pos = i - size;
        return pos < n ? pos : -1;
    };
    std::vector<int> chain;
    for (int p = 0; p + 1 < n; ++p) {
        chain.clear();
        int cur = val[size_t(p)];
        int q = p + 1;
        while (true) {
            const int j = firstBelow(q, cur);
            if (j < 0)
                break;
            chain.push_back(j);
            cur = val[size_t(j)];
            q = j + 1;
        }
        if (chain.empty())
            continue;
        // p takes the last record, each record's place takes the one before
        int carriedVal = val[size_t(p)], carriedId = id[size_t(p)];
        for (int j : chain) {
            std::swap(carriedVal, val[size_t(j)]);
            std::swap(carriedId, id[size_t(j)]);
            update(j);
        }
        val[size_t(p)] = carriedVal;
        id[size_t(p)] = carriedId;
        update(p);
    }
    return id;
}

std::vector<int> transactionDateOrder(const std::vector<QString> &keys)
{
    // Keys compare as the platform's case-insensitive collation does (the
    // system's, not the window's Turkish default); ranks make the replay cheap.
    QCollator coll(QLocale::system());
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> unique = keys;
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
    std::vector<int> rank(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        rank[i] = rankOf[keys[i]];
    return exchangeSortOrder(rank);
}

} // namespace kervio
