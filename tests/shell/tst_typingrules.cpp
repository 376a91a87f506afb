// What a key typed into the main window does, decided without a window.
#include "ledger/ledgertable.h"
#include "shell/typingrules.h"

#include <QtTest>

using namespace kervio;
using Role = Parameters::RateLinkRole;

Q_DECLARE_METATYPE(kervio::WindowField)
Q_DECLARE_METATYPE(kervio::KeyVerdict)
Q_DECLARE_METATYPE(kervio::Parameters::RateLinkRole)

namespace {

Regional dotDecimal()
{
    return Regional{u'.', u',', u'/'};
}

} // namespace

class TestTypingRules : public QObject {
    Q_OBJECT
private slots:
    // Every field's keys: a character typed into a field holding `kept`
    // characters besides its selection.
    void fieldKeys_data()
    {
        QTest::addColumn<WindowField>("field");
        QTest::addColumn<QString>("typed"); // "\r" Enter, "\b" Backspace, "" a key that types nothing
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("turkish");
        QTest::addColumn<KeyVerdict>("verdict");
        using F = WindowField;
        const auto pass = KeyVerdict::Pass, swallow = KeyVerdict::Swallow, moveOn = KeyVerdict::MoveFocusOn;
        QTest::newRow("company: any text") << F::CompanyName << "-" << 40 << true << pass;
        QTest::newRow("company: Enter moves on") << F::CompanyName << "\r" << 0 << true << moveOn;
        QTest::newRow("days: a digit") << F::DaysInYear << "7" << 2 << true << pass;
        QTest::newRow("days: the fourth digit") << F::DaysInYear << "7" << 3 << true << swallow;
        QTest::newRow("days: a letter") << F::DaysInYear << "a" << 0 << true << swallow;
        QTest::newRow("days: a decimal comma") << F::DaysInYear << "," << 0 << true << swallow;
        QTest::newRow("days: Backspace when full") << F::DaysInYear << "\b" << 3 << true << pass;
        QTest::newRow("days: Enter moves on") << F::DaysInYear << "\r" << 3 << true << moveOn;
        QTest::newRow("days: an arrow") << F::DaysInYear << "" << 3 << true << pass;
        QTest::newRow("grace days: four digits") << F::DebitGraceDays << "1" << 3 << true << pass;
        QTest::newRow("grace days: the fifth") << F::CreditGraceDays << "1" << 4 << true << swallow;
        QTest::newRow("grace days: a blank") << F::CreditGraceDays << " " << 0 << true << swallow;
        QTest::newRow("yearly rate: decimal comma") << F::YearlyRate << "," << 2 << true << pass;
        QTest::newRow("yearly rate: no dot in Turkish") << F::YearlyRate << "." << 2 << true << swallow;
        QTest::newRow("yearly rate: a dot where it is the separator") << F::YearlyRate << "." << 2 << false << pass;
        QTest::newRow("yearly rate: a minus sign") << F::YearlyRate << "-" << 0 << true << swallow;
        QTest::newRow("yearly rate: Enter stays") << F::YearlyRate << "\r" << 0 << true << pass;
        QTest::newRow("monthly rate: the ninth character") << F::MonthlyRate << "5" << 8 << true << swallow;
        QTest::newRow("calculation date: Enter stays") << F::CalculationDate << "\r" << 0 << true << pass;
        QTest::newRow("summary: Enter moves on") << F::SummaryResult << "\r" << 0 << true << moveOn;
        QTest::newRow("balancing rate: Enter moves on") << F::BalancingRate << "\r" << 0 << true << moveOn;
        QTest::newRow("average due date: Enter moves on") << F::AverageDueDate << "\r" << 0 << true << moveOn;
    }
    void fieldKeys()
    {
        QFETCH(WindowField, field);
        QFETCH(QString, typed);
        QFETCH(int, kept);
        QFETCH(bool, turkish);
        QFETCH(KeyVerdict, verdict);
        const QChar c = typed.isEmpty() ? QChar() : typed.at(0);
        QCOMPARE(fieldKey(fieldRules(field), c, kept, turkish ? Regional::turkish() : dotDecimal()), verdict);
    }

