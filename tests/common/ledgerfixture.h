#pragma once
// Ledgers for tests: the worked example (share/worked-example.krv, the file
// the program's picture and the benchmarks show too) and a way to put
// entries into a ledger as a user would type them.
#include "files/ledgerfile.h"
#include "ledger/ledgertable.h"
#include "ledger/parameters.h"
#include "ledger/textfuncs.h"

#include <QDate>
#include <optional>
#include <vector>

namespace kervio::test {

struct Entry {
    QString transaction, due, description, debit, credit;
};

inline QString workedExamplePath()
{
    return QStringLiteral(KERVIO_WORKED_EXAMPLE);
}

// The file as the ledger file's reader gives it; Turkish separators.
inline const LedgerFileContent &workedExampleContent()
{
    static const LedgerFileContent content = [] {
        std::optional<QStringList> lines = readLedgerFileLines(workedExamplePath());
        std::optional<LedgerFileContent> c = lines ? parseLedgerFileLines(std::move(*lines)) : std::nullopt;
        if (!c)
            qFatal("the worked example cannot be read");
        return *c;
    }();
    return content;
}

// Its entries, without the empty row below them: calculation date
// 31.12.2024, 365 days, 24 % a year, no grace days.
inline const std::vector<Entry> &workedExample()
{
    static const std::vector<Entry> entries = [] {
        std::vector<Entry> e;
        for (const PackedRow &r : workedExampleContent().rows)
            if (!r[ColTransactionDate].isEmpty())
                e.push_back({r.text(ColTransactionDate), r.text(ColDueDate), r.text(ColDescription), r.text(ColDebit),
                             r.text(ColCredit)});
        return e;
    }();
    return entries;
}

// Its parameters, the company name replaced when one is given.
inline void setWorkedExampleParameters(Parameters &p, const std::optional<QString> &company = std::nullopt)
{
    LedgerFileContent parameters = workedExampleContent();
    parameters.rows.clear();
    LedgerTable unused(Regional::turkish());
    applyLedgerFileContent(std::move(parameters), p, unused);
    if (company)
        p.setText(Parameters::Company, *company);
}

// The entries written with the separators of `reg` instead of the Turkish
// ones, for what reads them with the system's separators.
inline std::vector<Entry> withSeparators(const std::vector<Entry> &entries, const Regional &reg)
{
    const Regional tr = Regional::turkish();
    auto date = [&](const QString &t) {
        return t.isEmpty() ? t : dateToText(QDate::fromString(t, QStringLiteral("dd.MM.yyyy")), reg);
    };
    auto amount = [&](const QString &t) { return t.isEmpty() ? t : formatAmount(parseAmount(t, tr), reg); };
    std::vector<Entry> out;
    for (const Entry &e : entries)
        out.push_back({date(e.transaction), date(e.due), e.description, amount(e.debit), amount(e.credit)});
    return out;
}

// The entries in rows 1.., numbered, with the empty row the grid keeps
// below them unless told otherwise.
inline void fillLedger(LedgerTable &t, const std::vector<Entry> &entries, bool trailingEmptyRow = true)
{
    t.setGridRowCount(int(entries.size()) + (trailingEmptyRow ? 2 : 1));
    for (size_t i = 0; i < entries.size(); ++i) {
        const int r = int(i) + 1;
        t.setCell(r, ColTransactionDate, entries[i].transaction);
        t.setCell(r, ColDueDate, entries[i].due);
        t.setCell(r, ColDescription, entries[i].description);
        t.setCell(r, ColDebit, entries[i].debit);
        t.setCell(r, ColCredit, entries[i].credit);
    }
    t.renumber();
}

} // namespace kervio::test
