// The session's own part of the commands: the questions it asks, and the
// general error handler that shows what a command raised.
#include "common/ledgerfixture.h"
#include "core/scripteddialogs.h"
#include "files/settings.h"
#include "shell/session.h"

#include <QTemporaryDir>
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

    // The start of the window and of the command line: today's dates, the
    // stored parameters without a rate link between them, a numbered empty
    // ledger, and closing asks first.
    void startFresh()
    {
        QTemporaryDir dir;
        RateSettings stored;
        stored.daysInYear = "360";
        stored.yearlyRate = "30";
        stored.monthlyRate = "2";
        stored.creditGraceDays = "5";
        stored.debitWeekend = true;
        writeRateSettings(dir.filePath("Ayarlar.ini"), stored);
        ScriptedDialogs dialogs;
        Session session(Regional::turkish(), &dialogs);
        session.setSettingsPath(dir.filePath("Ayarlar.ini"));
        session.params().setCalculationDate(QDate(2020, 1, 1));
        session.setConfirmOnClose(false);
        QVERIFY(session.guarded([&] { session.startFresh(); }));

        const QDate today = QDate::currentDate();
        QCOMPARE(session.params().calculationDate(), today);
        for (auto p : {Summary::OverallDate, Summary::DebitDate, Summary::CreditDate})
            QCOMPARE(session.summary().date(p), today);
        QCOMPARE(session.params().text(F::DaysInYear), QStringLiteral("360"));
        QCOMPARE(session.params().text(F::YearlyRate), QStringLiteral("30"));
        QCOMPARE(session.params().text(F::MonthlyRate), QStringLiteral("2"));
        QCOMPARE(session.params().text(F::CreditGrace), QStringLiteral("5"));
        QVERIFY(session.params().debitWeekend() && !session.params().creditWeekend());
        QCOMPARE(session.params().rateSource(), Parameters::RateSource::None);
        QCOMPARE(session.ledger().gridRowCount(), 2);
        QCOMPARE(session.ledger().cell(1, ColNumber), QStringLiteral("1"));
        QCOMPARE(session.ledger().cell(0, ColDescription), QStringLiteral("Açıklama"));
        QVERIFY(session.confirmOnClose());
        QVERIFY(dialogs.shown.empty());
    }

    void mayClose_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes") << true << int(Dialogs::Answer::Yes) << true;
        QTest::newRow("no") << true << int(Dialogs::Answer::No) << false;
        QTest::newRow("cancel") << true << int(Dialogs::Answer::Cancel) << false;
        QTest::newRow("an update being installed") << false << int(Dialogs::Answer::No) << true;
    }
    void mayClose()
    {
        QFETCH(bool, confirm);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        Fixture f(WorkedExample);
        f.session.setConfirmOnClose(confirm);
        f.dialogs.answers.push_back(Dialogs::Answer(answer));
        QCOMPARE(f.session.mayClose(), closes);
        if (confirm) {
            QCOMPARE(f.dialogs.texts(), QStringList{"Programı kapatmak istediğinize eminmisiniz?"});
            QCOMPARE(f.dialogs.shown[0].title, QStringLiteral("Kavrel Kervio Programı"));
        } else {
            QVERIFY(f.dialogs.shown.empty());
        }
        QCOMPARE(f.cell(2, ColDescription), WorkedExample[1].description); // nothing saved, nothing lost
    }

    // Keys typed into a cell, one by one: a key the column refuses never
    // reaches the cell, and an amount is grouped at each key's release.
    void typingIntoTheLedger_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("shownAfterEach");
        QTest::newRow("grouping while typing") << int(ColDebit) << "12345"
                                               << QStringList{"1", "12", "123", "1.234", "12.345"};
        QTest::newRow("the decimal part stays") << int(ColCredit) << "12,5" << QStringList{"1", "12", "12,", "12,5"};
        QTest::newRow("letters, sign, dot and blank refused")
            << int(ColDebit) << "1a-. 2" << QStringList{"1", "1", "1", "1", "1", "12"};
        QTest::newRow("a description takes anything")
            << int(ColDescription) << "a-1234" << QStringList{"a", "a-", "a-1", "a-12", "a-123", "a-1234"};
    }
    void typingIntoTheLedger()
    {
        QFETCH(int, column);
        QFETCH(QString, keys);
        QFETCH(QStringList, shownAfterEach);
        Fixture f;
        QVERIFY(f.session.guarded([&] { f.session.setCurrentCell(1, column); }));
        for (int i = 0; i < keys.size(); ++i) {
            QVERIFY(f.session.guarded([&] {
                if (!f.session.typeIntoLedger(keys[i])) // the editor types what the session lets through
                    f.session.ledger().setCell(1, column, f.cell(1, column) + keys[i]);
                f.session.regroupTypedAmount();
            }));
            QCOMPARE(f.cell(1, column), shownAfterEach[i]);
        }
    }

    // Enter walks through the entry columns and on to the next row,
    // recalculating the row it leaves.
    void enterWalk()
    {
        Fixture f;
        f.fill({WorkedExample[0], WorkedExample[1]}, false);
        f.session.ledger().setCurrent(1, ColTransactionDate);
        QList<QPoint> visited; // (column, row)
        for (int i = 0; i < 6; ++i) {
            bool used = false;
            QVERIFY(f.session.guarded([&] { used = f.session.typeIntoLedger(u'\r'); }));
            QVERIFY(used);
            visited << QPoint(f.session.ledger().currentColumn(), f.session.ledger().currentRow());
        }
        QCOMPARE(visited, (QList<QPoint>{{2, 1}, {3, 1}, {4, 1}, {5, 1}, {1, 2}, {2, 2}}));
        QCOMPARE(f.cell(1, ColDays), QStringLiteral("-61"));
        // after the credit amount of the last row the cursor stays on it
        f.session.ledger().setCurrent(2, ColCredit);
        QVERIFY(f.session.guarded([&] { f.session.typeIntoLedger(u'\r'); }));
        QCOMPARE(f.session.ledger().currentRow(), 2);
        QCOMPARE(f.session.ledger().currentColumn(), int(ColTransactionDate));
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
