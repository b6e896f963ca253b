#include "platform/monitors.h"

#include "support/fixed_monitors.h"

#include <gtest/gtest.h>

using namespace platform;
using testsupport::FixedMonitors;

namespace {

// Two side by side and a third above the second, with a gap between.
const FixedMonitors kLayout({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024),
                             QRect(1920, -1200, 1600, 1000)});

TEST(Monitors, CountAndDesktopRectangle) {
    EXPECT_EQ(monitorCount(kLayout), 3);
    EXPECT_EQ(desktopRect(kLayout), QRect(QPoint(0, -1200), QPoint(3519, 1079)));
    const FixedMonitors none({});
    EXPECT_EQ(monitorCount(none), 0);
    EXPECT_TRUE(desktopRect(none).isEmpty());
}

TEST(Monitors, NearestIsTheOneSharingMostAreaElseTheClosest) {
    EXPECT_EQ(nearestMonitor(kLayout, QRect(100, 100, 800, 600)), 0);
    EXPECT_EQ(nearestMonitor(kLayout, QRect(1800, 100, 800, 600)), 1);
    EXPECT_EQ(nearestMonitor(kLayout, QRect(1500, 100, 800, 600)), 0); // 420 px vs 380 px
    EXPECT_EQ(nearestMonitor(kLayout, QRect(2000, -700, 400, 400)), 2);
    // Off every monitor: the closest one.
    EXPECT_EQ(nearestMonitor(kLayout, QRect(-500, 500, 100, 100)), 0);
    EXPECT_EQ(nearestMonitor(kLayout, QRect(3300, 1500, 100, 100)), 1);
    EXPECT_EQ(nearestMonitor(kLayout, QRect(2100, -1500, 100, 100)), 2);
    EXPECT_EQ(nearestMonitor(FixedMonitors({}), QRect(0, 0, 10, 10)), 0);
}

} // namespace
