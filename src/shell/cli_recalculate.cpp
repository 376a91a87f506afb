#include "cli_recalculate.h"
#include "cli_common.h"
#include "ledger/textfuncs.h"

#include <QFileInfo>

namespace kervio {

namespace {

// The summary's lines, each named as the window's field that shows it was
// named when the command line was made.
struct SummaryLine {
    const char *key;
    int item;    // a Summary::Field, or a Summary::Picker for a date
    bool isDate;
};

constexpr SummaryLine kSummaryLines[] = {
    {"borctoplamEdit", Summary::DebitTotal, false},
    {"alacaktoplamtutarEdit", Summary::CreditTotal, false},
    {"bakiyetutarEdit", Summary::Balance, false},
    {"borckervioEdit", Summary::DebitDiff, false},
    {"alacakkervioEdit", Summary::CreditDiff, false},
    {"netkervioEdit", Summary::NetDiff, false},
    {"genelortgunEdit", Summary::OverallDays, false},
    {"borcortgunEdit", Summary::DebitDays, false},
    {"alacakortEdit", Summary::CreditDays, false},
    {"DateTimePicker4", Summary::OverallDate, true},
    {"DateTimePicker76", Summary::DebitDate, true},
    {"DateTimePicker3", Summary::CreditDate, true},
    {"yillikfaizneolurEdit", Summary::YearlyRateResult, false},
    {"aylikfaizneolurEdit", Summary::MonthlyRateResult, false},
};

QString summaryText(const Summary &summary, const SummaryLine &line, const Regional &reg)
{
    if (line.isDate)
        return dateToText(summary.date(Summary::Picker(line.item)), reg);
    return summary.text(Summary::Field(line.item));
}

} // namespace

int recalculateLedger(const QString &in, bool sort, const QString &out)
{
    CommandLineSession cli;
    Session &session = cli.session;
    if (!cli.open(in))
        return 2;
    if (sort)
        session.guarded([&] { session.sortByTransactionDate(); });
    session.guarded([&] { session.findBalancingRate(); });

    for (const SummaryLine &line : kSummaryLines)
        writeOutputLine(QLatin1String(line.key) + u'=' + summaryText(session.summary(), line, session.regional()));

    if (!out.isEmpty() && !session.guarded([&] { session.saveLedgerFile(QFileInfo(out).absoluteFilePath()); }))
        return 3;
    return 0;
}

} // namespace kervio
