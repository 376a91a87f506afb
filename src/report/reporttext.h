#pragma once
#include "reportfont.h"
#include "reporttemplate.h"

#include "ledger/ledgertable.h"
#include "ledger/parameters.h"
#include "ledger/summary.h"

#include <QStringList>
#include <vector>

namespace kervio {

// The report body while it is built: a list of lines with the report's text
// font, which the header objects and the body print in.
class ReportBody {
public:
    void clear() { m_lines.clear(); }
    void append(const QString &line) { m_lines.append(line); }
    const QStringList &lines() const { return m_lines; }
    const ReportFont &font() const { return m_font; }
    void setFont(const ReportFont &f) { m_font = f; }

private:
    QStringList m_lines;
    ReportFont m_font{QStringLiteral("Courier New"), 8};
};

enum class ReportTable {
    Split, // "YAZDIR": debit and credit term differences in columns of their own
    Net,   // the picture button: description and the net term difference
};

// Every field keeps at most this many characters (the net description 25).
constexpr int FieldCap = 17;
constexpr int DescriptionCap = 25;

// One column of a report table: its width, how entries align in it, how many
// characters it keeps, and what the entry line and the totals line put in it.
// The totals line aligns every field right.
struct ReportColumn {
    enum class Content {
        Blank,         // spaces
        Cell,          // the grid cell of `cell`; the header line its title
        NetDifference, // the entry's net term difference; the header "Vade Farkı"
        TotalLabel,    // "TOPLAM "
        SummaryField,  // the summary field `field`
    };
    int width;
    bool alignLeft;
    int cap;
    Content entry;
    int cell;
    Content total;
    Summary::Field field;
};

// The columns of a table, from left to right.
const std::vector<ReportColumn> &reportColumns(ReportTable table);

// One line of the table for grid row `row`; row 0 gives the header line.
QString tableLine(ReportTable table, const LedgerTable &ledger, int row);
// The entry's debit minus credit term difference in "#,###.00".
QString netDifferenceText(const LedgerTable &ledger, int row);
QString totalsLine(ReportTable table, const Summary &summary);
QString graceSentence(const Parameters &params);
QString titleLine();
// The summary block under the totals line.
QStringList summaryBlock(const Summary &summary, const Regional &reg);

// The report's caption title.
QString reportTitle();

// Everything of a report but the recalculation before it: the header
// objects, the body into `body` and into the template's body object, the
// title. Reads the ledger, parameters and summary as they stand.
void buildReport(ReportTable table, const LedgerTable &ledger, const Parameters &params, const Summary &summary,
                 const Regional &reg, ReportBody &body, ReportTemplate &tmpl);

} // namespace kervio
