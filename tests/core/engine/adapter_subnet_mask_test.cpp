#include "engine/destination.h"

#include "statelog/log_buffer.h"

#include <gtest/gtest.h>

using engine::adapterSubnetMask;
using net::tNetworkInterface;
using net::tNetworkInterfaceList;

namespace {

tNetworkInterface record(const QString& address, const QString& mask) {
    tNetworkInterface one;
    one.AddrIP = address;
    one.SubnetMask = mask;
    return one;
}

class AdapterSubnetMask : public ::testing::Test {
protected:
    QStringList logged() const { return log.lines().mid(1); } // the log starts with ""

    const tNetworkInterfaceList interfaces{
        record("127.0.0.1", "255.0.0.0"), record("192.168.1.10", "255.255.255.0"),
        record("10.1.2.3", "255.255.0.0"), record("192.168.1.10", "255.255.0.0")};
    statelog::LogBuffer log;
};

TEST_F(AdapterSubnetMask, TheFirstRecordWithTheAddressGivesTheMaskAndIsLogged) {
    EXPECT_EQ(adapterSubnetMask(interfaces, "192.168.1.10", log), "255.255.255.0");
    EXPECT_EQ(logged(),
              QStringList({"Anzahl network interfaces 4", "Subnetmask found 255.255.255.0"}));
}

TEST_F(AdapterSubnetMask, OnlyTheExactTextMatches) {
    for (const char* adapter : {"192.168.001.10", " 192.168.1.10", "192.168.1.1", ""}) {
        log.clear();
        EXPECT_EQ(adapterSubnetMask(interfaces, adapter, log), QString()) << adapter;
        EXPECT_EQ(log.lines().filter("Subnetmask found").size(), 0) << adapter;
        EXPECT_TRUE(log.lines().contains("Anzahl network interfaces 4")) << adapter;
    }
}

TEST_F(AdapterSubnetMask, AnEmptyListFindsNothing) {
    EXPECT_EQ(adapterSubnetMask({}, "192.168.1.10", log), QString());
    EXPECT_EQ(logged(), QStringList({"Anzahl network interfaces 0"}));
}

TEST(InterfaceIndexHolding, ExactAddressFirstThenLoopbackSubnets) {
    tNetworkInterface loopback = record("127.0.0.1", "255.0.0.0");
    loopback.IsLoopback = true;
    loopback.InterfaceIndex = 1;
    tNetworkInterface ethernet = record("10.1.2.3", "255.255.0.0");
    ethernet.InterfaceIndex = 7;
    tNetworkInterface foreignOnLoopback = record("10.9.0.7", "255.255.255.255");
    foreignOnLoopback.IsLoopback = true;
    foreignOnLoopback.InterfaceIndex = 1;
    const tNetworkInterfaceList list{loopback, ethernet, foreignOnLoopback};

    EXPECT_EQ(net::interfaceIndexHolding(list, 0x0A010203u), 7);
    EXPECT_EQ(net::interfaceIndexHolding(list, 0x0A090007u), 1);
    EXPECT_EQ(net::interfaceIndexHolding(list, 0x7F000001u), 1);
    EXPECT_EQ(net::interfaceIndexHolding(list, 0x7F0A0B0Cu), 1) << "loopback subnet";
    EXPECT_EQ(net::interfaceIndexHolding(list, 0x0A010204u), 0) << "not local";
    EXPECT_EQ(net::interfaceIndexHolding(list, 0x0A090008u), 0) << "not local";
}

} // namespace
