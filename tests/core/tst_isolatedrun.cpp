#include "core/isolatedrun.h"

#include <QTest>

#include <cstdlib>
#include <thread>

using namespace kervio;

class TestIsolatedRun : public QObject {
    Q_OBJECT

private slots:
    void outputAndExitCodeComeBack()
    {
        // more than one block, so the parent reads while the child writes
        QByteArray sent(200 * 1024, 'k');
        sent[7] = '\0';
        const std::optional<IsolatedResult> r = runIsolated(
            [&](IsolatedOutput &out) {
                out.append(sent.constData(), size_t(sent.size()));
                return 3;
            },
            1024 * 1024);
        QVERIFY(r);
        QCOMPARE(r->exitCode, 3);
        QCOMPARE(r->output, sent);
    }

    void childFailuresAreFailedRuns_data()
    {
        QTest::addColumn<int>("failure");
        QTest::newRow("crash") << 0;
        QTest::newRow("hang") << 1;
        QTest::newRow("too much output") << 2;
    }
    void childFailuresAreFailedRuns()
    {
        QFETCH(int, failure);
        int touched = 0;
        const std::optional<IsolatedResult> r = runIsolated(
            [&](IsolatedOutput &out) {
                touched = 1; // the child's memory is its own
                out.append("ab", 2);
                out.flush();
                if (failure == 0)
                    std::abort();
                if (failure == 1)
                    std::this_thread::sleep_for(std::chrono::seconds(30));
                out.append(QByteArray(4096, 'x').constData(), 4096);
                return 0;
            },
            1024, 300);
        QVERIFY(!r);
        QCOMPARE(touched, 0);
    }
};

QTEST_GUILESS_MAIN(TestIsolatedRun)
#include "tst_isolatedrun.moc"