    // Which fields show the focus, and what they do to the rate link.
    void fieldFocus_data()
    {
        QTest::addColumn<WindowField>("field");
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<Role>("rateLink");
        using F = WindowField;
        QTest::newRow("company") << F::CompanyName << true << Role::None;
        QTest::newRow("days") << F::DaysInYear << true << Role::None;
        QTest::newRow("debit grace") << F::DebitGraceDays << true << Role::None;
        QTest::newRow("credit grace") << F::CreditGraceDays << true << Role::None;
        QTest::newRow("yearly rate") << F::YearlyRate << true << Role::Yearly;
        QTest::newRow("monthly rate") << F::MonthlyRate << true << Role::Monthly;
        QTest::newRow("a summary result") << F::SummaryResult << true << Role::Yearly;
        QTest::newRow("balancing rate") << F::BalancingRate << false << Role::None;
        QTest::newRow("calculation date") << F::CalculationDate << false << Role::None;
        QTest::newRow("average due date") << F::AverageDueDate << false << Role::None;
    }
    void fieldFocus()
    {
        QFETCH(WindowField, field);
        QFETCH(bool, highlighted);
        QFETCH(Role, rateLink);
        QCOMPARE(fieldRules(field).highlighted, highlighted);
        QCOMPARE(fieldRules(field).rateLink, rateLink);
    }

    // The grid's columns: amounts take digits and the decimal separator, the
    // computed columns nothing, the others anything.
    void ledgerColumns_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("debit digit") << int(ColDebit) << "5" << true;
        QTest::newRow("debit decimal comma") << int(ColDebit) << "," << true;
        QTest::newRow("credit thousands dot") << int(ColCredit) << "." << false;
        QTest::newRow("credit minus") << int(ColCredit) << "-" << false;
        QTest::newRow("credit letter") << int(ColCredit) << "a" << false;
        QTest::newRow("credit Arabic-Indic digit") << int(ColCredit) << QString(QChar(0x0663)) << false;
        QTest::newRow("credit Backspace") << int(ColCredit) << "\b" << true;
        QTest::newRow("description") << int(ColDescription) << "-" << true;
        QTest::newRow("date template") << int(ColTransactionDate) << "1" << true;
        QTest::newRow("days: nothing") << int(ColDays) << "1" << false;
        QTest::newRow("adat: not even Backspace") << int(ColCreditAdat) << "\b" << false;
        QTest::newRow("adat: a key that types nothing") << int(ColCreditAdat) << "" << true;
    }
    void ledgerColumns()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        const QChar c = typed.isEmpty() ? QChar() : typed.at(0);
        QCOMPARE(acceptsCharacter(ledgerColumnCharacters(column), c, Regional::turkish()), accepted);
    }

    void regroupedAmounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("turkish");
        QTest::addColumn<QString>("grouped"); // empty: left as it is
        QTest::newRow("two digits") << "12" << true << "";
        QTest::newRow("three digits") << "123" << true << "123";
        QTest::newRow("four digits") << "1234" << true << "1.234";
        QTest::newRow("regrouped after a fifth") << "1.2345" << true << "12.345";
        QTest::newRow("millions") << "1.234.567" << true << "1.234.567";
        QTest::newRow("a decimal separator stops it") << "1234,5" << true << "";
        QTest::newRow("a lone separator") << "12," << true << "";
        QTest::newRow("dot decimal") << "12345" << false << "12,345";
        QTest::newRow("dot decimal with its decimals") << "1234.5" << false << "";
    }
    void regroupedAmounts()
    {
        QFETCH(QString, text);
        QFETCH(bool, turkish);
        QFETCH(QString, grouped);
        const std::optional<QString> r = regroupedAmount(text, turkish ? Regional::turkish() : dotDecimal());
        QCOMPARE(r.has_value(), !grouped.isEmpty());
        if (r)
            QCOMPARE(*r, grouped);
    }

    void dateTemplate()
    {
        QCOMPARE(dateEditMask(u'.', u'_'), QStringLiteral("99\\.99\\.0000;_"));
        // a separator that is a mask letter stays a separator
        QCOMPARE(dateEditMask(u'a', u'_'), QStringLiteral("99\\a99\\a0000;_"));
    }
};

QTEST_GUILESS_MAIN(TestTypingRules)
#include "tst_typingrules.moc"
