#pragma once
#include "ledgertable.h"

#include <QString>
#include <vector>

namespace kervio {

// The sort key of a row: year, month and day of its transaction date, the
// year widened as the date completion widens it; "99999999" for a row whose
// due date holds no digit 1-9, which sorts it to the end.
QString transactionDateSortKey(const LedgerTable::Row &row);
QString transactionDateSortKey(QStringView transactionDate, QStringView dueDate);

// The order the ledger's exchange sort leaves the keys in: for each position
// p, every later key smaller than the one now at p is exchanged with it.
// Keys compare as the system locale's case-insensitive collation does.
// Element i of the result is the index of the key that ends at position i.
std::vector<int> transactionDateOrder(const std::vector<QString> &keys);

// The same procedure on ranks (equal keys, equal ranks).
std::vector<int> exchangeSortOrder(const std::vector<int> &rank);

} // namespace kervio
