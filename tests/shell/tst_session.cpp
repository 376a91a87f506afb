// The session's own part of the commands: the questions it asks, and the
// general error handler that shows what a command raised.
#include "common/ledgerfixture.h"
#include "core/scripteddialogs.h"
#include "shell/session.h"

#include <QtTest>

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

class TestSession : public QObject {
    Q_OBJECT
private slots:
    // Notices reach the dialogs as messages, errors as the error box; the
    // summary is announced after every command, also a failed one.
    void noticesAndErrorsReachTheDialogs()
    {
        Fixture f({WorkedExample[0], {"01.02.2024", "31.02.2024", "", "100,00", ""}, WorkedExample[2]});
        int announced = 0;
        QObject::connect(&f.session, &Session::summaryChanged, [&] { ++announced; });
        QVERIFY(f.recalc());
        QCOMPARE(f.dialogs.shown.size(), size_t(1));
        QCOMPARE(f.dialogs.shown[0].kind, ScriptedDialogs::Shown::Message);
        QCOMPARE(f.dialogs.shown[0].text, QStringLiteral("31.02.2024 Tarih Girişiniz doğru değil."));

        f.dialogs.clear();
        f.session.params().setText(F::DaysInYear, QStringLiteral("0"));
        QVERIFY(!f.recalc());
        QCOMPARE(f.dialogs.shown.size(), size_t(1));
        QCOMPARE(f.dialogs.shown[0].kind, ScriptedDialogs::Shown::Error);
        QCOMPARE(f.dialogs.shown[0].text, QStringLiteral("Floating point division by zero"));
        QCOMPARE(announced, 2);
    }

    // A refused date ends the command quietly after its notice.
    void refusedDateEndsTheCommandQuietly()
    {
        Fixture f({WorkedExample[0], {"15.11.2024", "15.00.2025", "", "", "4.000,00"}, WorkedExample[2]});
        QVERIFY(!f.recalc());
        QCOMPARE(f.dialogs.texts(), QStringList{"\"15.00.2025\" tarih girişiniz uygun değil!"});
        QCOMPARE(f.dialogs.shown[0].kind, ScriptedDialogs::Shown::Message);
    }

    void setCurrentCellRefusesComputedColumns()
    {
        Fixture f(WorkedExample);
        f.session.setCurrentCell(2, ColDays);
        QCOMPARE(f.session.ledger().currentRow(), 1);
        f.session.setCurrentCell(2, ColCredit);
        QCOMPARE(f.session.ledger().currentRow(), 2);
        QCOMPARE(f.cell(2, ColCreditAdat), QStringLiteral("60.000,00"));
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
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
