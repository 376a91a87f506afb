#include "common/processlocale.h"
#include "core/numericlocale.h"

#include <QtTest>
#include <cstdio>
#include <cstdlib>

using namespace kervio;

namespace {

QByteArray printed(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.16G", v);
    return buf;
}

} // namespace

class TestNumericLocale : public QObject {
    Q_OBJECT
private slots:
    // What the program's entry does after making its application object:
    // the C library prints a decimal point.
    void processBackToC()
    {
        KERVIO_SET_PROCESS_LOCALE(turkish, "tr_TR.UTF-8");
        QCOMPARE(printed(401.1), QByteArray("401,1")); // what a Turkish desktop gives
        useCNumericLocaleInProcess();
        QCOMPARE(printed(401.1), QByteArray("401.1"));
        QCOMPARE(std::strtod("389.59", nullptr), 389.59);
    }

    // The guard changes numbers on this thread only while it lives.
    void scopedToTheThread()
    {
        KERVIO_SET_PROCESS_LOCALE(turkish, "tr_TR.UTF-8");
        {
            const CNumericLocale cNumbers;
            QCOMPARE(printed(15.75), QByteArray("15.75"));
            QCOMPARE(std::strtod("0.7", nullptr), 0.7);
            QByteArray other;
            QThread *t = QThread::create([&] { other = printed(15.75); });
            t->start();
            t->wait();
            delete t;
            QCOMPARE(other, QByteArray("15,75"));
            {
                const CNumericLocale nested;
                QCOMPARE(printed(0.5), QByteArray("0.5"));
            }
            QCOMPARE(printed(0.5), QByteArray("0.5"));
        }
        QCOMPARE(printed(15.75), QByteArray("15,75"));
    }
};

QTEST_GUILESS_MAIN(TestNumericLocale)
#include "tst_numericlocale.moc"
