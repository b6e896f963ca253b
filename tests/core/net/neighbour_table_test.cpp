#include "net/neighbour_probe.h"

#include <gtest/gtest.h>

// Only entries of the adapter's interface that hold a link-layer address count: an
// unanswered resolution (flags 0x0) or an entry without address is no host.
TEST(NeighbourTable, ResolvedEntriesOfOneInterface) {
    const QString table =
        "IP address       HW type     Flags       HW address            Mask     Device\n"
        "10.77.0.50       0x1         0x2         5e:00:53:00:00:01     *        tvpc0a\n"
        "10.77.0.51       0x1         0x0         00:00:00:00:00:00     *        tvpc0a\n"
        "10.77.0.52       0x1         0x6         5e:00:53:00:00:02     *        tvpc0a\n"
        "10.77.0.53       0x1         0x2         00:00:00:00:00:00     *        tvpc0a\n"
        "10.78.0.50       0x1         0x2         5e:00:53:00:00:03     *        tvpc0b\n";
    const QList<net::NeighbourAnswer> answers = net::resolvedNeighbours(table, "tvpc0a");
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0].ip, "10.77.0.50");
    EXPECT_EQ(answers[0].mac, "5E-00-53-00-00-01");
    EXPECT_EQ(answers[1].ip, "10.77.0.52");
}
