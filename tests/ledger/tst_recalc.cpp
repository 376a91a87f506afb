#include "common/ledgerfixture.h"
#include "core/errors.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QtTest>
#include <memory>

using namespace kervio;
using F = Parameters::Field;
using S = Summary::Field;

namespace {

using test::Entry;

// A fresh session with the worked example's parameters.
struct Fixture {
    ScriptedDialogs dialogs;
    Session session{Regional::turkish(), &dialogs};

    explicit Fixture(const std::vector<Entry> &entries = {})
    {
        test::setWorkedExampleParameters(session.params());
        if (!entries.empty())
            fill(entries);
    }
    void fill(const std::vector<Entry> &entries, bool trailingEmptyRow = true)
    {
        test::fillLedger(session.ledger(), entries, trailingEmptyRow);
    }
    QString cell(int r, int c) const { return session.ledger().cell(r, c); }
    QString field(S f) const { return session.summary().text(f); }
    QDate date(Summary::Picker p) const { return session.summary().date(p); }
    bool recalc() { return session.guarded([&] { session.recalculateAll(); }); }
};

const std::vector<Entry> &WorkedExample = test::workedExample();

} // namespace

class TestRecalc : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        QVERIFY(f.dialogs.shown.empty());
        const QStringList expected[3] = {
            {"-61", "401,10", "", "-610.000,00", ""},
            {"15", "", "-39,45", "", "60.000,00"},
            {"-31", "", "50,96", "", "-77.500,00"},
        };
        for (int r = 1; r <= 3; ++r)
            for (int c = ColDays; c <= ColCreditAdat; ++c)
                QCOMPARE(f.cell(r, c), expected[r - 1][c - ColDays]);
        QCOMPARE(f.cell(1, ColDebit), QStringLiteral("10.000,00"));
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("10.000,00"));
        QCOMPARE(f.field(S::CreditTotal), QStringLiteral("6.500,00"));
        QCOMPARE(f.field(S::Balance), QStringLiteral("3.500,00"));
        QCOMPARE(f.field(S::DebitDiff), QStringLiteral("401,10"));
        QCOMPARE(f.field(S::CreditDiff), QStringLiteral("11,51"));
        QCOMPARE(f.field(S::NetDiff), QStringLiteral("389,59"));
        QCOMPARE(f.field(S::DebitDays), QStringLiteral("-61"));
        QCOMPARE(f.field(S::CreditDays), QStringLiteral("-3"));
        QCOMPARE(f.field(S::OverallDays), QStringLiteral("-169"));
        QCOMPARE(f.date(Summary::DebitDate), QDate(2024, 10, 31));
        QCOMPARE(f.date(Summary::CreditDate), QDate(2024, 12, 28));
        QCOMPARE(f.date(Summary::OverallDate), QDate(2024, 7, 15));
        // the walk ends on the last row
        QCOMPARE(f.session.ledger().currentRow(), 4);
    }

    void variants_data()
    {
        QTest::addColumn<bool>("creditWeekend");
        QTest::addColumn<QString>("debitGrace");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("rowCells"); // days, b.diff, a.diff, b.adat, a.adat
        QTest::addColumn<QStringList>("summary");  // credit diff, net, credit days, overall days
        QTest::newRow("credit weekend") << true << "0" << 3 << QStringList{"-29", "", "47,67", "", "-72.500,00"}
                                        << QStringList{"8,22", "392,88", "-2", "-171"};
        QTest::newRow("debit grace 10") << false << "10" << 1
                                        << QStringList{"-51", "335,34", "", "-510.000,00", ""}
                                        << QStringList{"11,51", "323,83", "-3", "-141"};
    }
    void variants()
    {
        QFETCH(bool, creditWeekend);
        QFETCH(QString, debitGrace);
        QFETCH(int, row);
        QFETCH(QStringList, rowCells);
        QFETCH(QStringList, summary);
        Fixture f(WorkedExample);
        f.session.params().setCreditWeekend(creditWeekend);
        f.session.params().setText(F::DebitGrace, debitGrace);
        QVERIFY(f.recalc());
        for (int c = ColDays; c <= ColCreditAdat; ++c)
            QCOMPARE(f.cell(row, c), rowCells[c - ColDays]);
        QCOMPARE(f.field(S::CreditDiff), summary[0]);
        QCOMPARE(f.field(S::NetDiff), summary[1]);
        QCOMPARE(f.field(S::CreditDays), summary[2]);
        QCOMPARE(f.field(S::OverallDays), summary[3]);
        if (creditWeekend) {
            QCOMPARE(f.date(Summary::CreditDate), QDate(2024, 12, 29));
            QCOMPARE(f.date(Summary::OverallDate), QDate(2024, 7, 13));
        }
    }

    void weekendShift_data()
    {
        QTest::addColumn<QString>("due");
        QTest::addColumn<bool>("debitOption");
        QTest::addColumn<bool>("creditOption");
        QTest::addColumn<QString>("debitDays");
        QTest::addColumn<QString>("creditDays");
        // 01.12.2024 is a Sunday, 30.11.2024 a Saturday
        QTest::newRow("sunday debit on") << "01.12.2024" << true << false << "-29" << "-30";
        QTest::newRow("saturday debit on") << "30.11.2024" << true << false << "-29" << "-31";
        QTest::newRow("sunday credit on") << "01.12.2024" << false << true << "-30" << "-29";
        QTest::newRow("weekday") << "29.11.2024" << true << true << "-32" << "-32";
    }
    void weekendShift()
    {
        QFETCH(QString, due);
        QFETCH(bool, debitOption);
        QFETCH(bool, creditOption);
        QFETCH(QString, debitDays);
        QFETCH(QString, creditDays);
        Fixture f({{due, due, "", "100,00", ""}, {due, due, "", "", "100,00"}});
        f.session.params().setDebitWeekend(debitOption);
        f.session.params().setCreditWeekend(creditOption);
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDays), debitDays);
        QCOMPARE(f.cell(2, ColDays), creditDays);
    }

    void dateCompletion_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("message");
        QTest::newRow("year blank") << "05.03.    " << "05.03.2024" << "";
        QTest::newRow("single digit day") << "5 .03.2024" << "05.03.2024" << "";
        QTest::newRow("two digit year") << "05.03.24  " << "05.03.2024" << "";
        QTest::newRow("one digit year") << "05.03.9   " << "05.03.2009" << "";
        QTest::newRow("three digit year") << "05.03.998 " << "05.03.1998" << "";
        QTest::newRow("single digit month") << "05.3 .2024" << "05.03.2024" << "";
        QTest::newRow("month zero") << "05.00.2024" << ""
                                    << "\"05.00.2024\" tarih girişiniz uygun değil!";
        QTest::newRow("year out of range") << "05.03.1800" << ""
                                           << "\"05.03.1800\" tarih girişiniz uygun değil!";
        QTest::newRow("impossible day") << "31.02.2024" << ""
                                        << "31.02.2024 Tarih Girişiniz doğru değil.";
    }
    void dateCompletion()
    {
        QFETCH(QString, typed);
        QFETCH(QString, cell);
        QFETCH(QString, message);
        Fixture f;
        f.session.params().setCalculationDate(QDate(2024, 6, 1));
        f.session.ledger().setCell(1, ColDueDate, typed);
        f.session.guarded([&] { f.session.recalculateCurrentRow(); });
        QCOMPARE(f.cell(1, ColDueDate), cell);
        QCOMPARE(f.dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        // an entry with only a due date gets it as its transaction date too
        if (!cell.isEmpty())
            QCOMPARE(f.cell(1, ColTransactionDate), cell);
    }

    void onlyTransactionDateIsCopied()
    {
        Fixture f;
        f.session.ledger().setCell(1, ColTransactionDate, QStringLiteral("07.03.2024"));
        f.session.guarded([&] { f.session.recalculateCurrentRow(); });
        QCOMPARE(f.cell(1, ColDueDate), QStringLiteral("07.03.2024"));
    }

    void transactionDateNotCheckedAgainstCalendar()
    {
        Fixture f({{"45.13.2024", "01.12.2024", "", "1,00", ""}});
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColTransactionDate), QStringLiteral("45.13.2024"));
        QCOMPARE(f.cell(1, ColDays), QStringLiteral("-30"));
    }

    void walkStopsAtCompletionError()
    {
        Fixture f({WorkedExample[0], {"15.11.2024", "15.00.2025", "", "", "4.000,00"}, WorkedExample[2]});
        QVERIFY(!f.recalc());
        QCOMPARE(f.dialogs.texts(), QStringList{"\"15.00.2025\" tarih girişiniz uygun değil!"});
        QCOMPARE(f.session.ledger().currentRow(), 2);
        QCOMPARE(f.cell(2, ColDueDate), QString());
        // row 3 was never reached
        QCOMPARE(f.cell(3, ColDays), QString());
        QCOMPARE(f.cell(3, ColCredit), QStringLiteral("2.500,00"));
        // the summary is the one of row 1's run
        QCOMPARE(f.field(S::DebitDiff), QStringLiteral("401,10"));
        QCOMPARE(f.field(S::CreditTotal), QStringLiteral("6.500,00"));
        QCOMPARE(f.field(S::CreditDiff), QStringLiteral("0,00"));
    }

    void walkGoesOnAfterImpossibleDueDate()
    {
        // The move onto the row empties the impossible due date; the walk's
        // own run of the row then copies the transaction date into it.
        Fixture f({WorkedExample[0], {"01.02.2024", "31.02.2024", "", "100,00", ""}, WorkedExample[2]});
        QVERIFY(f.recalc());
        QCOMPARE(f.dialogs.texts(), QStringList{"31.02.2024 Tarih Girişiniz doğru değil."});
        QCOMPARE(f.cell(2, ColDueDate), QStringLiteral("01.02.2024"));
        QCOMPARE(f.cell(2, ColDays), QStringLiteral("-334"));
        QCOMPARE(f.cell(3, ColDays), QStringLiteral("-31"));
    }

    void singleEntryRowIsRecalculated()
    {
        Fixture f;
        f.fill({WorkedExample[0]}, false);
        QCOMPARE(f.session.ledger().gridRowCount(), 2);
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("401,10"));
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("10.000,00"));
    }

    void zeroDebitAmount()
    {
        Fixture f({{"01.12.2024", "01.12.2024", "", "0", "100,00"}});
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebit), QStringLiteral("0,00"));
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("0,00"));
        QCOMPARE(f.cell(1, ColDebitAdat), QString());
        QCOMPARE(f.field(S::DebitDays), QString());
    }

    void balancedAccountUsesSideAverages()
    {
        Fixture f({{"01.12.2024", "01.12.2024", "", "100,00", ""}, {"01.12.2024", "21.12.2024", "", "", "100,00"}});
        QVERIFY(f.recalc());
        QCOMPARE(f.field(S::Balance), QStringLiteral("0,00"));
        QCOMPARE(f.field(S::DebitDays), QStringLiteral("-30"));
        QCOMPARE(f.field(S::CreditDays), QStringLiteral("-10"));
        QCOMPARE(f.field(S::OverallDays), QStringLiteral("-20"));
        QCOMPARE(f.date(Summary::OverallDate), QDate(2024, 12, 11));
    }

    void decimalTotalsCompareExactly()
    {
        // 0,10 + 0,20 against 0,30: balanced, not a tiny balance
        Fixture f({{"01.12.2024", "01.12.2024", "", "0,10", ""},
                   {"01.12.2024", "01.12.2024", "", "0,20", ""},
                   {"01.12.2024", "11.12.2024", "", "", "0,30"}});
        QVERIFY(f.recalc());
        QCOMPARE(f.field(S::Balance), QStringLiteral("0,00"));
        QCOMPARE(f.field(S::DebitDays), QStringLiteral("-30"));
        QCOMPARE(f.field(S::OverallDays), QStringLiteral("-10"));
    }

    void averageDateLimits_data()
    {
        QTest::addColumn<QDate>("calculation");
        QTest::addColumn<QString>("creditDue");
        QTest::addColumn<QDate>("overall");
        // a 0,01 balance against a large credit interest number
        QTest::newRow("before 1899") << QDate(1906, 1, 1) << "01.01.2999" << QDate(1899, 12, 31);
        QTest::newRow("after 9999") << QDate(2999, 1, 1) << "01.01.1906" << QDate(9999, 12, 31);
    }
    void averageDateLimits()
    {
        QFETCH(QDate, calculation);
        QFETCH(QString, creditDue);
        QFETCH(QDate, overall);
        const QString h = calculation.toString(QStringLiteral("dd.MM.yyyy"));
        Fixture f({{h, h, "", "100,00", ""}, {creditDue, creditDue, "", "", "99,99"}});
        f.session.params().setCalculationDate(calculation);
        QVERIFY(f.recalc());
        QCOMPARE(f.date(Summary::OverallDate), overall);
    }

    void tinyTermDifferenceIsNotGarbled()
    {
        Fixture f({{"30.12.2024", "30.12.2024", "", "0,01", ""}});
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebitAdat), QStringLiteral("-0,01"));
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("0,00"));
    }

    void parameterErrors_data()
    {
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("message");
        QTest::newRow("days empty") << "" << "24" << "'' is not a valid floating point value";
        QTest::newRow("rate with two separators") << "365" << "2,4,1" << "'2,4,1' is not a valid floating point value";
        QTest::newRow("days zero") << "0" << "24" << "Floating point division by zero";
        QTest::newRow("days and rate zero") << "0" << "0" << "Invalid floating point operation";
    }
    void parameterErrors()
    {
        QFETCH(QString, days);
        QFETCH(QString, rate);
        QFETCH(QString, message);
        Fixture f(WorkedExample);
        f.session.params().setText(F::DaysInYear, days);
        f.session.params().setText(F::YearlyRate, rate);
        QVERIFY(!f.recalc());
        QCOMPARE(f.dialogs.texts(), QStringList{message});
        // what was written before the term difference stays
        QCOMPARE(f.cell(1, ColDebitAdat), QStringLiteral("-610.000,00"));
        QCOMPARE(f.cell(1, ColDays), QStringLiteral("-61"));
        QCOMPARE(f.field(S::DebitTotal), QString());
    }

    void emptyRateBecomesZero()
    {
        Fixture f(WorkedExample);
        f.session.params().setText(F::YearlyRate, QString());
        QVERIFY(f.recalc());
        QCOMPARE(f.session.params().text(F::YearlyRate), QStringLiteral("0"));
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("0,00"));
    }

    void badAmountStopsSummary()
    {
        Fixture f(WorkedExample);
        f.session.ledger().setCell(3, ColCredit, QStringLiteral("2,5,0"));
        QVERIFY(!f.recalc());
        QCOMPARE(f.dialogs.texts(), QStringList{"'2,5,0' is not a valid floating point value"});
        QCOMPARE(f.session.ledger().currentRow(), 1);
    }

    void emptyRowChangesNoSummary()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        f.dialogs.answers.push_back(Dialogs::Answer::Yes);
        f.session.guarded([&] { f.session.clearLedger(); });
        f.session.guarded([&] { f.session.recalculateCurrentRow(); });
        QCOMPARE(f.field(S::DebitTotal), QString());
        QCOMPARE(f.field(S::OverallDays), QString());
    }

    void rateFinder_data()
    {
        QTest::addColumn<QStringList>("inputs"); // debit days, credit days, balance, debit total, credit total
        QTest::addColumn<QString>("yearly");
        QTest::addColumn<QString>("monthly");
        QTest::newRow("whole") << QStringList{"0", "73", "1.200,00", "11.200,00", "10.000,00"} << "60" << "5";
        QTest::newRow("rounded") << QStringList{"40", "100", "1.000,00", "10.000,00", "9.000,00"} << "67,5926"
                                 << "5,63271666666667";
        QTest::newRow("swapped") << QStringList{"100", "40", "-1.000,00", "9.000,00", "10.000,00"} << "-67,5926"
                                 << "-5,63271666666667";
        QTest::newRow("balanced leaves fields") << QStringList{"10", "20", "0,00", "5,00", "5,00"} << "old" << "old";
        QTest::newRow("one side only") << QStringList{"10", "", "5,00", "5,00", ""} << "old" << "old";
        QTest::newRow("equal averages") << QStringList{"10", "10", "5,00", "10,00", "5,00"} << "old" << "old";
    }
    void rateFinder()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, yearly);
        QFETCH(QString, monthly);
        Fixture f;
        Summary &s = f.session.summary();
        s.setText(S::DebitDays, inputs[0]);
        s.setText(S::CreditDays, inputs[1]);
        s.setText(S::Balance, inputs[2]);
        s.setText(S::DebitTotal, inputs[3]);
        s.setText(S::CreditTotal, inputs[4]);
        s.setText(S::YearlyRateResult, QStringLiteral("old"));
        s.setText(S::MonthlyRateResult, QStringLiteral("old"));
        f.session.guarded([&] { f.session.findBalancingRate(); });
        QCOMPARE(s.text(S::YearlyRateResult), yearly);
        QCOMPARE(s.text(S::MonthlyRateResult), monthly);
        if (QByteArray(QTest::currentDataTag()) == "one side only")
            QCOMPARE(f.dialogs.texts(), QStringList{"Floating point division by zero"});
        if (QByteArray(QTest::currentDataTag()) == "equal averages")
            QCOMPARE(f.dialogs.texts(), QStringList{"Floating point division by zero"});
    }

    void rateFinderIgnoresDaysInYear()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        f.session.guarded([&] { f.session.findBalancingRate(); });
        const QString first = f.field(S::YearlyRateResult);
        f.session.params().setText(F::DaysInYear, QStringLiteral("360"));
        f.session.guarded([&] { f.session.findBalancingRate(); });
        QCOMPARE(f.field(S::YearlyRateResult), first);
        QVERIFY(!first.isEmpty());
    }

    void sorting()
    {
        Fixture f({{"15.02.2024", "15.02.2024", "c", "1,00", ""},
                   {"", "", "undated", "1,00", ""},
                   {"03.01.2024", "03.01.2024", "b", "1,00", ""},
                   {"", "01.01.2024", "no transaction date", "1,00", ""},
                   {"28.12.2023", "28.12.2023", "a", "1,00", ""}});
        f.session.guarded([&] { f.session.sortByTransactionDate(); });
        // the row with only a due date gets it as transaction date in the
        // recalculation after sorting, but it sorted with key 0000
        QCOMPARE(f.cell(1, ColDescription), QStringLiteral("no transaction date"));
        QCOMPARE(f.cell(1, ColIndex2), QStringLiteral("0000"));
        QCOMPARE(f.cell(2, ColDescription), QStringLiteral("a"));
        QCOMPARE(f.cell(3, ColDescription), QStringLiteral("b"));
        QCOMPARE(f.cell(4, ColDescription), QStringLiteral("c"));
        QCOMPARE(f.cell(4, ColIndex2), QStringLiteral("20240215"));
        for (int r = 1; r < f.session.ledger().gridRowCount(); ++r)
            QCOMPARE(f.cell(r, ColNumber), QString::number(r));
        // undated entry and the empty row share 99999999
        QCOMPARE(f.cell(5, ColIndex2), QStringLiteral("99999999"));
        QCOMPARE(f.cell(6, ColIndex2), QStringLiteral("99999999"));
    }

    void sortingTiesFollowExchanges()
    {
        // keys B, B', A end as A, B', B
        Fixture f;
        f.fill({{"02.01.2024", "02.01.2024", "B", "", ""},
                {"02.01.2024", "02.01.2024", "B'", "", ""},
                {"01.01.2024", "01.01.2024", "A", "", ""}},
               false);
        f.session.guarded([&] { f.session.sortByTransactionDate(); });
        QCOMPARE(f.cell(1, ColDescription), QStringLiteral("A"));
        QCOMPARE(f.cell(2, ColDescription), QStringLiteral("B'"));
        QCOMPARE(f.cell(3, ColDescription), QStringLiteral("B"));
    }

    void sortingMatchesPlainExchangeSort()
    {
        // the fast replay against the plain quadratic procedure, on random
        // ledgers full of equal keys
        QRandomGenerator rng(7);
        for (int round = 0; round < 40; ++round) {
            std::vector<Entry> entries;
            const int n = 1 + int(rng.bounded(40));
            for (int i = 0; i < n; ++i) {
                const QString d = QStringLiteral("%1.01.2024").arg(1 + int(rng.bounded(4)), 2, 10, QLatin1Char('0'));
                entries.push_back({d, rng.bounded(5) == 0 ? QString() : d, QString::number(i), "", ""});
            }
            Fixture f(entries);
            f.session.guarded([&] { f.session.sortByTransactionDate(); });
            // every description is unique (the one empty row included)
            QHash<QString, QString> keyOf;
            for (int r = 1; r < f.session.ledger().gridRowCount(); ++r)
                keyOf.insert(f.cell(r, ColDescription), f.cell(r, ColIndex2));
            std::vector<QString> order;
            for (const Entry &e : entries)
                order.push_back(e.description);
            order.push_back(QString());
            for (size_t p = 0; p + 1 < order.size(); ++p)
                for (size_t q = p + 1; q < order.size(); ++q)
                    if (keyOf[order[p]] > keyOf[order[q]])
                        std::swap(order[p], order[q]);
            for (size_t i = 0; i < order.size(); ++i)
                QCOMPARE(f.cell(int(i) + 1, ColDescription), order[i]);
        }
    }

    void reset()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        f.session.guarded([&] { f.session.clearLedger(); }); // No
        QCOMPARE(f.session.ledger().gridRowCount(), 5);
        QCOMPARE(f.dialogs.shown.back().text, QStringLiteral("Dosyayı Boşaltmak istediğinizden eminmisiniz?"));
        f.dialogs.answers.push_back(Dialogs::Answer::Yes);
        f.session.guarded([&] { f.session.clearLedger(); });
        QCOMPARE(f.session.ledger().gridRowCount(), 2);
        QCOMPARE(f.cell(1, ColNumber), QStringLiteral("1"));
        QCOMPARE(f.cell(1, ColDebit), QString());
        for (S field : {S::DebitTotal, S::CreditTotal, S::Balance, S::DebitDiff, S::CreditDiff, S::NetDiff,
                        S::OverallDays, S::DebitDays, S::CreditDays})
            QCOMPARE(f.field(field), QString());
        QCOMPARE(f.field(S::YearlyRateResult), QStringLiteral("0,00"));
        QCOMPARE(f.field(S::MonthlyRateResult), QStringLiteral("0,00"));
        QCOMPARE(f.date(Summary::DebitDate), QDate::currentDate());
        QCOMPARE(f.session.params().calculationDate(), QDate(2024, 12, 31));
        QCOMPARE(f.session.params().text(F::YearlyRate), QStringLiteral("24"));
    }

    void insertRow()
    {
        Fixture f;
        f.fill({{"01.12.2024", "01.12.2024", "1", "1,00", ""},
                {"02.12.2024", "02.12.2024", "2", "1,00", ""},
                {"03.12.2024", "03.12.2024", "3", "1,00", ""},
                {"04.12.2024", "04.12.2024", "4", "1,00", ""},
                {"05.12.2024", "05.12.2024", "5", "1,00", ""}},
               false);
        f.session.ledger().setCurrent(3, 1);
        f.session.guarded([&] { f.session.insertRowAbove(); });
        QCOMPARE(f.session.ledger().gridRowCount(), 7);
        QCOMPARE(f.cell(3, ColDescription), QString());
        QCOMPARE(f.cell(4, ColDescription), QStringLiteral("3"));
        for (int r = 1; r <= 6; ++r)
            QCOMPARE(f.cell(r, ColNumber), QString::number(r));
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("5,00"));
    }

    void deleteRow_data()
    {
        QTest::addColumn<QString>("transaction");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::addColumn<bool>("asked");
        QTest::newRow("yes") << "01.12.2024" << int(Dialogs::Answer::Yes) << 1 << true;
        QTest::newRow("no") << "01.12.2024" << int(Dialogs::Answer::No) << 2 << true;
        QTest::newRow("cancel") << "01.12.2024" << int(Dialogs::Answer::Cancel) << 2 << true;
        QTest::newRow("empty row, no question") << "" << int(Dialogs::Answer::No) << 1 << false;
    }
    void deleteRow()
    {
        QFETCH(QString, transaction);
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        QFETCH(bool, asked);
        Fixture f;
        f.fill({{transaction, "", "x", "", ""}, {"02.12.2024", "02.12.2024", "keep", "1,00", ""}}, false);
        f.session.ledger().setCurrent(1, 1);
        f.dialogs.answers.push_back(Dialogs::Answer(answer));
        f.session.guarded([&] { f.session.deleteCurrentRow(); });
        QCOMPARE(f.session.ledger().gridRowCount(), rowsLeft + 1);
        QCOMPARE(!f.dialogs.shown.empty(), asked);
        if (asked)
            QCOMPARE(f.dialogs.shown.front().text, QStringLiteral("Kaydı Silmek istediğinizden eminmisiniz?"));
        for (int r = 1; r < f.session.ledger().gridRowCount(); ++r)
            QCOMPARE(f.cell(r, ColNumber), QString::number(r));
    }

    void deletingOnlyRowLeavesEmptyRow()
    {
        Fixture f;
        f.fill({{"01.12.2024", "01.12.2024", "x", "1,00", ""}}, false);
        f.dialogs.answers.push_back(Dialogs::Answer::Yes);
        f.session.guarded([&] { f.session.deleteCurrentRow(); });
        QCOMPARE(f.session.ledger().gridRowCount(), 2);
        QCOMPARE(f.cell(1, ColNumber), QStringLiteral("1"));
        QCOMPARE(f.cell(1, ColDescription), QString());
    }

    void summaryStopsAtUnnumberedRow()
    {
        Fixture f(WorkedExample);
        f.session.ledger().setCell(2, ColNumber, QString());
        f.session.ledger().setCurrent(1, 1);
        f.session.guarded([&] { f.session.recalculateCurrentRow(); });
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("10.000,00"));
        QCOMPARE(f.field(S::CreditTotal), QStringLiteral("0,00"));
    }

    void appendRowIfLastEntryDated()
    {
        Fixture f;
        LedgerTable &t = f.session.ledger();
        t.setCell(1, ColDueDate, QStringLiteral("01.12.2024"));
        t.setCurrent(1, ColDescription);
        f.session.appendRowIfLastEntryDated();
        QCOMPARE(t.gridRowCount(), 3);
        QCOMPARE(t.cell(2, ColNumber), QStringLiteral("2"));
        f.session.appendRowIfLastEntryDated(); // not the last row any more
        QCOMPARE(t.gridRowCount(), 3);
    }

    void rateLink()
    {
        Fixture f;
        Parameters &p = f.session.params();
        p.yillikfaizEditEnter();
        p.setText(F::YearlyRate, QStringLiteral("25"));
        QCOMPARE(p.text(F::MonthlyRate), QStringLiteral("2,08333333333333"));
        p.yillikfaizEditExit();
        p.aylikfaizEditEnter();
        p.setText(F::MonthlyRate, QStringLiteral("1,75"));
        QCOMPARE(p.text(F::YearlyRate), QStringLiteral("21"));
        // two separators: the typed field keeps its text, the other its old one
        try {
            p.setText(F::MonthlyRate, QStringLiteral("1,7,5"));
            QFAIL("no error");
        } catch (const KervioError &e) {
            QCOMPARE(e.text(), QStringLiteral("'1,7,5' is not a valid floating point value"));
        }
        QCOMPARE(p.text(F::MonthlyRate), QStringLiteral("1,7,5"));
        QCOMPARE(p.text(F::YearlyRate), QStringLiteral("21"));
    }
};

QTEST_GUILESS_MAIN(TestRecalc)
#include "tst_recalc.moc"
