#pragma once
#include "reportfont.h"
#include "reporttemplate.h"

#include "ledger/ledgertable.h"
#include "ledger/parameters.h"
#include "ledger/summary.h"

#include <QStringList>

namespace kervio {

// The hidden holder of the report body (raporF.RichEdit9): a list of lines
// with the report's text font.
class TextHolder {
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

// Steps 2 to 11 of a report build: header objects, body into the holder and
// into Rich1, the title. Reads the ledger, parameters and summary as they
// stand; the recalculation before it is the caller's.
void buildReport(ReportTable table, const LedgerTable &ledger, const Parameters &params, const Summary &summary,
                 const Regional &reg, TextHolder &holder, ReportTemplate &tmpl);

} // namespace kervio
