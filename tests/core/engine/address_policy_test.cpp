// The rules every new address keeps, checked where every change of the engine is planned.
#include "engine/address_policy.h"
#include "engine/change_plan.h"
#include "engine/device_set.h"

#include <gtest/gtest.h>

using engine::AddressFault;
using engine::AddressInput;
using engine::ChangeRequest;
using engine::Refusal;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");

struct RuleCase {
    const char* name;
    const char* ip;
    const char* netmask;
    const char* gateway;
    // Expected: none for "sent", else the field ('I', 'N', 'G'), the fault and its subnet.
    char field = 0;
    AddressFault fault = AddressFault::ThisNetwork;
    const char* subnet = "";
    const char* adapter = "10.0.0.5";
};

void PrintTo(const RuleCase& c, std::ostream* out) {
    *out << c.name;
}

class AddressRule : public ::testing::TestWithParam<RuleCase> {};

} // namespace

// The device is 10.0.0.20/24 with gateway 10.0.0.1; this PC has 10.0.0.5 and 127.0.0.1.
TEST_P(AddressRule, RefusesTheFirstBrokenRuleNamingValueAndSubnet) {
    const RuleCase& c = GetParam();
    engine::DeviceSet devices;
    engine::DeviceRecord& device = devices.edit(devices.enter(kMac, "10.0.0.20").id);
    device.netmask = engine::AddressField::value("255.255.255.0");
    device.gateway = engine::AddressField::value("10.0.0.1");
    net::tNetworkInterfaceList interfaces(2);
    interfaces[0].AddrIP = "10.0.0.5";
    interfaces[1].AddrIP = "127.0.0.1";
    engine::AddressPolicy policy;
    policy.setInterfaces(interfaces);
    policy.setAdapter(c.adapter);
    const ChangeRequest request{
        0, kMac, c.ip, AddressInput::typed(c.netmask), AddressInput::typed(c.gateway), false, true};

    const Refusal refusal = engine::planChange(devices, request, policy).refusal;
    if (!c.field) {
        EXPECT_EQ(refusal.kind, Refusal::Kind::None);
        return;
    }
    ASSERT_EQ(refusal.kind, Refusal::Kind::AddressRule);
    const auto [flagged, value] = c.field == 'I'   ? std::pair{refusal.ip, c.ip}
                                  : c.field == 'N' ? std::pair{refusal.netmask, c.netmask}
                                                   : std::pair{refusal.gateway, c.gateway};
    EXPECT_TRUE(flagged);
    EXPECT_EQ(refusal.ip + refusal.netmask + refusal.gateway, 1);
    EXPECT_EQ(refusal.value, value);
    EXPECT_EQ(refusal.fault, c.fault);
    EXPECT_EQ(refusal.subnet, c.subnet);
}

INSTANTIATE_TEST_SUITE_P(
    Change, AddressRule,
    ::testing::Values(
        RuleCase{"AnotherHost", "10.0.0.30", "255.255.255.0", "10.0.0.1"},
        RuleCase{"NoGateway", "10.0.0.30", "255.255.255.0", "0.0.0.0"},
        RuleCase{"NetworkAddress", "10.0.0.0", "255.255.255.0", "10.0.0.1", 'I',
                 AddressFault::NetworkAddress, "10.0.0.0/24"},
        RuleCase{"SubnetBroadcast", "10.0.0.255", "255.255.255.0", "10.0.0.1", 'I',
                 AddressFault::SubnetBroadcast, "10.0.0.0/24"},
        // Only the netmask changes, and the old IP becomes the network address.
        RuleCase{"NetmaskMakesTheIpTheNetwork", "10.0.0.20", "255.255.255.252", "0.0.0.0", 'I',
                 AddressFault::NetworkAddress, "10.0.0.20/30"},
        // A point-to-point /31 has no network or broadcast address.
        RuleCase{"PointToPoint", "10.0.0.20", "255.255.255.254", "10.0.0.21"},
        RuleCase{"ThisNetwork", "0.0.0.0", "255.255.255.0", "0.0.0.0", 'I',
                 AddressFault::ThisNetwork},
        RuleCase{"Loopback", "127.0.3.20", "255.0.0.0", "0.0.0.0", 'I', AddressFault::Loopback},
        RuleCase{"LoopbackThroughALoopbackAdapter", "127.0.3.20", "255.0.0.0", "0.0.0.0", 0,
                 AddressFault::ThisNetwork, "", "127.0.0.1"},
        RuleCase{"ThisPcThroughALoopbackAdapter", "127.0.0.1", "255.0.0.0", "0.0.0.0", 'I',
                 AddressFault::LocalAddress, "", "127.0.0.1"},
        RuleCase{"Multicast", "224.0.0.9", "255.255.255.0", "0.0.0.0", 'I',
                 AddressFault::Multicast},
        RuleCase{"Reserved", "240.0.0.1", "255.255.255.0", "0.0.0.0", 'I', AddressFault::Reserved},
        RuleCase{"ThisPc", "10.0.0.5", "255.255.255.0", "10.0.0.1", 'I',
                 AddressFault::LocalAddress},
        RuleCase{"NoNetmask", "10.0.0.20", "255.0.255.0", "10.0.0.1", 'N', AddressFault::NoNetmask},
        RuleCase{"GatewayOutside", "10.0.0.20", "255.255.255.0", "10.0.1.1", 'G',
                 AddressFault::GatewayOutsideSubnet, "10.0.0.0/24"},
        // The gateway is kept, the IP moves into another subnet.
        RuleCase{"KeptGatewayLeftBehind", "10.0.1.20", "255.255.255.0", "10.0.0.1", 'G',
                 AddressFault::GatewayOutsideSubnet, "10.0.1.0/24"},
        RuleCase{"GatewayIsTheDevice", "10.0.0.30", "255.255.255.0", "10.0.0.30", 'G',
                 AddressFault::GatewayIsDeviceIp},
        RuleCase{"GatewayIsTheBroadcast", "10.0.0.20", "255.255.255.0", "10.0.0.255", 'G',
                 AddressFault::SubnetBroadcast, "10.0.0.0/24"},
        RuleCase{"GatewayIsMulticast", "10.0.0.20", "255.255.255.0", "239.1.1.1", 'G',
                 AddressFault::Multicast}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(AddressRule, TextNamesFieldValueReasonAndSubnet) {
    Refusal refusal;
    refusal.gateway = true;
    refusal.value = "10.0.1.1";
    refusal.fault = AddressFault::GatewayOutsideSubnet;
    refusal.subnet = "10.0.0.0/24";
    EXPECT_EQ(engine::addressRefusalText(refusal),
              "gateway 10.0.1.1: outside the device's subnet 10.0.0.0/24");
}
