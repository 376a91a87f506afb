#include "common/processlocale.h"
#include "core/numericlocale.h"
#include "ledger/regional.h"

#include <QtTest>

using namespace kervio;

namespace {

// The locale the environment names for numbers, as the C library picks it.
QByteArray environmentNumericLocale()
{
    for (const char *name : {"LC_ALL", "LC_NUMERIC", "LANG"})
        if (!qEnvironmentVariableIsEmpty(name))
            return qgetenv(name);
    return "C";
}

} // namespace

class TestRegional : public QObject {
    Q_OBJECT
private slots:
    // The separators a locale gives; the C locale stands for no regional
    // settings at all and gives the Turkish ones.
    void fromLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("separators"); // decimal, thousands, date
        QTest::newRow("tr") << QLocale(QLocale::Turkish, QLocale::Turkey) << ",..";
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << ".,/";
        QTest::newRow("de") << QLocale(QLocale::German, QLocale::Germany) << ",..";
        QTest::newRow("C") << QLocale::c() << ",..";
    }
    void fromLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, separators);
        const Regional r = Regional::fromLocale(locale);
        QCOMPARE(QString(r.decimal) + r.thousands + r.date, separators);
    }

    // The separators follow the environment, also after the program has set
    // the C library's numbers back to the C locale.
    void systemSeparatorsAfterTheCLibraryWasSetBack()
    {
        KERVIO_SET_PROCESS_LOCALE(turkish, "tr_TR.UTF-8");
        useCNumericLocaleInProcess();
        const QByteArray env = environmentNumericLocale();
        const Regional reg = Regional::system();
        if (env.startsWith("tr_TR"))
            QCOMPARE(reg, Regional::turkish());
        else if (env.startsWith("en_US"))
            QCOMPARE(reg, (Regional{u'.', u',', u'/'}));
        else if (env.startsWith("C") || env == "POSIX")
            QCOMPARE(reg, Regional::turkish());
    }
};

QTEST_GUILESS_MAIN(TestRegional)
#include "tst_regional.moc"
