// What a watch makes of a device whose netmask and gateway reads went unanswered once.
#include "cli/watch_tracker.h"

#include <gtest/gtest.h>

TEST(WatchTracker, AnUnansweredReadIsNoChangeButAnotherValueIs) {
    cli::WatchTracker tracker;
    report::DeviceRow device;
    device.mac = "02-00-00-00-00-01";
    device.ip = "10.0.0.1";
    device.netmask = "255.0.0.0";
    device.gateway = "10.0.0.254";
    ASSERT_EQ(tracker.update({device}).size(), 1u); // appeared

    report::DeviceRow unread = device;
    unread.netmask.reset();
    unread.gateway.reset();
    EXPECT_TRUE(tracker.update({unread}).empty());

    unread.netmask = "255.255.0.0";
    const auto changes = tracker.update({unread});
    ASSERT_EQ(changes.size(), 1u);
    ASSERT_EQ(changes[0].changes.size(), 1u);
    EXPECT_EQ(changes[0].changes[0].from, "255.0.0.0");
}
