#pragma once
// A session with the worked example's parameters and a report host that
// keeps the prepared report instead of showing it.
#include "report/reportcommands.h"
#include "shell/scripteddialogs.h"
#include "shell/session.h"

#include <vector>

namespace kervio::test {

struct Entry {
    QString transaction, due, description, debit, credit;
};

inline const std::vector<Entry> &workedExample()
{
    static const std::vector<Entry> e = {
        {"01.10.2024", "31.10.2024", "Fatura", "10.000,00", ""},
        {"15.11.2024", "15.01.2025", "Tahsilat", "", "4.000,00"},
        {"20.11.2024", "30.11.2024", "Çek", "", "2.500,00"},
    };
    return e;
}

struct ReportFixture {
    ScriptedDialogs dialogs;
    Session session{Regional::turkish(), &dialogs};
    ReportHost host;
    int shown = 0;

    explicit ReportFixture(const std::vector<Entry> &entries = workedExample())
    {
        Parameters &p = session.params();
        p.setText(Parameters::Company, QStringLiteral("Örnek Ticaret A.Ş."));
        p.setCalculationDate(QDate(2024, 12, 31));
        p.setText(Parameters::DaysInYear, QStringLiteral("365"));
        p.setText(Parameters::YearlyRate, QStringLiteral("24"));
        p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
        p.setText(Parameters::DebitGrace, QStringLiteral("0"));
        p.setText(Parameters::CreditGrace, QStringLiteral("0"));
        fill(entries);
        host.today = [] { return QDate(2025, 3, 7); };
        host.showPreview = [this](const ComposedReport &) { ++shown; };
    }
    void fill(const std::vector<Entry> &entries)
    {
        LedgerTable &t = session.ledger();
        t.setGridRowCount(int(entries.size()) + 2);
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
    bool print(ReportTable table)
    {
        return session.guarded([&] {
            if (table == ReportTable::Split)
                BitBtn28Click(session, host);
            else
                YazdirButtonClick(session, host);
        });
    }
    QStringList lines() const { return host.raporF.lines(); }
    QStringList memo(const char *name) const { return host.frReport1.findObject(QLatin1String(name))->lines; }
};

// A ledger of `n` debit entries, all valid.
inline std::vector<Entry> longLedger(int n)
{
    std::vector<Entry> e;
    e.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const QDate d = QDate(2024, 1, 1).addDays(i % 360);
        const QString date = d.toString(QStringLiteral("dd.MM.yyyy"));
        if (i % 3 == 2)
            e.push_back({date, date, QStringLiteral("Tahsilat %1").arg(i), QString(), QStringLiteral("1.250,00")});
        else
            e.push_back({date, date, QStringLiteral("Fatura %1").arg(i), QStringLiteral("2.500,00"), QString()});
    }
    return e;
}

} // namespace kervio::test
