// When the environment query goes out.
#include "device/environmentqueryschedule.h"

#include <QTest>

class TestEnvironmentQuery : public QObject {
    Q_OBJECT

private slots:
    void everyPeriodWhileConnected();
    void rightAfterAReport();
    void countsOnWhileNotConnected();
};

// Ticks until the schedule says send; returns how many it took (0: not within `limit`).
static int TicksUntilSent(EnvironmentQuerySchedule &schedule, bool connected, int limit = 100)
{
    for (int tick = 1; tick <= limit; ++tick) {
        if (schedule.tick(connected))
            return tick;
    }
    return 0;
}

void TestEnvironmentQuery::everyPeriodWhileConnected()
{
    EnvironmentQuerySchedule schedule;
    QCOMPARE(TicksUntilSent(schedule, true), 25);
    QCOMPARE(schedule.ticks(), 0);
    QCOMPARE(TicksUntilSent(schedule, true), 25);
}

void TestEnvironmentQuery::rightAfterAReport()
{
    EnvironmentQuerySchedule schedule;
    schedule.tick(true);
    schedule.requestNow();
    QVERIFY(schedule.tick(true));
    QVERIFY(!schedule.queryNow());
    QCOMPARE(TicksUntilSent(schedule, true), 25);
}

// Connecting after 30 seconds: the counter stands at 30, the query follows the report at the
// next tick, and from then on every 25 ticks.
void TestEnvironmentQuery::countsOnWhileNotConnected()
{
    EnvironmentQuerySchedule schedule;
    QCOMPARE(TicksUntilSent(schedule, false, 30), 0);
    QCOMPARE(schedule.ticks(), 30);
    schedule.requestNow();
    QVERIFY(schedule.tick(true));
    QCOMPARE(TicksUntilSent(schedule, true), 25);
}

QTEST_GUILESS_MAIN(TestEnvironmentQuery)
#include "tst_environmentquery.moc"
