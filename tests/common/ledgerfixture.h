#pragma once
// Ledgers for tests: the worked example's parameters and entries, and a way
// to put entries into a ledger as a user would type them.
#include "ledger/ledgertable.h"
#include "ledger/parameters.h"
#include "ledger/textfuncs.h"

#include <QDate>
#include <vector>

namespace kervio::test {

struct Entry {
    QString transaction, due, description, debit, credit;
};

// Calculation date 31.12.2024, 365 days, 24 % a year, no grace days.
inline const std::vector<Entry> &workedExample()
{
    static const std::vector<Entry> e = {
        {"01.10.2024", "31.10.2024", "Fatura", "10.000,00", ""},
        {"15.11.2024", "15.01.2025", "Tahsilat", "", "4.000,00"},
        {"20.11.2024", "30.11.2024", "Çek", "", "2.500,00"},
    };
    return e;
}

inline void setWorkedExampleParameters(Parameters &p, const QString &company = QStringLiteral("Örnek Ticaret A.Ş."))
{
    p.setText(Parameters::Company, company);
    p.setCalculationDate(QDate(2024, 12, 31));
    p.setText(Parameters::DaysInYear, QStringLiteral("365"));
    p.setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
    p.setText(Parameters::DebitGrace, QStringLiteral("0"));
    p.setText(Parameters::CreditGrace, QStringLiteral("0"));
}

// The entries written with the separators of `reg` instead of the Turkish
// ones, for what reads them with the system's separators.
inline std::vector<Entry> withSeparators(const std::vector<Entry> &entries, const Regional &reg)
{
    const Regional tr = Regional::turkish();
    auto date = [&](const QString &t) {
        return t.isEmpty() ? t : DateToText(QDate::fromString(t, QStringLiteral("dd.MM.yyyy")), reg);
    };
    auto amount = [&](const QString &t) { return t.isEmpty() ? t : FormatAmount(ParseAmount(t, tr), reg); };
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
