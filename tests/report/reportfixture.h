#pragma once
// A document with the worked example's parameters and a report host that
// keeps the prepared report instead of showing it.
#include "common/ledgerfixture.h"
#include "core/errorhandler.h"
#include "core/scripteddialogs.h"
#include "ledger/document.h"
#include "report/reportcommands.h"

#include <vector>

namespace kervio::test {

struct ReportFixture {
    ScriptedDialogs dialogs;
    Document document;
    ReportHost host;
    int shown = 0;

    explicit ReportFixture(const std::vector<Entry> &entries = workedExample(), const Regional &reg = Regional::turkish())
        : document(reg)
    {
        document.setMessageSink([this](const QString &text) { dialogs.message(text); });
        setWorkedExampleParameters(document.params());
        fill(entries);
        host.today = [] { return QDate(2025, 3, 7); };
        host.showPreview = [this](const ComposedReport &) { ++shown; };
    }
    void fill(const std::vector<Entry> &entries) { fillLedger(document.ledger(), entries); }
    // A print command under the general error handler, as the window runs it.
    bool print(ReportTable table)
    {
        return runGuarded(dialogs, [&] {
            if (table == ReportTable::Split)
                printSplitReport(document, host);
            else
                printNetReport(document, host);
        });
    }
    QStringList lines() const { return host.body.lines(); }
    // The lines of a template object, by name.
    QStringList object(QLatin1String name) const { return host.reportTemplate.findObject(name)->lines; }
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
