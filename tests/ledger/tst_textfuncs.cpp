#include "core/errors.h"
#include "core/numericlocale.h"
#include "ledger/regional.h"
#include "ledger/textfuncs.h"

#include <QtTest>
#include <limits>

using namespace kervio;

namespace {
const Regional TR = Regional::turkish();
Regional dotSlash()
{
    Regional r;
    r.decimal = u'.';
    r.thousands = u',';
    r.date = u'/';
    return r;
}
QString raised(const std::function<void()> &f)
{
    try {
        f();
    } catch (const KervioError &e) {
        return e.text();
    }
    return {};
}
} // namespace

class TestTextFuncs : public QObject {
    Q_OBJECT
private slots:
    void amounts_data()
    {
        QTest::addColumn<bool>("turkish");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("grouped") << true << "1.234,56" << 1234.56;
        QTest::newRow("negative") << true << "-12,5" << -12.5;
        QTest::newRow("letters inside") << true << "12a3" << 123.0;
        QTest::newRow("letters only") << true << "abc" << 0.0;
        QTest::newRow("empty") << true << "" << 0.0;
        QTest::newRow("plus") << true << "+7" << 7.0;
        QTest::newRow("trailing minus") << true << "7-" << 7.0;
        QTest::newRow("lone separator") << true << "," << 0.0;
        QTest::newRow("dot decimal") << false << "1,234.56" << 1234.56;
        QTest::newRow("dot decimal negative") << false << "-0.5" << -0.5;
        // the general format's E notation is the number it names
        QTest::newRow("E notation") << true << "1E18" << 1e18;
        QTest::newRow("E notation negative") << true << "-3,35E18" << -3.35e18;
        QTest::newRow("E notation small") << true << "8,33333333333333E-6" << 8.33333333333333e-6;
        QTest::newRow("E notation dot decimal") << false << "1.5E-7" << 1.5e-7;
        QTest::newRow("E without exponent digits") << true << "12E" << 12.0;
    }
    void amounts()
    {
        QFETCH(bool, turkish);
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(parseAmount(text, turkish ? TR : dotSlash()), value);
    }

