#pragma once
// The ledgers the benchmarks measure, made from the worked example.
#include "ledger/textfuncs.h"
#include "shell/session.h"

#include <QDate>
#include <vector>

namespace kervio::bench {

// The worked example opened in the session, its entries repeated until the
// ledger holds `entries` rows: copy k of an entry has its dates k % 1800
// days later, its amounts k % 89 + 1 times as large and its number in the
// description. The parameters stay the example's; nothing is recalculated.
inline void loadRepeatedWorkedExample(Session &s, int entries)
{
    if (!s.loadLedgerFile(QStringLiteral(KERVIO_WORKED_EXAMPLE)))
        qFatal("the worked example cannot be read");
    const LedgerTable &example = s.ledger();
    std::vector<LedgerTable::Row> pattern;
    for (int r = 1; r <= example.lastRow(); ++r)
        if (!example.cell(r, ColTransactionDate).isEmpty())
            pattern.push_back(example.row(r));
    const Regional &reg = s.regional();
    auto later = [&](const QString &date, int days) {
        return dateToText(QDate::fromString(date, QStringLiteral("dd.MM.yyyy")).addDays(days), reg);
    };
    auto times = [&](const QString &amount, int factor) {
        return amount.isEmpty() ? amount : formatAmount(parseAmount(amount, reg) * factor, reg);
    };
    const int n = int(pattern.size());
    std::vector<LedgerTable::Row> rows(size_t(entries) + 1);
    for (int i = 0; i < entries; ++i) {
        const LedgerTable::Row &p = pattern[size_t(i % n)];
        const int copy = i / n;
        LedgerTable::Row &r = rows[size_t(i)];
        r[ColNumber] = QString::number(i + 1);
        r[ColTransactionDate] = later(p[ColTransactionDate], copy % 1800);
        r[ColDueDate] = later(p[ColDueDate], copy % 1800);
        r[ColDescription] = p[ColDescription] + u' ' + QString::number(copy + 1);
        r[ColDebit] = times(p[ColDebit], copy % 89 + 1);
        r[ColCredit] = times(p[ColCredit], copy % 89 + 1);
    }
    rows.back()[ColNumber] = QString::number(entries + 1);
    s.ledger().replaceEntries(std::move(rows));
}

} // namespace kervio::bench
