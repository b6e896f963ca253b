// One program of the family on a port at a time, the holder named to the one refused.
#include "platform/port_lock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using platform::PortLock;

TEST(PortLock, TheSecondProgramIsToldWhoHoldsThePortUntilItIsGivenBack) {
    QTemporaryDir folder;
    PortLock first(folder.path() + QStringLiteral("/runtime"), 55808);
    PortLock second(folder.path() + QStringLiteral("/runtime"), 55808);
    PortLock otherPort(folder.path() + QStringLiteral("/runtime"), 55809);
    ASSERT_EQ(first.acquire("torvanescan", "scanning", 0), PortLock::Outcome::Held)
        << first.failure().toStdString();
    // Taken again while held, the lock only tells what is done now.
    EXPECT_EQ(first.acquire("torvanescan", "changing", 0), PortLock::Outcome::Held);
    EXPECT_EQ(second.acquire("torvane-cli", "scanning", 30), PortLock::Outcome::InUse);
    EXPECT_EQ(platform::portInUseText(second.port(), second.holder()),
              QStringLiteral("UDP port 55808 is in use by torvanescan (pid %1, changing)")
                  .arg(::getpid()));
    EXPECT_EQ(otherPort.acquire("torvane-cli", "scanning", 0), PortLock::Outcome::Held);

    first.release();
    EXPECT_EQ(second.acquire("torvane-cli", "blinking", 0), PortLock::Outcome::Held);
    EXPECT_FALSE(first.held());
}
