// The host's interfaces as a namespace with only loopback shows them.
#include "net/local_interfaces.h"

#include "interface_record.h"
#include "support/test_network.h"

#include <net/if.h>

#include <gtest/gtest.h>

using net::tNetworkInterface;
using net::tNetworkInterfaceList;
using testsupport::TestNetwork;

namespace {

TEST(LocalIpsOnLoopbackOnly, LoopbackIsLeftOutAndTheHostNameAddressStandsIn) {
    const auto network = TestNetwork::tier1();
    network->devices().addAddress("10.9.0.7/32");
    QStringList lines{"stale"};
    EXPECT_TRUE(net::GetLocalIPs(lines));
    EXPECT_EQ(lines, QStringList({"127.0.0.1"}));
}

TEST(NetworkInterfacesOnLoopbackOnly, TheLoopbackRecordIsComplete) {
    tNetworkInterfaceList list{tNetworkInterface{}};
    ASSERT_TRUE(net::getNetworkInterfaces(list));
    ASSERT_EQ(list.size(), 1);
    const tNetworkInterface& loopback = list.front();
    EXPECT_EQ(loopback.AddrIP, "127.0.0.1");
    EXPECT_EQ(loopback.SubnetMask, "255.0.0.0");
    EXPECT_EQ(loopback.AddrNet, "127.0.0.0");
    EXPECT_EQ(loopback.AddrDirectedBroadcast, "127.255.255.255");
    EXPECT_EQ(loopback.AddrLimitedBroadcast, QString()) << "loopback reports none";
    EXPECT_TRUE(loopback.IsInterfaceUp);
    EXPECT_TRUE(loopback.IsLoopback);
    EXPECT_FALSE(loopback.BroadcastSupport);
    EXPECT_EQ(loopback.InterfaceName, "lo");
    EXPECT_EQ(loopback.InterfaceIndex, int(if_nametoindex("lo")));
    EXPECT_FALSE(loopback.ComputerName.isEmpty());
}

TEST(NetworkInterfacesOnLoopbackOnly, EveryAddressIsListedWithoutALimit) {
    constexpr int kAddresses = 40;
    const auto network = TestNetwork::tier1();
    for (int i = 1; i <= kAddresses; ++i)
        network->devices().addAddress("10.20.0." + std::to_string(i) + "/32");
    tNetworkInterfaceList list;
    ASSERT_TRUE(net::getNetworkInterfaces(list));
    EXPECT_EQ(list.size(), kAddresses + 1);
    for (int i = 1; i <= kAddresses; ++i) {
        const tNetworkInterface* one = recordFor(list, QStringLiteral("10.20.0.%1").arg(i));
        ASSERT_NE(one, nullptr) << i;
        EXPECT_EQ(one->SubnetMask, "255.255.255.255");
        EXPECT_EQ(one->AddrNet, one->AddrIP);
        EXPECT_EQ(one->AddrDirectedBroadcast, one->AddrIP);
    }
}

} // namespace
