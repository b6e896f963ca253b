// The host's interfaces on a PC with two adapters and a third one that is down.
#include "engine/destination.h"
#include "net/local_interfaces.h"

#include "interface_record.h"
#include "statelog/log_buffer.h"
#include "support/test_network.h"

#include <net/if.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

using net::tNetworkInterface;
using net::tNetworkInterfaceList;
using testsupport::runCommand;
using testsupport::TestNetwork;

namespace {

class InterfacesOfTwoAdapters : public ::testing::Test {
protected:
    void SetUp() override {
        std::string whyNot;
        network = TestNetwork::tier2(&whyNot);
        if (!network)
            GTEST_SKIP() << whyNot;
        second = network->otherSegment().pcInterface();
        // A second address with a subnet of its own and the broadcast address it implies.
        ASSERT_NO_THROW(
            runCommand({"ip", "addr", "add", "10.1.2.3/16", "brd", "+", "dev", second}));
        ASSERT_NO_THROW(
            runCommand({"ip", "link", "add", down, "type", "veth", "peer", "name", down + "p"}));
        ASSERT_NO_THROW(runCommand({"ip", "addr", "add", "172.16.0.1/24", "dev", down}));
    }

    void TearDown() override {
        if (network) {
            EXPECT_NO_THROW(runCommand({"ip", "link", "del", down}));
        }
    }

    const std::string down = "tvdown0";
    std::unique_ptr<TestNetwork> network;
    std::string second;
};

TEST_F(InterfacesOfTwoAdapters, LocalIpsAreTheAddressesOfInterfacesThatAreUpInTheSystemsOrder) {
    QStringList lines;
    EXPECT_TRUE(net::GetLocalIPs(lines));
    EXPECT_EQ(lines, QStringList({"10.77.0.1", "10.78.0.1", "10.1.2.3"}));
}

TEST_F(InterfacesOfTwoAdapters, EveryAddressIsListedWithItsInterface) {
    tNetworkInterfaceList list;
    ASSERT_TRUE(net::getNetworkInterfaces(list));
    QStringList addresses;
    for (const tNetworkInterface& one : list)
        addresses.append(one.AddrIP);
    EXPECT_EQ(addresses,
              QStringList({"127.0.0.1", "10.77.0.1", "10.78.0.1", "10.1.2.3", "172.16.0.1"}));

    const tNetworkInterface* withBroadcast = recordFor(list, "10.1.2.3");
    ASSERT_NE(withBroadcast, nullptr);
    EXPECT_EQ(withBroadcast->SubnetMask, "255.255.0.0");
    EXPECT_EQ(withBroadcast->AddrNet, "10.1.0.0");
    EXPECT_EQ(withBroadcast->AddrDirectedBroadcast, "10.1.255.255");
    EXPECT_EQ(withBroadcast->AddrLimitedBroadcast, "10.1.255.255");
    EXPECT_TRUE(withBroadcast->IsInterfaceUp);
    EXPECT_TRUE(withBroadcast->BroadcastSupport);
    EXPECT_FALSE(withBroadcast->IsLoopback);
    EXPECT_EQ(withBroadcast->InterfaceName, QString::fromStdString(second));
    EXPECT_EQ(withBroadcast->InterfaceIndex, int(if_nametoindex(second.c_str())));

    const tNetworkInterface* isDown = recordFor(list, "172.16.0.1");
    ASSERT_NE(isDown, nullptr);
    EXPECT_FALSE(isDown->IsInterfaceUp);
    EXPECT_EQ(isDown->SubnetMask, "255.255.255.0");
    EXPECT_EQ(isDown->AddrDirectedBroadcast, "172.16.0.255");
    EXPECT_EQ(isDown->AddrLimitedBroadcast, QString()) << "added without a broadcast address";
}

TEST_F(InterfacesOfTwoAdapters, TheChosenAdaptersNetmaskIsFound) {
    tNetworkInterfaceList list;
    ASSERT_TRUE(net::getNetworkInterfaces(list));
    statelog::LogBuffer log;
    EXPECT_EQ(engine::adapterSubnetMask(list, "10.1.2.3", log), "255.255.0.0");
    EXPECT_EQ(log.lines().mid(1),
              QStringList({"Anzahl network interfaces 5", "Subnetmask found 255.255.0.0"}));
}

} // namespace
