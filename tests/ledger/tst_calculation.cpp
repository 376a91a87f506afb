// The calculation as plain functions: a row's cells in, a row's cells out;
// the ledger's sums in, the summary out. Calculation date 31.12.2024, 365
// days a year, 24 % a year unless a case says otherwise.
#include "core/errors.h"
#include "ledger/calculation.h"
#include "ledger/sortorder.h"
#include "ledger/textfuncs.h"

#include <QCollator>
#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

using namespace kervio;
using S = Summary::Field;

namespace {

const Regional Turkish = Regional::turkish();
const QDate CalculationDate(2024, 12, 31);

RowParameters workedExampleParameters()
{
    RowParameters p;
    p.calculationDate = CalculationDate;
    p.daysInYear = QStringLiteral("365");
    p.yearlyRate = QStringLiteral("24");
    p.debitGrace = QStringLiteral("0");
    p.creditGrace = QStringLiteral("0");
    return p;
}

// transaction date, due date, debit, credit
LedgerTable::Row entry(const QStringList &cells)
{
    LedgerTable::Row row;
    const int cols[] = {ColTransactionDate, ColDueDate, ColDebit, ColCredit};
    for (int i = 0; i < cells.size(); ++i)
        row[size_t(cols[i])] = cells[i];
    return row;
}

// transaction date, due date, debit, credit, days, debit and credit term
// difference, debit and credit adat
QStringList figures(const LedgerTable::Row &row)
{
    QStringList out;
    for (int c : {ColTransactionDate, ColDueDate, ColDebit, ColCredit, ColDays, ColDebitDiff, ColCreditDiff,
                  ColDebitAdat, ColCreditAdat})
        out << row[size_t(c)];
    return out;
}

// The row as the document leaves it: the named cell emptied after the notice.
RowResult recalculate(LedgerTable::Row &row, const RowParameters &p)
{
    RowCells cells(row);
    const RowResult result = recalculateRow(cells, p, Turkish);
    if (result.clearColumn >= 0)
        row[size_t(result.clearColumn)].clear();
    return result;
}

} // namespace

