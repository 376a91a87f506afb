#pragma once
// The ledgers the benchmarks measure, made from the worked example.
#include "files/ledgerfile.h"
#include "ledger/document.h"
#include "ledger/textfuncs.h"

#include <QDate>
#include <vector>

namespace kervio::bench {

// The worked example's parameters in the document and its entries repeated
// until the ledger holds `entries` rows: copy k of an entry has its dates
// k % 1800 days later, its amounts k % 89 + 1 times as large and its number
// in the description. Nothing is recalculated.
inline void loadRepeatedWorkedExample(Document &document, int entries)
{
    std::optional<QStringList> lines = readLedgerFileLines(QStringLiteral(KERVIO_WORKED_EXAMPLE));
    std::optional<LedgerFileContent> example = lines ? parseLedgerFileLines(std::move(*lines)) : std::nullopt;
    if (!example)
        qFatal("the worked example cannot be read");
    std::vector<LedgerTable::Row> pattern;
    for (const PackedRow &r : example->rows)
        if (!r[ColTransactionDate].isEmpty())
            pattern.push_back(r.unpacked());
    const Regional &reg = document.regional();
    const Regional turkish = Regional::turkish(); // the file's separators
    auto later = [&](const QString &date, int days) {
        return dateToText(QDate::fromString(date, QStringLiteral("dd.MM.yyyy")).addDays(days), reg);
    };
    auto times = [&](const QString &amount, int factor) {
        return amount.isEmpty() ? amount : formatAmount(parseAmount(amount, turkish) * factor, reg);
    };
    const int n = int(pattern.size());
    std::vector<PackedRow> rows(size_t(entries) + 1);
    for (int i = 0; i < entries; ++i) {
        const LedgerTable::Row &p = pattern[size_t(i % n)];
        const int copy = i / n;
        LedgerTable::Row r;
        r[ColNumber] = QString::number(i + 1);
        r[ColTransactionDate] = later(p[ColTransactionDate], copy % 1800);
        r[ColDueDate] = later(p[ColDueDate], copy % 1800);
        r[ColDescription] = p[ColDescription] + u' ' + QString::number(copy + 1);
        r[ColDebit] = times(p[ColDebit], copy % 89 + 1);
        r[ColCredit] = times(p[ColCredit], copy % 89 + 1);
        rows[size_t(i)] = PackedRow(r);
    }
    rows.back() = PackedRow().withCell(ColNumber, QString::number(entries + 1));
    example->rows = std::move(rows);
    applyLedgerFileContent(std::move(*example), document.params(), document.ledger());
}

} // namespace kervio::bench
