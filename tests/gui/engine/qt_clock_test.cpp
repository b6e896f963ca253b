// The clock of the running program, on the event loop.
#include "engine/clock.h"
#include "engine/qt_clock.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(QtClock, RunsCallbacksFromTheEventLoopInTheirOrderAndNeverACancelledOne) {
    engine::QtClock clock;
    QStringList ran;
    clock.start(20, [&] { ran << "late"; });
    const auto cancelled = clock.start(5, [&] { ran << "cancelled"; });
    clock.start(0, [&] { ran << "at once"; });
    clock.cancel(cancelled);
    clock.cancel(12345); // unknown: nothing happens
    EXPECT_TRUE(ran.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 5000));
    EXPECT_EQ(ran, (QStringList{"at once", "late"}));
}

TEST(QtClock, ARepeatingTimerKeepsTickingUntilStoppedFromItsOwnCallback) {
    engine::QtClock clock;
    engine::Timer timer(clock);
    int ticks = 0;
    timer.startRepeating(1, [&] {
        if (++ticks == 3)
            timer.stop();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !timer.isActive(); }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(ticks, 3);

    // A timer destroyed while waiting never calls back.
    bool called = false;
    {
        engine::Timer gone(clock);
        gone.startOnce(0, [&] { called = true; });
    }
    QTest::qWait(10);
    EXPECT_FALSE(called);
}
