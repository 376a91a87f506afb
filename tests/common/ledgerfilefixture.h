#pragma once
// The bytes of ledger files and a ledger whose texts need quoting, for the
// tests of the ledger file and of the session's file commands.
#include "ledger/ledgertable.h"
#include "ledger/parameters.h"

#include <QByteArray>
#include <QStringList>

namespace kervio::test {

inline const QByteArray kHeaderBytes =
    ",\"\xDD\xFElem Tarihi\",\"Vade Tarihi\",A\xE7\xFDklama,\"Bor\xE7 Tutar\xFD\",\"Alacak Tutar\xFD\","
    "G\xFCn,\"B.Vade Fark\xFD\",\"A.Vade Fark\xFD\",\"Bor\xE7 Adat\",\"Alacak Adat\",Index,Index2";
inline const QByteArray kParamLine = "365,24,2,,,Cari,H,H,E,07.03.2024";

inline QByteArray validFile(const QByteArray &rowLines)
{
    return kParamLine + "\r\n" + kHeaderBytes + "\r\n" + rowLines;
}

inline LedgerTable::Row makeRow(const QStringList &cells)
{
    LedgerTable::Row row;
    for (int c = 0; c < cells.size() && c < LedgerTable::ColumnCount; ++c)
        row[size_t(c)] = cells[c];
    return row;
}

// A ledger with texts that need quoting, not yet recalculated.
inline void setUpQuotedLedger(Parameters &p, LedgerTable &ledger)
{
    p.setText(Parameters::Company, QStringLiteral("Ali, \"Veli\" Ltd. Şti."));
    p.setText(Parameters::DaysInYear, QStringLiteral("365"));
    p.setText(Parameters::YearlyRate, QStringLiteral("24"));
    p.setText(Parameters::MonthlyRate, QStringLiteral("2"));
    p.setText(Parameters::DebitGrace, QString());
    p.setText(Parameters::CreditGrace, QStringLiteral("5"));
    p.setDebitWeekend(true);
    p.setCreditWeekend(false);
    p.setCalculationDate(QDate(2024, 3, 7));
    ledger.replaceEntries({
        makeRow({"1", "01.02.2024", "15.02.2024", "Fatura 12", "1.000,00"}),
        makeRow({"2", "05.02.2024", "20.02.2024", "Ödeme, \"nakit\"", "", "250,50"}),
        makeRow({"3"}),
    });
}

} // namespace kervio::test