    void parseErrors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("lone minus") << "-" << "'-' is not a valid floating point value";
        QTest::newRow("two separators") << "1,2,3" << "'1,2,3' is not a valid floating point value";
        QTest::newRow("grouping dropped first") << "1.2,3,4x" << "'12,3,4' is not a valid floating point value";
    }
    void parseErrors()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QCOMPARE(raised([&] { parseAmount(text, TR); }), message);
    }

    void digitsOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("date") << "05.03.2024" << 5032024.0;
        QTest::newRow("comma") << "1,5" << 15.0;
        QTest::newRow("blanks") << "  " << 0.0;
        QTest::newRow("signed") << "-05" << -5.0;
    }
    void digitsOnly()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(parseDigits(text), value);
    }

    void validDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("leap day") << "29.02.2024" << true;
        QTest::newRow("no leap day") << "29.02.2023" << false;
        QTest::newRow("31 april") << "31.04.2024" << false;
        QTest::newRow("day zero") << "00.01.2024" << false;
        QTest::newRow("month 13") << "01.13.2024" << false;
        QTest::newRow("slash separators") << "31/12/2024" << true;
        QTest::newRow("century rule") << "29.02.1900" << false;
        QTest::newRow("400 rule") << "29.02.2000" << true;
        // read as integers, not only as digits
        QTest::newRow("blank before the day") << " 1.02.2024" << true;
        QTest::newRow("signed month") << "01.+2.2024" << true;
        QTest::newRow("year 0") << "01.02.0000" << false;
        QTest::newRow("text after the year") << "29.02.2024 x" << true;
    }
    void validDate()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidDateText(text), valid);
    }
    void validDateRaisesOnNonInteger()
    {
        QCOMPARE(raised([] { isValidDateText(QStringLiteral("ab.01.2024")); }),
                 QStringLiteral("'ab' is not a valid integer value"));
        QCOMPARE(raised([] { isValidDateText(QStringLiteral("01.01")); }),
                 QStringLiteral("'' is not a valid integer value"));
    }

    void pad()
    {
        QCOMPARE(padLeft(5, QStringLiteral("abc")), QStringLiteral("  abc"));
        QCOMPARE(padRight(5, QStringLiteral("abc")), QStringLiteral("abc  "));
        QCOMPARE(padRight(2, QStringLiteral("abc")), QStringLiteral("abc"));
        QCOMPARE(padLeft(2, QStringLiteral("abc")), QStringLiteral("abc"));
    }

    void formats_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("turkish");
        QTest::addColumn<QString>("dotted");
        QTest::newRow("grouped amount") << "#,##0.00" << -1234.5 << "-1.234,50" << "-1,234.50";
        QTest::newRow("half away from zero") << "#,##0.00" << 2.675 << "2,68" << "2.68";
        QTest::newRow("eighth") << "#,##0.00" << 0.125 << "0,13" << "0.13";
        QTest::newRow("negative half") << "#,##0.00" << -0.125 << "-0,13" << "-0.13";
        QTest::newRow("no minus on zero") << "#,##0.00" << -0.001 << "0,00" << "0.00";
        QTest::newRow("millions") << "#,##0.00" << 1234567.891 << "1.234.567,89" << "1,234,567.89";
        QTest::newRow("carry") << "#,##0.00" << 999.995 << "1.000,00" << "1,000.00";
        QTest::newRow("whole") << "#,##0" << -169.0 << "-169" << "-169";
        QTest::newRow("whole grouped") << "#,##0" << 12345.0 << "12.345" << "12,345";
        QTest::newRow("whole half") << "#,##0" << 2.5 << "3" << "3";
        QTest::newRow("optional int") << "#,###.00" << 0.5 << ",50" << ".50";
        QTest::newRow("optional int zero") << "#,###.00" << 0.0 << ",00" << ".00";
        QTest::newRow("optional int grouped") << "#,###.00" << 389.59 << "389,59" << "389.59";
        QTest::newRow("tiny") << "#,##0.00" << 0.000001 << "0,00" << "0.00";
        // every size keeps all its places; beyond 15 significant digits zeros
        QTest::newRow("10^18") << "#,##0.00" << 1e18 << "1.000.000.000.000.000.000,00" << "1,000,000,000,000,000,000.00";
        QTest::newRow("10^20 whole") << "#,##0" << 1e20 << "100.000.000.000.000.000.000" << "100,000,000,000,000,000,000";
        QTest::newRow("negative interest number") << "#,##0.00" << -3.35e18 << "-3.350.000.000.000.000.000,00"
                                                  << "-3,350,000,000,000,000,000.00";
        QTest::newRow("19 digits at 15") << "#,##0.00" << 1234567890123456789.0 << "1.234.567.890.123.460.000,00"
                                         << "1,234,567,890,123,460,000.00";
        QTest::newRow("carry at 15 digits") << "#,##0" << 9.999999999999999e22 << "100.000.000.000.000.000.000.000"
                                            << "100,000,000,000,000,000,000,000";
        QTest::newRow("17 digits") << "#,##0.00" << 12345678901234567.0 << "12.345.678.901.234.600,00"
                                   << "12,345,678,901,234,600.00";
        QTest::newRow("largest double") << "#,###.00" << std::numeric_limits<double>::max()
                                        << "179.769.313.486.232" + QString(".000").repeated(98) + ",00"
                                        << "179,769,313,486,232" + QString(",000").repeated(98) + ".00";
    }
    void formats()
    {
        QFETCH(QString, picture);
        QFETCH(double, value);
        QFETCH(QString, turkish);
        QFETCH(QString, dotted);
        QCOMPARE(formatPicture(picture, value, TR), turkish);
        QCOMPARE(formatPicture(picture, value, dotSlash()), dotted);
    }

    // The formats against a plain reference: the value's 15-digit decimal
    // form, rounded half away from zero by hand.
    void formatsAgainstReference()
    {
        auto reference = [](double v, int decimals) {
            char buf[64];
            {
                const CNumericLocale cNumbers; // a decimal point whatever the environment
                std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
            }
            QString mant = QString::fromLatin1(buf).section(u'e', 0, 0).remove(u'.');
            const int exp = QString::fromLatin1(buf).section(u'e', 1).toInt();
            // digits with the point after position exp+1, padded with zeros
            QString digits = mant;
            int point = exp + 1;
            if (point <= 0) {
                digits = QString(-point + 1, u'0') + digits;
                point = 1;
            }
            while (digits.size() < point + decimals + 1)
                digits += u'0';
            QString kept = digits.left(point + decimals);
            if (digits[point + decimals] >= u'5') {
                int i = kept.size() - 1;
                while (i >= 0 && kept[i] == u'9')
                    kept[i--] = u'0';
                if (i >= 0)
                    kept[i] = QChar(kept[i].unicode() + 1);
                else
                    kept.prepend(u'1');
            }
            QString ip = kept.left(kept.size() - decimals), fp = kept.right(decimals);
            while (ip.size() > 1 && ip[0] == u'0')
                ip.remove(0, 1);
            if (ip.isEmpty())
                ip = QStringLiteral("0");
            QString grouped;
            for (int i = 0; i < ip.size(); ++i) {
                if (i > 0 && (ip.size() - i) % 3 == 0)
                    grouped += u'.';
                grouped += ip[i];
            }
            const bool zero = (ip + fp).count(u'0') == (ip + fp).size();
            return (v < 0 && !zero ? QStringLiteral("-") : QString()) + grouped +
                   (decimals ? QStringLiteral(",") + fp : QString());
        };
        QRandomGenerator rng(11);
        for (int i = 0; i < 200000; ++i) {
            double v;
            switch (i % 5) {
            case 0: v = double(int64_t(rng.generate64() % 2000000000000LL) - 1000000000000LL) / 1000; break;
            case 1: v = (double(rng.bounded(100000000)) + 0.5) / 100; break; // ties at the third decimal
            case 2: v = std::ldexp(rng.generateDouble(), int(rng.bounded(90)) - 30); break;
            case 3: v = std::ldexp(rng.generateDouble(), int(rng.bounded(1000))); break; // up to 10^300
            default: v = double(rng.bounded(1000000)) * (double(int(rng.bounded(4000)) - 2000)) * 24 / 36500; break;
            }
            if (i % 7 == 0)
                v = -v;
            QCOMPARE(formatAmount(v, TR), reference(v, 2));
            QCOMPARE(formatWhole(v, TR), reference(v, 0));
        }
    }

    void general_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 2.0 << "2";
        QTest::newRow("half") << 2.5 << "2,5";
        QTest::newRow("15 digits") << 25.0 / 12 << "2,08333333333333";
        QTest::newRow("negative") << -61.0 << "-61";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("small fixed") << 0.00001 << "0,00001";
        QTest::newRow("smaller is E") << 0.000001 << "1E-6";
        QTest::newRow("big E") << 1e20 << "1E20";
        QTest::newRow("monthly") << 67.5926 / 12 << "5,63271666666667";
        QTest::newRow("fifteen integer digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("sixteen integer digits") << 1234567890123456.0 << "1,23456789012346E15";
        QTest::newRow("negative E") << -3.35e18 << "-3,35E18";
    }
    void general()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(generalNumberText(value, TR), text);
        QCOMPARE(generalNumberText(value, dotSlash()), QString(text).replace(u',', u'.'));
    }

    // Whatever a format writes, parseAmount reads back as the written
    // value, and formatting that again gives the same text.
    void readsBackWhatItWrites_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("worked example") << 401.1;
        QTest::newRow("10^18") << 1e18;
        QTest::newRow("19 digits") << -1234567890123456789.0;
        QTest::newRow("10^20") << 1e20;
        QTest::newRow("10^300") << 1e300;
        QTest::newRow("tiny") << 1.5e-7;
        QTest::newRow("monthly of a tiny yearly rate") << 0.0001 / 12;
        QTest::newRow("sixteen digits") << 1234567890123456.0;
    }
    void readsBackWhatItWrites()
    {
        QFETCH(double, value);
        for (const Regional &reg : {TR, dotSlash()}) {
            const QString amount = formatAmount(value, reg);
            QVERIFY2(!amount.contains(u'E'), qPrintable(amount));
            QCOMPARE(formatAmount(parseAmount(amount, reg), reg), amount);
            QVERIFY2(std::fabs(parseAmount(amount, reg) - value) <= std::fabs(value) * 1e-14 + 0.005, qPrintable(amount));
            const QString whole = formatWhole(value, reg);
            QCOMPARE(formatWhole(parseAmount(whole, reg), reg), whole);
            const QString general = generalNumberText(value, reg);
            QCOMPARE(parseAmount(general, reg), parseNumber(general, reg));
            QVERIFY2(std::fabs(parseAmount(general, reg) - value) <= std::fabs(value) * 1e-14, qPrintable(general));
        }
    }

    // A text taken as already formatted must be exactly what formatting its
    // value writes; anything else goes through the conversion.
    void formattedAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("formatted");
        QTest::newRow("zero") << "0,00" << true;
        QTest::newRow("small") << "0,05" << true;
        QTest::newRow("negative") << "-401,10" << true;
        QTest::newRow("grouped") << "1.234.567,89" << true;
        QTest::newRow("15 digits") << "1.234.567.890.123,45" << true;
        QTest::newRow("16 digits") << "12.345.678.901.234,56" << false;
        QTest::newRow("negative zero") << "-0,00" << false;
        QTest::newRow("ungrouped") << "1234,00" << false;
        QTest::newRow("group of two") << "12.34,00" << false;
        QTest::newRow("leading zero") << "01,00" << false;
        QTest::newRow("leading group separator") << ".123,00" << false;
        QTest::newRow("one decimal") << "10,5" << false;
        QTest::newRow("three decimals") << "10,500" << false;
        QTest::newRow("no decimals") << "10" << false;
        QTest::newRow("plus sign") << "+10,00" << false;
        QTest::newRow("blank") << " 10,00" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("sign only") << "-,00" << false;
    }
    void formattedAmount()
    {
        QFETCH(QString, text);
        QFETCH(bool, formatted);
        QCOMPARE(isFormattedAmount(text, TR), formatted);
        const QString other = QString(text).replace(u'.', u'#').replace(u',', u'.').replace(u'#', u',');
        QCOMPARE(isFormattedAmount(other, dotSlash()), formatted);
        if (formatted)
            QCOMPARE(formatAmount(parseAmount(text, TR), TR), text);
    }
    // every value of up to 15 digits formats to a text taken as formatted
    void formattedAmountOfValues()
    {
        quint64 x = 88172645463325252ULL;
        for (int i = 0; i < 20000; ++i) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            const double v = double(qint64(x % 2000000000000000ULL) - 1000000000000000LL) / 100 / double(1 + i % 1000);
            const QString t = formatAmount(v, TR);
            if (isFormattedAmount(t, TR))
                QCOMPARE(formatAmount(parseAmount(t, TR), TR), t);
            else
                QVERIFY2(t.count(QRegularExpression(QStringLiteral("[0-9]"))) > 15, qPrintable(t));
        }
    }

    // The short way to a date agrees with the calendar's, also on the
    // dates that do not exist.
    void gregorianDateAsQDate()
    {
        for (int year : {1, 2, 3, 4, 99, 100, 101, 399, 400, 1600, 1700, 1899, 1900, 2000, 2023, 2024, 2100, 2400, 9999}) {
            for (int month = 0; month <= 13; ++month)
                for (int day = 0; day <= 32; ++day)
                    QCOMPARE(gregorianDate(year, month, day), QDate(year, month, day));
        }
        for (QDate d(1, 1, 1); d.year() < 9999; d = d.addDays(97))
            QCOMPARE(gregorianDate(d.year(), d.month(), d.day()), d);
        QCOMPARE(gregorianDate(0, 1, 1), QDate(0, 1, 1));
        QCOMPARE(gregorianDate(10000, 1, 1), QDate(10000, 1, 1));
        QCOMPARE(gregorianDate(-5, 3, 1), QDate(-5, 3, 1));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "24" << true << 24.0;
        QTest::newRow("decimal") << "1,75" << true << 1.75;
        QTest::newRow("blanks around") << " 24 " << true << 24.0;
        QTest::newRow("lone separator") << "," << true << 0.0;
        QTest::newRow("two separators") << "1,2,3" << false << 0.0;
        QTest::newRow("grouping refused") << "1.000" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("exponent") << "1E3" << true << 1000.0;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double v = -1;
        QCOMPARE(tryParseNumber(text, TR, &v), ok);
        if (ok)
            QCOMPARE(v, value);
        else
            QCOMPARE(raised([&] { parseNumber(text, TR); }),
                     QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }

    void roundingAndDivision()
    {
        QCOMPARE(roundHalfEven(-2.5), int64_t(-2));
        QCOMPARE(roundHalfEven(3.5), int64_t(4));
        QCOMPARE(roundHalfEven(-169.29), int64_t(-169));
        QCOMPARE(raised([] { roundHalfEven(1e19); }), QStringLiteral("Invalid floating point operation"));
        QCOMPARE(raised([] { divide(1, 0); }), QStringLiteral("Floating point division by zero"));
        QCOMPARE(raised([] { divide(0, 0); }), QStringLiteral("Invalid floating point operation"));
    }

    void dates()
    {
        QCOMPARE(dateToText(QDate(2024, 3, 7), TR), QStringLiteral("07.03.2024"));
        QCOMPARE(dateToText(QDate(2024, 3, 7), dotSlash()), QStringLiteral("07/03/2024"));
    }
};

QTEST_GUILESS_MAIN(TestTextFuncs)
#include "tst_textfuncs.moc"
