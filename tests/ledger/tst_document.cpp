// The document's commands: the cursor walk over the rows, the summary it
// leaves, and what a refused date or an error does to the walk.
#include "common/ledgerfixture.h"
#include "core/errors.h"
#include "ledger/document.h"

#include <QtTest>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>

using namespace kervio;
using F = Parameters::Field;
using S = Summary::Field;

namespace {

using test::Entry;

// Walks over at least this many rows are worked out ahead on a second
// thread; the suite runs once as the program does and once with every walk
// planned ahead.
int plannedWalksFrom = RowPlanner::MinimumRows;

// A fresh document with the worked example's parameters; its notices are
// kept in order.
struct Fixture {
    Document document{Regional::turkish()};
    QStringList messages;
    QString error; // the text of the error that ended the last command

    explicit Fixture(const std::vector<Entry> &entries = {})
    {
        document.planWalksFrom(plannedWalksFrom);
        document.setMessageSink([this](const QString &text) { messages << text; });
        test::setWorkedExampleParameters(document.params());
        if (!entries.empty())
            fill(entries);
    }
    void fill(const std::vector<Entry> &entries, bool trailingEmptyRow = true)
    {
        test::fillLedger(document.ledger(), entries, trailingEmptyRow);
    }
    LedgerTable &ledger() { return document.ledger(); }
    QString cell(int r, int c) const { return document.ledger().cell(r, c); }
    QString field(S f) const { return document.summary().text(f); }
    QDate date(Summary::Picker p) const { return document.summary().date(p); }
    // Runs a command; false when it ended by an error (kept in `error`) or
    // by a refused date.
    bool run(const std::function<void()> &command)
    {
        error.clear();
        try {
            command();
            return true;
        } catch (const KervioError &e) {
            error = e.text();
        } catch (const SilentAbort &) {
        }
        return false;
    }
    bool recalc() { return run([&] { document.recalculateAll(); }); }
};

const std::vector<Entry> &WorkedExample = test::workedExample();

// A long ledger for the walk planned ahead: the worked example's entries
// repeated, some of them replaced by the rows a case names.
struct LongWalk {
    std::map<int, Entry> rows = {};           // entries in place of the repeated ones
    std::function<void(Fixture &)> onMessage = {}; // what else happens at a notice
    bool renumber = false;                // the transfer's walk over rows without numbers
};

// Everything a walk leaves: the cells, the summary, the notices, the
// error, the cursor and the parameters.
QStringList walkOutcome(const LongWalk &walk, int plannedFrom, int entries)
{
    Fixture f;
    f.document.planWalksFrom(plannedFrom);
    std::vector<Entry> ledger;
    for (int i = 0; i < entries; ++i) {
        const auto special = walk.rows.find(i + 1);
        ledger.push_back(special != walk.rows.end() ? special->second : WorkedExample[size_t(i) % WorkedExample.size()]);
    }
    f.fill(ledger);
    if (walk.renumber)
        for (int r = 1; r < f.ledger().gridRowCount(); ++r)
            f.ledger().setCell(r, ColNumber, QString());
    f.document.setMessageSink([&](const QString &text) {
        f.messages << text;
        if (walk.onMessage)
            walk.onMessage(f);
    });
    const bool ran = f.run([&] { walk.renumber ? f.document.renumberAndRecalculateAll() : f.document.recalculateAll(); });
    QStringList out{QString::number(ran), f.error, QString::number(f.ledger().currentRow())};
    out << f.messages;
    for (int r = 1; r < f.ledger().gridRowCount(); ++r) {
        const LedgerTable::Row cells = f.ledger().row(r);
        out << QStringList(cells.begin(), cells.end()).join(u'|');
    }
    for (int s = 0; s < Summary::FieldCount; ++s)
        out << f.field(S(s));
    for (int p = 0; p < Summary::PickerCount; ++p)
        out << f.date(Summary::Picker(p)).toString(Qt::ISODate);
    out << f.document.params().text(F::YearlyRate);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(LongWalk)

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        QVERIFY(f.messages.isEmpty());
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
        QCOMPARE(f.ledger().currentRow(), 4);
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
        f.document.params().setCreditWeekend(creditWeekend);
        f.document.params().setText(F::DebitGrace, debitGrace);
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

    // What the document does with a date the completion refuses or the
    // calendar lacks: the notice first, then the emptied cell.
    void dateNotices_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("completed"); // the command ran to its end
        QTest::newRow("completed with the calculation year") << "05.03.    " << "05.03.2024" << "" << true;
        QTest::newRow("refused") << "05.00.2024" << "" << "\"05.00.2024\" tarih girişiniz uygun değil!" << false;
        QTest::newRow("impossible") << "31.02.2024" << "" << "31.02.2024 Tarih Girişiniz doğru değil." << true;
    }
    void dateNotices()
    {
        QFETCH(QString, typed);
        QFETCH(QString, cell);
        QFETCH(QString, message);
        QFETCH(bool, completed);
        Fixture f;
        f.document.params().setCalculationDate(QDate(2024, 6, 1));
        f.ledger().setCell(1, ColDueDate, typed);
        QCOMPARE(f.run([&] { f.document.recalculateCurrentRow(); }), completed);
        QCOMPARE(f.error, QString());
        QCOMPARE(f.cell(1, ColDueDate), cell);
        QCOMPARE(f.messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void walkStopsAtCompletionError()
    {
        Fixture f({WorkedExample[0], {"15.11.2024", "15.00.2025", "", "", "4.000,00"}, WorkedExample[2]});
        QVERIFY(!f.recalc());
        QCOMPARE(f.messages, QStringList{"\"15.00.2025\" tarih girişiniz uygun değil!"});
        QCOMPARE(f.ledger().currentRow(), 2);
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
        QCOMPARE(f.messages, QStringList{"31.02.2024 Tarih Girişiniz doğru değil."});
        QCOMPARE(f.cell(2, ColDueDate), QStringLiteral("01.02.2024"));
        QCOMPARE(f.cell(2, ColDays), QStringLiteral("-334"));
        QCOMPARE(f.cell(3, ColDays), QStringLiteral("-31"));
    }

    void singleEntryRowIsRecalculated()
    {
        Fixture f;
        f.fill({WorkedExample[0]}, false);
        QCOMPARE(f.ledger().gridRowCount(), 2);
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("401,10"));
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("10.000,00"));
    }

