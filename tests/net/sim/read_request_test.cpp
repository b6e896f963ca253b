#include "simulator_test.h"

namespace {

constexpr const char* kOldDevice = R"(
[old]
mac = 02-11-22-33-44-55
ip = 127.0.0.50
netmask = 255.0.0.0
gateway = 127.0.0.1
layout = short17
[neighbour]
mac = 02-11-22-33-44-66
ip = 127.0.0.51
)";

} // namespace

TEST_F(SimulatorTest, ReadsAreAnsweredWithFourAddressBytesFromTheDevicesAddress) {
    start(kOldDevice);
    const QByteArray device = mac("02-11-22-33-44-55");
    const auto netmask = ask(frame(protocol::dcReadNetmask, device));
    ASSERT_TRUE(netmask);
    EXPECT_EQ(netmask->bytes, hex("0585FF000000") + char(~quint8(0x05 + 0x85 + 0xFF)));
    EXPECT_EQ(netmask->source, "127.0.0.50");
    const auto gateway = ask(frame(protocol::dcReadGateway, device), "127.0.0.50");
    ASSERT_TRUE(gateway);
    EXPECT_EQ(gateway->bytes, frame(0x87, address("127.0.0.1")));
    EXPECT_EQ(gateway->source, "127.0.0.50");
}

TEST_F(SimulatorTest, RequestsNamingAMacAreHeardOnlyAtThatDevicesAddressOrByBroadcast) {
    start(kOldDevice);
    EXPECT_TRUE(
        staysSilent(frame(protocol::dcReadNetmask, mac("02-11-22-33-44-55")), "127.0.0.51"));
    EXPECT_TRUE(staysSilent(frame(protocol::dcReadNetmask, mac("02-99-99-99-99-99"))));
    EXPECT_NE(simulator->output().find("no device has MAC 02-99-99-99-99-99"), std::string::npos);
}

TEST_F(SimulatorTest, BlinkIsConfirmedWithStatusZero) {
    start(kOldDevice);
    const auto answer = ask(frame(protocol::dcBlink, mac("02-11-22-33-44-66")));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, hex("028400") + char(~quint8(0x02 + 0x84)));
    EXPECT_EQ(answer->source, "127.0.0.51");
}