class TestCalculation : public QObject {
    Q_OBJECT
private slots:
    void completeDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("text");
        const int done = DateCompletion::Completed, refused = DateCompletion::Refused;
        QTest::newRow("complete") << "05.03.2024" << int(DateCompletion::AlreadyComplete) << "";
        QTest::newRow("year blank") << "05.03.    " << done << "05.03.2024";
        QTest::newRow("single digit day") << "5 .03.2024" << done << "05.03.2024";
        QTest::newRow("single digit month") << "05.3 .2024" << done << "05.03.2024";
        QTest::newRow("one digit year") << "05.03.9   " << done << "05.03.2009";
        QTest::newRow("two digit year") << "05.03.24  " << done << "05.03.2024";
        QTest::newRow("three digit year") << "05.03.998 " << done << "05.03.1998";
        QTest::newRow("impossible day passes") << "31.02.2024" << int(DateCompletion::AlreadyComplete) << "";
        QTest::newRow("month zero") << "05.00.2024" << refused << "05.00.2024";
        QTest::newRow("day and month missing") << "  .  .2024" << refused << "00.00.2024";
        QTest::newRow("year before 1905") << "05.03.1800" << refused << "05.03.1800";
        QTest::newRow("year after 2999") << "05.03.3000" << refused << "05.03.3000";
    }
    void completeDate()
    {
        QFETCH(QString, typed);
        QFETCH(int, outcome);
        QFETCH(QString, text);
        const DateCompletion c = kervio::completeDate(typed, CalculationDate, u'.');
        QCOMPARE(int(c.outcome), outcome);
        QCOMPARE(c.text, text);
    }

    void widenYear_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("widened");
        QTest::newRow("one digit") << "9" << "2009";
        QTest::newRow("two digits") << "24" << "2024";
        QTest::newRow("three digits") << "998" << "1998";
        QTest::newRow("four digits") << "1998" << "1998";
        QTest::newRow("zero") << "0" << "0";
        QTest::newRow("blanks") << "    " << "    ";
    }
    void widenYear()
    {
        QFETCH(QString, year);
        QFETCH(QString, widened);
        QCOMPARE(kervio::widenYear(year), widened);
    }

    void recalculateRow_data()
    {
        QTest::addColumn<QStringList>("input");    // transaction, due, debit, credit
        QTest::addColumn<QStringList>("expected"); // as figures()
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        const int done = RowResult::Completed, stopped = RowResult::Stopped;
        QTest::newRow("debit entry")
            << QStringList{"01.10.2024", "31.10.2024", "10000", ""}
            << QStringList{"01.10.2024", "31.10.2024", "10.000,00", "", "-61", "401,10", "", "-610.000,00", ""}
            << done << "";
        QTest::newRow("credit entry")
            << QStringList{"15.11.2024", "15.01.2025", "", "4.000,00"}
            << QStringList{"15.11.2024", "15.01.2025", "", "4.000,00", "15", "", "-39,45", "", "60.000,00"}
            << done << "";
        QTest::newRow("zero debit beside a credit")
            << QStringList{"01.12.2024", "01.12.2024", "0", "100,00"}
            << QStringList{"01.12.2024", "01.12.2024", "0,00", "100,00", "-30", "0,00", "1,97", "", "-3.000,00"}
            << done << "";
        QTest::newRow("tiny term difference")
            << QStringList{"30.12.2024", "30.12.2024", "0,01", ""}
            << QStringList{"30.12.2024", "30.12.2024", "0,01", "", "-1", "0,00", "", "-0,01", ""} << done << "";
        QTest::newRow("transaction date not checked")
            << QStringList{"45.13.2024", "01.12.2024", "1,00", ""}
            << QStringList{"45.13.2024", "01.12.2024", "1,00", "", "-30", "0,02", "", "-30,00", ""} << done << "";
        QTest::newRow("only a transaction date")
            << QStringList{"07.03.2024", "", "", ""}
            << QStringList{"07.03.2024", "07.03.2024", "", "", "-299", "", "", "", ""} << done << "";
        QTest::newRow("only a due date, completed")
            << QStringList{"", "05.03.    ", "", ""}
            << QStringList{"05.03.2024", "05.03.2024", "", "", "-301", "", "", "", ""} << done << "";
        QTest::newRow("empty date template")
            << QStringList{"", "  .  .    ", "5,00", ""}
            << QStringList{"  .  .    ", "", "5,00", "", "", "", "", "", ""} << stopped << "";
        QTest::newRow("impossible due date")
            << QStringList{"", "31.02.2024", "5,00", ""}
            << QStringList{"31.02.2024", "", "5,00", "", "", "", "", "", ""} << stopped
            << "31.02.2024 Tarih Girişiniz doğru değil.";
        QTest::newRow("refused due date")
            << QStringList{"01.02.2024", "15.00.2025", "5,00", ""}
            << QStringList{"01.02.2024", "", "5,00", "", "", "", "", "", ""} << int(RowResult::Refused)
            << "\"15.00.2025\" tarih girişiniz uygun değil!";
    }
    void recalculateRow()
    {
        QFETCH(QStringList, input);
        QFETCH(QStringList, expected);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        LedgerTable::Row row = entry(input);
        const RowResult result = recalculate(row, workedExampleParameters());
        QCOMPARE(figures(row), expected);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.message, message);
    }

    void sideParameters_data()
    {
        QTest::addColumn<QString>("due");
        QTest::addColumn<bool>("debitWeekend");
        QTest::addColumn<bool>("creditWeekend");
        QTest::addColumn<QString>("debitGrace");
        QTest::addColumn<QString>("creditGrace");
        QTest::addColumn<QString>("debitDays");
        QTest::addColumn<QString>("creditDays");
        // 01.12.2024 is a Sunday, 30.11.2024 a Saturday
        QTest::newRow("sunday, debit shifted") << "01.12.2024" << true << false << "0" << "0" << "-29" << "-30";
        QTest::newRow("saturday, debit shifted") << "30.11.2024" << true << false << "0" << "0" << "-29" << "-31";
        QTest::newRow("sunday, credit shifted") << "01.12.2024" << false << true << "0" << "0" << "-30" << "-29";
        QTest::newRow("weekday, both shifted") << "29.11.2024" << true << true << "0" << "0" << "-32" << "-32";
        QTest::newRow("grace days per side") << "29.11.2024" << false << false << "10" << "3" << "-22" << "-29";
    }
    void sideParameters()
    {
        QFETCH(QString, due);
        QFETCH(bool, debitWeekend);
        QFETCH(bool, creditWeekend);
        QFETCH(QString, debitGrace);
        QFETCH(QString, creditGrace);
        QFETCH(QString, debitDays);
        QFETCH(QString, creditDays);
        RowParameters p = workedExampleParameters();
        p.debitWeekend = debitWeekend;
        p.creditWeekend = creditWeekend;
        p.debitGrace = debitGrace;
        p.creditGrace = creditGrace;
        LedgerTable::Row debit = entry({due, due, "100,00", ""});
        LedgerTable::Row credit = entry({due, due, "", "100,00"});
        recalculate(debit, p);
        recalculate(credit, p);
        QCOMPARE(debit[ColDays], debitDays);
        QCOMPARE(credit[ColDays], creditDays);
    }

    // A conversion error ends the row where it happens; what was written
    // before stays.
    void parameterErrors_data()
    {
        QTest::addColumn<QString>("daysInYear");
        QTest::addColumn<QString>("yearlyRate");
        QTest::addColumn<QString>("debitGrace");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("written"); // days, debit term difference, debit adat
        QTest::newRow("days empty") << "" << "24" << "0" << "'' is not a valid floating point value"
                                    << QStringList{"-61", "0,00", "-610.000,00"};
        QTest::newRow("rate with two separators") << "365" << "2,4,1" << "0"
                                                  << "'2,4,1' is not a valid floating point value"
                                                  << QStringList{"-61", "0,00", "-610.000,00"};
        QTest::newRow("days zero") << "0" << "24" << "0" << "Floating point division by zero"
                                   << QStringList{"-61", "0,00", "-610.000,00"};
        QTest::newRow("days and rate zero") << "0" << "0" << "0" << "Invalid floating point operation"
                                            << QStringList{"-61", "0,00", "-610.000,00"};
        QTest::newRow("grace days unreadable") << "365" << "24" << "1,2,3" << "'1,2,3' is not a valid floating point value"
                                               << QStringList{"", "0,00", ""};
    }
    void parameterErrors()
    {
        QFETCH(QString, daysInYear);
        QFETCH(QString, yearlyRate);
        QFETCH(QString, debitGrace);
        QFETCH(QString, error);
        QFETCH(QStringList, written);
        RowParameters p = workedExampleParameters();
        p.daysInYear = daysInYear;
        p.yearlyRate = yearlyRate;
        p.debitGrace = debitGrace;
        LedgerTable::Row row = entry({"01.10.2024", "31.10.2024", "10.000,00", ""});
        RowCells cells(row);
        try {
            kervio::recalculateRow(cells, p, Turkish);
            QFAIL("no error");
        } catch (const KervioError &e) {
            QCOMPARE(e.text(), error);
        }
        QCOMPARE((QStringList{row[ColDays], row[ColDebitDiff], row[ColDebitAdat]}), written);
        // the changes are noted for the table's sums
        QVERIFY(cells.changedColumns() & (1u << ColDebitDiff));
    }

    void summaryFigures_data()
    {
        QTest::addColumn<QList<double>>("sums"); // debit, credit, debit/credit diff, debit/credit adat
        QTest::addColumn<bool>("totalsEqual");
        QTest::addColumn<QStringList>("fields"); // the summary's first nine fields
        QTest::addColumn<QList<QDate>>("dates"); // overall, debit, credit
        QTest::newRow("worked example")
            << QList<double>{10000, 6500, 401.1, 11.51, -610000, -17500} << false
            << QStringList{"10.000,00", "6.500,00", "3.500,00", "401,10", "11,51", "389,59", "-169", "-61", "-3"}
            << QList<QDate>{{2024, 7, 15}, {2024, 10, 31}, {2024, 12, 28}};
        QTest::newRow("balanced: the side averages' difference")
            << QList<double>{100, 100, 1.97, 0.66, -3000, -1000} << true
            << QStringList{"100,00", "100,00", "0,00", "1,97", "0,66", "1,31", "-20", "-30", "-10"}
            << QList<QDate>{{2024, 12, 11}, {2024, 12, 1}, {2024, 12, 21}};
        QTest::newRow("empty ledger: the averages shown before")
            << QList<double>{0, 0, 0, 0, 0, 0} << true
            << QStringList{"0,00", "0,00", "0,00", "0,00", "0,00", "0,00", "5", "7", "2"}
            << QList<QDate>{{2025, 1, 5}, {2000, 1, 1}, {2000, 1, 1}};
        QTest::newRow("before 1899 the first day a picker shows")
            << QList<double>{0.01, 0, 0, 0, -1e9, 0} << false
            << QStringList{"0,01", "0,00", "0,01", "0,00", "0,00", "0,00", "-100.000.000.000", "-100.000.000.000", "2"}
            << QList<QDate>{{1899, 12, 31}, {1899, 12, 31}, {2000, 1, 1}};
        QTest::newRow("after 9999 the last")
            << QList<double>{0.01, 0, 0, 0, 1e9, 0} << false
            << QStringList{"0,01", "0,00", "0,01", "0,00", "0,00", "0,00", "100.000.000.000", "100.000.000.000", "2"}
            << QList<QDate>{{9999, 12, 31}, {9999, 12, 31}, {2000, 1, 1}};
    }
    void summaryFigures()
    {
        QFETCH(QList<double>, sums);
        QFETCH(bool, totalsEqual);
        QFETCH(QStringList, fields);
        QFETCH(QList<QDate>, dates);
        LedgerSums s;
        for (int i = 0; i < LedgerSums::Count; ++i)
            s.value[i] = sums[i];
        s.balance = sums[0] - sums[1];
        s.net = sums[2] - sums[3];
        s.adatBalance = sums[4] - sums[5];
        s.totalsEqual = totalsEqual;
        s.debitPositive = sums[0] > 0;
        s.creditPositive = sums[1] > 0;
        // what the summary showed before
        Summary summary(Turkish);
        summary.setText(S::DebitDays, QStringLiteral("7"));
        summary.setText(S::CreditDays, QStringLiteral("2"));
        for (Summary::Picker p : {Summary::OverallDate, Summary::DebitDate, Summary::CreditDate})
            summary.setDate(p, QDate(2000, 1, 1));

        writeSummaryFigures(s, CalculationDate, summary);
        QStringList shown;
        for (int f = S::DebitTotal; f <= S::CreditDays; ++f)
            shown << summary.text(S(f));
        QCOMPARE(shown, fields);
        QCOMPARE((QList<QDate>{summary.date(Summary::OverallDate), summary.date(Summary::DebitDate),
                               summary.date(Summary::CreditDate)}),
                 dates);
    }

    void balancingRate_data()
    {
        QTest::addColumn<QList<double>>("inputs"); // debit days, credit days, balance, debit total, credit total
        QTest::addColumn<QString>("yearly");       // "-": no rate
        QTest::addColumn<QString>("monthly");
        QTest::addColumn<QString>("error");
        QTest::newRow("whole") << QList<double>{0, 73, 1200, 11200, 10000} << "60" << "5" << "";
        QTest::newRow("rounded to four places") << QList<double>{40, 100, 1000, 10000, 9000} << "67,5926"
                                                << "5,63271666666667" << "";
        QTest::newRow("credit larger") << QList<double>{100, 40, -1000, 9000, 10000} << "-67,5926"
                                       << "-5,63271666666667" << "";
        QTest::newRow("balanced: none") << QList<double>{10, 20, 0, 5, 5} << "-" << "-" << "";
        QTest::newRow("one side only") << QList<double>{10, 0, 5, 5, 0} << "" << ""
                                       << "Floating point division by zero";
        QTest::newRow("equal averages") << QList<double>{10, 10, 5, 10, 5} << "" << ""
                                        << "Floating point division by zero";
        QTest::newRow("nothing to divide") << QList<double>{10, 10, 0, 0, 5} << "" << ""
                                           << "Invalid floating point operation";
        QTest::newRow("beyond 64 bits") << QList<double>{0, 1e-30, 1e10, 1e10, 1} << "" << ""
                                        << "Invalid floating point operation";
    }
    void balancingRate()
    {
        QFETCH(QList<double>, inputs);
        QFETCH(QString, yearly);
        QFETCH(QString, monthly);
        QFETCH(QString, error);
        const BalancingInputs in{inputs[0], inputs[1], inputs[2], inputs[3], inputs[4]};
        try {
            const std::optional<BalancingRate> rate = kervio::balancingRate(in);
            QVERIFY2(error.isEmpty(), "no error");
            QCOMPARE(rate ? generalNumberText(rate->yearly, Turkish) : QStringLiteral("-"), yearly);
            QCOMPARE(rate ? generalNumberText(rate->monthly, Turkish) : QStringLiteral("-"), monthly);
        } catch (const KervioError &e) {
            QCOMPARE(e.text(), error);
        }
    }

    void sortKey_data()
    {
        QTest::addColumn<QString>("transaction");
        QTest::addColumn<QString>("due");
        QTest::addColumn<QString>("key");
        QTest::newRow("dated") << "15.02.2024" << "15.02.2024" << "20240215";
        QTest::newRow("short pieces widened") << "5 .3 .24  " << "05.03.2024" << "20240305";
        QTest::newRow("three-digit year") << "01.01.998 " << "01.01.1998" << "19980101";
        QTest::newRow("no due date: last") << "03.01.2024" << "" << "99999999";
        QTest::newRow("a due date of zeros: last") << "03.01.2024" << "00.00.0000" << "99999999";
        QTest::newRow("no transaction date: first") << "" << "01.01.2024" << "0000";
    }
    void sortKey()
    {
        QFETCH(QString, transaction);
        QFETCH(QString, due);
        QFETCH(QString, key);
        QCOMPARE(transactionDateSortKey(entry({transaction, due})), key);
    }

    void sortTiesFollowTheExchanges()
    {
        // keys B, B', A end as A, B', B
        QCOMPARE(transactionDateOrder({"20240102", "20240102", "20240101"}), (std::vector<int>{2, 1, 0}));
        QCOMPARE(transactionDateOrder({}), std::vector<int>{});
    }

    void sortMatchesPlainExchangeSort()
    {
        // the fast replay against the plain quadratic procedure, on random
        // keys full of equal ones
        // keys full of equal ones, and distinct keys, which are sorted directly
        QRandomGenerator rng(7);
        for (int round = 0; round < 80; ++round) {
            std::vector<int> rank(size_t(1 + rng.bounded(40)));
            for (size_t i = 0; i < rank.size(); ++i)
                rank[i] = round % 2 ? int(rng.bounded(5)) : int(i);
            if (round % 2 == 0)
                std::shuffle(rank.begin(), rank.end(), rng);
            std::vector<int> order(rank.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = int(i);
            for (size_t p = 0; p + 1 < order.size(); ++p)
                for (size_t q = p + 1; q < order.size(); ++q)
                    if (rank[size_t(order[p])] > rank[size_t(order[q])])
                        std::swap(order[p], order[q]);
            QCOMPARE(exchangeSortOrder(rank), order);
        }
    }

    void sortOfDigitKeysMatchesCollation()
    {
        // keys of digits only are compared without the collator: the same
        // order as through the collator's ranks
        QCollator coll(QLocale::system());
        coll.setCaseSensitivity(Qt::CaseInsensitive);
        QRandomGenerator rng(11);
        for (int round = 0; round < 40; ++round) {
            std::vector<QString> keys(size_t(1 + rng.bounded(60)));
            for (QString &k : keys)
                k = QString::number(rng.bounded(round % 2 ? 30 : 100000)).left(1 + int(rng.bounded(8)));
            std::vector<int> rank(keys.size());
            for (size_t i = 0; i < keys.size(); ++i)
                for (const QString &other : keys)
                    rank[i] += coll.compare(other, keys[i]) < 0;
            QCOMPARE(transactionDateOrder(keys), exchangeSortOrder(rank));
        }
    }
};

QTEST_APPLESS_MAIN(TestCalculation)
#include "tst_calculation.moc"