    // The walk recalculates the row the cursor already stands on, even when
    // the last recalculation there completed before the row was changed.
    void walkFromTheFirstRowRecalculatesIt()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.run([&] { f.document.setCurrentCell(2, ColDebit); }));
        QVERIFY(f.run([&] { f.document.setCurrentCell(1, ColDebit); }));
        f.ledger().setCell(1, ColDebit, QStringLiteral("20000"));
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebit), QStringLiteral("20.000,00"));
        QCOMPARE(f.cell(1, ColDebitAdat), QStringLiteral("-1.220.000,00"));
        QCOMPARE(f.field(S::DebitDiff), QStringLiteral("802,19"));
    }

    // The transfer's walk: each row gets its number just before its own
    // recalculation, so the summary counts every entry.
    void renumberingWalk()
    {
        Fixture f;
        std::vector<LedgerTable::Row> rows(size_t(WorkedExample.size()) + 2);
        for (size_t i = 0; i < WorkedExample.size(); ++i) {
            rows[i][ColTransactionDate] = WorkedExample[i].transaction;
            rows[i][ColDueDate] = WorkedExample[i].due;
            rows[i][ColDebit] = WorkedExample[i].debit;
            rows[i][ColCredit] = WorkedExample[i].credit;
        }
        f.ledger().replaceEntries(std::move(rows));
        QVERIFY(f.run([&] { f.document.renumberAndRecalculateAll(); }));
        for (int r = 1; r < f.ledger().gridRowCount(); ++r)
            QCOMPARE(f.cell(r, ColNumber), QString::number(r));
        QCOMPARE(f.field(S::CreditTotal), QStringLiteral("6.500,00"));
        QCOMPARE(f.field(S::NetDiff), QStringLiteral("389,59"));
        QCOMPARE(f.ledger().currentRow(), f.ledger().lastRow());
    }

    // A long walk has its rows worked out ahead on a second thread, a
    // stretch at a time; it must leave exactly what the walk row by row
    // leaves, also where notices, errors and refusals meet the stretches'
    // edges, and when a notice's handler changes a row ahead or the
    // parameters.
    void longWalkPlannedAhead_data()
    {
        QTest::addColumn<LongWalk>("walk");
        const Entry impossible{"01.02.2024", "31.02.2024", "", "100,00", ""};
        const Entry noDueDate{"", "", "x", "100,00", ""};
        const int edge = RowPlanner::StretchRows; // the first stretch's last row
        QTest::newRow("plain") << LongWalk{};
        QTest::newRow("impossible due dates at the edges")
            << LongWalk{{{edge - 1, impossible}, {edge, impossible}, {edge + 1, impossible}, {2 * edge + 1, impossible}}};
        QTest::newRow("rows without a due date") << LongWalk{{{7, noDueDate}, {edge, noDueDate}, {edge + 1, noDueDate}}};
        QTest::newRow("refused date") << LongWalk{{{edge + 300, {"15.11.2024", "15.00.2025", "", "", "4.000,00"}}}};
        QTest::newRow("bad amount") << LongWalk{{{edge + 2, {"15.11.2024", "15.12.2024", "", "", "2,5,0"}}}};
        QTest::newRow("typed dates completed") << LongWalk{{{3, {"5.3.24", "5.4.", "", "1", ""}}, {edge, {"1.1.", "", "", "", "2"}}}};
        QTest::newRow("a notice changes a row ahead")
            << LongWalk{{{edge - 1, impossible}, {edge + 5, impossible}}, [](Fixture &f) {
                            const int r = f.ledger().currentRow() + 2;
                            f.ledger().setCell(r, ColDebit, QStringLiteral("7,00"));
                            f.ledger().setCell(r, ColCredit, QString());
                        }};
        QTest::newRow("a notice changes the parameters")
            << LongWalk{{{edge + 5, impossible}}, [](Fixture &f) {
                            f.document.params().setText(F::YearlyRate, QStringLiteral("30"));
                        }};
        QTest::newRow("a notice removes rows ahead")
            << LongWalk{{{edge - 1, impossible}}, [](Fixture &f) { f.ledger().setGridRowCount(edge + 500); }};
        QTest::newRow("renumbering walk") << LongWalk{{{edge, impossible}}, {}, true};
    }
    void longWalkPlannedAhead()
    {
        QFETCH(LongWalk, walk);
        const int entries = 2 * RowPlanner::StretchRows + 700;
        const QStringList rowByRow = walkOutcome(walk, std::numeric_limits<int>::max(), entries);
        const QStringList planned = walkOutcome(walk, 1, entries);
        QCOMPARE(planned.size(), rowByRow.size());
        for (qsizetype i = 0; i < planned.size(); ++i)
            QCOMPARE(planned[i], rowByRow[i]);
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
        f.document.params().setCalculationDate(calculation);
        QVERIFY(f.recalc());
        QCOMPARE(f.date(Summary::OverallDate), overall);
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
        f.document.params().setText(F::DaysInYear, days);
        f.document.params().setText(F::YearlyRate, rate);
        QVERIFY(!f.recalc());
        QCOMPARE(f.error, message);
        QVERIFY(f.messages.isEmpty());
        // what was written before the term difference stays
        QCOMPARE(f.cell(1, ColDebitAdat), QStringLiteral("-610.000,00"));
        QCOMPARE(f.cell(1, ColDays), QStringLiteral("-61"));
        QCOMPARE(f.field(S::DebitTotal), QString());
    }

    // Every change of the parameters reaches the next recalculation.
    void changedParametersAreRead()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("401,10"));
        f.document.params().setText(F::DaysInYear, QStringLiteral("360"));
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("406,67"));
        f.document.params().setCalculationDate(QDate(2024, 11, 30));
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDays), QStringLiteral("-30"));
        f.document.params().setDebitWeekend(true); // 31.10.2024 is a Thursday
        f.document.params().setText(F::DebitGrace, QStringLiteral("2"));
        QVERIFY(f.recalc());
        QCOMPARE(f.cell(1, ColDays), QStringLiteral("-28"));
    }

    void emptyRateBecomesZero()
    {
        Fixture f(WorkedExample);
        f.document.params().setText(F::YearlyRate, QString());
        QVERIFY(f.recalc());
        QCOMPARE(f.document.params().text(F::YearlyRate), QStringLiteral("0"));
        QCOMPARE(f.cell(1, ColDebitDiff), QStringLiteral("0,00"));
    }

    void badAmountStopsSummary()
    {
        Fixture f(WorkedExample);
        f.ledger().setCell(3, ColCredit, QStringLiteral("2,5,0"));
        QVERIFY(!f.recalc());
        QCOMPARE(f.error, QStringLiteral("'2,5,0' is not a valid floating point value"));
        QCOMPARE(f.ledger().currentRow(), 1);
    }

    void emptyRowChangesNoSummary()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        f.document.clear();
        f.run([&] { f.document.recalculateCurrentRow(); });
        QCOMPARE(f.field(S::DebitTotal), QString());
        QCOMPARE(f.field(S::OverallDays), QString());
    }

    // "FAİZ BUL" reads the summary as it shows: a balanced ledger leaves
    // the results, an error leaves them too.
    void findBalancingRate_data()
    {
        QTest::addColumn<QStringList>("inputs"); // debit days, credit days, balance, debit total, credit total
        QTest::addColumn<QString>("yearly");
        QTest::addColumn<QString>("monthly");
        QTest::addColumn<QString>("error");
        QTest::newRow("rounded") << QStringList{"40", "100", "1.000,00", "10.000,00", "9.000,00"} << "67,5926"
                                 << "5,63271666666667" << "";
        QTest::newRow("balanced leaves fields") << QStringList{"10", "20", "0,00", "5,00", "5,00"} << "old" << "old"
                                                << "";
        QTest::newRow("one side only") << QStringList{"10", "", "5,00", "5,00", ""} << "old" << "old"
                                       << "Floating point division by zero";
    }
    void findBalancingRate()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, yearly);
        QFETCH(QString, monthly);
        QFETCH(QString, error);
        Fixture f;
        Summary &s = f.document.summary();
        s.setText(S::DebitDays, inputs[0]);
        s.setText(S::CreditDays, inputs[1]);
        s.setText(S::Balance, inputs[2]);
        s.setText(S::DebitTotal, inputs[3]);
        s.setText(S::CreditTotal, inputs[4]);
        s.setText(S::YearlyRateResult, QStringLiteral("old"));
        s.setText(S::MonthlyRateResult, QStringLiteral("old"));
        f.run([&] { f.document.findBalancingRate(); });
        QCOMPARE(s.text(S::YearlyRateResult), yearly);
        QCOMPARE(s.text(S::MonthlyRateResult), monthly);
        QCOMPARE(f.error, error);
    }

    void rateFinderIgnoresDaysInYear()
    {
        Fixture f(WorkedExample);
        QVERIFY(f.recalc());
        f.run([&] { f.document.findBalancingRate(); });
        const QString first = f.field(S::YearlyRateResult);
        f.document.params().setText(F::DaysInYear, QStringLiteral("360"));
        f.run([&] { f.document.findBalancingRate(); });
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
        f.run([&] { f.document.sortByTransactionDate(); });
        // the row with only a due date gets it as transaction date in the
        // recalculation after sorting, but it sorted with key 0000
        QCOMPARE(f.cell(1, ColDescription), QStringLiteral("no transaction date"));
        QCOMPARE(f.cell(1, ColIndex2), QStringLiteral("0000"));
        QCOMPARE(f.cell(2, ColDescription), QStringLiteral("a"));
        QCOMPARE(f.cell(3, ColDescription), QStringLiteral("b"));
        QCOMPARE(f.cell(4, ColDescription), QStringLiteral("c"));
        QCOMPARE(f.cell(4, ColIndex2), QStringLiteral("20240215"));
        for (int r = 1; r < f.ledger().gridRowCount(); ++r)
            QCOMPARE(f.cell(r, ColNumber), QString::number(r));
        // undated entry and the empty row share 99999999
        QCOMPARE(f.cell(5, ColIndex2), QStringLiteral("99999999"));
        QCOMPARE(f.cell(6, ColIndex2), QStringLiteral("99999999"));
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
        f.ledger().setCurrent(3, 1);
        f.run([&] { f.document.insertRowAbove(); });
        QCOMPARE(f.ledger().gridRowCount(), 7);
        QCOMPARE(f.cell(3, ColDescription), QString());
        QCOMPARE(f.cell(4, ColDescription), QStringLiteral("3"));
        for (int r = 1; r <= 6; ++r)
            QCOMPARE(f.cell(r, ColNumber), QString::number(r));
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("5,00"));
    }

    void summaryStopsAtUnnumberedRow()
    {
        Fixture f(WorkedExample);
        f.ledger().setCell(2, ColNumber, QString());
        f.ledger().setCurrent(1, 1);
        f.run([&] { f.document.recalculateCurrentRow(); });
        QCOMPARE(f.field(S::DebitTotal), QStringLiteral("10.000,00"));
        QCOMPARE(f.field(S::CreditTotal), QStringLiteral("0,00"));
    }

    void appendRowIfLastEntryDated()
    {
        Fixture f;
        LedgerTable &t = f.ledger();
        t.setCell(1, ColDueDate, QStringLiteral("01.12.2024"));
        t.setCurrent(1, ColDescription);
        f.document.appendRowIfLastEntryDated();
        QCOMPARE(t.gridRowCount(), 3);
        QCOMPARE(t.cell(2, ColNumber), QStringLiteral("2"));
        f.document.appendRowIfLastEntryDated(); // not the last row any more
        QCOMPARE(t.gridRowCount(), 3);
    }

    // Only the entry columns of the entry rows take the cursor; a refused
    // move leaves it where it was and recalculates nothing.
    void cursorCells_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("taken");
        QTest::newRow("row number") << 2 << int(ColNumber) << false;
        QTest::newRow("transaction date") << 2 << int(ColTransactionDate) << true;
        QTest::newRow("credit") << 2 << int(ColCredit) << true;
        QTest::newRow("days") << 2 << int(ColDays) << false;
        QTest::newRow("hidden sort key") << 2 << int(ColIndex2) << false;
        QTest::newRow("header") << 0 << int(ColDebit) << false;
        QTest::newRow("below the last row") << 5 << int(ColDebit) << false;
    }
    void cursorCells()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, taken);
        Fixture f(WorkedExample);
        f.ledger().setCurrent(1, ColDescription);
        QVERIFY(f.run([&] { f.document.setCurrentCell(row, column); }));
        QCOMPARE(f.ledger().currentRow(), taken ? row : 1);
        QCOMPARE(f.ledger().currentColumn(), taken ? column : int(ColDescription));
        QCOMPARE(f.cell(row > 0 && row < 5 ? row : 1, ColDays).isEmpty(), !taken); // recalculated only when taken
        QCOMPARE(Document::isSelectableCell(row, column), taken || row == 5);
    }

    // A program step that moves the cursor to another row keeps its column,
    // as the walk over all rows and the export's move to row 1 do.
    void cursorToARowKeepsTheColumn()
    {
        Fixture f(WorkedExample);
        f.ledger().setCurrent(3, ColDebit);
        QVERIFY(f.run([&] { f.document.moveCursorToRow(1); }));
        QCOMPARE(f.ledger().currentRow(), 1);
        QCOMPARE(f.ledger().currentColumn(), int(ColDebit));
        QVERIFY(f.recalc());
        QCOMPARE(f.ledger().currentRow(), f.ledger().lastRow());
        QCOMPARE(f.ledger().currentColumn(), int(ColDebit));
    }

    // The rate field named as the source passes its changes on, whether the
    // user types or a program step sets it; the focus names the source.
    void rateLinkFollowsTheFocus_data()
    {
        QTest::addColumn<QStringList>("focus"); // "+" entering, "-" leaving a field of a role
        QTest::addColumn<int>("changed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("other"); // the other rate's text afterwards
        const int yearly = F::YearlyRate, monthly = F::MonthlyRate;
        QTest::newRow("no source at start: yearly") << QStringList{} << yearly << "24" << "7";
        QTest::newRow("no source at start: monthly") << QStringList{} << monthly << "3" << "7";
        QTest::newRow("in the yearly field") << QStringList{"+yearly"} << yearly << "24" << "2";
        QTest::newRow("in the yearly field, emptied") << QStringList{"+yearly"} << yearly << "" << "0";
        QTest::newRow("in the yearly field, the monthly set") << QStringList{"+yearly"} << monthly << "3" << "7";
        QTest::newRow("after the yearly field, the monthly set") << QStringList{"+yearly", "-yearly"} << monthly << "3"
                                                                 << "36";
        QTest::newRow("after the yearly field, the yearly set") << QStringList{"+yearly", "-yearly"} << yearly << "24"
                                                                << "7";
        QTest::newRow("in the monthly field") << QStringList{"+monthly"} << monthly << "1,75" << "21";
        QTest::newRow("after the monthly field") << QStringList{"+monthly", "-monthly"} << yearly << "30" << "2,5";
        QTest::newRow("in a summary field") << QStringList{"+summary"} << yearly << "25" << "2,08333333333333";
        QTest::newRow("after a summary field") << QStringList{"+summary", "-summary"} << monthly << "2" << "24";
        QTest::newRow("other fields leave the source")
            << QStringList{"+yearly", "+other", "-other"} << yearly << "12" << "1";
    }
    void rateLinkFollowsTheFocus()
    {
        QFETCH(QStringList, focus);
        QFETCH(int, changed);
        QFETCH(QString, text);
        QFETCH(QString, other);
        using Role = Parameters::RateLinkRole;
        const QHash<QString, Role> roles = {
            {"yearly", Role::Yearly}, {"monthly", Role::Monthly}, {"summary", Role::Yearly}, {"other", Role::None}};
        Fixture f;
        Parameters &p = f.document.params();
        p.setText(F::YearlyRate, QStringLiteral("7"));
        p.setText(F::MonthlyRate, QStringLiteral("7"));
        for (const QString &step : focus) {
            if (step.startsWith(u'+'))
                p.focusEntered(roles.value(step.mid(1)));
            else
                p.focusLeft(roles.value(step.mid(1)));
        }
        p.setText(F(changed), text);
        QCOMPARE(p.text(F(changed)), text);
        QCOMPARE(p.text(changed == F::YearlyRate ? F::MonthlyRate : F::YearlyRate), other);
    }

    void rateLink()
    {
        Fixture f;
        Parameters &p = f.document.params();
        using Role = Parameters::RateLinkRole;
        p.focusEntered(Role::Yearly);
        p.setText(F::YearlyRate, QStringLiteral("25"));
        QCOMPARE(p.text(F::MonthlyRate), QStringLiteral("2,08333333333333"));
        p.focusLeft(Role::Yearly);
        p.focusEntered(Role::Monthly);
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

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestDocument test;
    const int rowByRow = QTest::qExec(&test, argc, argv);
    plannedWalksFrom = 1;
    std::printf("--- again, every walk planned ahead ---\n");
    return rowByRow + QTest::qExec(&test, argc, argv);
}
#include "tst_document.moc"
