#include "simulator_test.h"

#include <map>

namespace {

constexpr const char* kWorkedExample = R"(
[gw-example]
mac = 02-11-22-33-44-55
ip = 192.168.0.20
netmask = 255.255.255.0
gateway = 192.168.0.1
dhcp = active
type = 0x012A
revision = V1.05
reply = sender
)";

} // namespace

TEST_F(SimulatorTest, FullScanAnswerMatchesTheWorkedExampleByteForByte) {
    start(kWorkedExample);
    const auto answer = ask(scan());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes.toHex(' ').toUpper(),
              "1B 81 02 11 22 33 44 55 C0 A8 00 14 2A 56 31 2E 30 35 01 11 FF FF FF 00 C0 A8 "
              "00 01 2A");
    EXPECT_EQ(answer->source, "192.168.0.20");
    EXPECT_EQ(answer->sourcePort, protocol::kDevicePort);
    EXPECT_EQ(answer->destination, "127.0.0.1");
}

TEST_F(SimulatorTest, ShortLayoutsLeaveOutDhcpNetmaskGatewayAndTheTypesHighByte) {
    start(R"(
[old-18]
mac = 02-00-00-00-00-18
ip = 127.0.0.18
type = 0x0777
revision = R2.1a
layout = short18
[old-17]
mac = 02-00-00-00-00-17
ip = 127.0.0.17
type = 0x0777
revision = R2.1b
layout = short17
)");
    send(scan());
    const auto answers = receiveUpTo(*tool, 2);
    ASSERT_EQ(answers.size(), 2u);
    std::map<QString, QByteArray> bySource;
    for (const auto& answer : answers)
        bySource[answer.source] = answer.bytes;
    EXPECT_EQ(bySource["127.0.0.18"], frame(0x81, mac("02-00-00-00-00-18") + hex("7F000012") +
                                                      hex("77") + "R2.1a" + hex("07")));
    EXPECT_EQ(bySource["127.0.0.18"][0], char(18));
    EXPECT_EQ(bySource["127.0.0.17"],
              frame(0x81, mac("02-00-00-00-00-17") + hex("7F000011") + hex("77") + "R2.1b"));
    EXPECT_EQ(bySource["127.0.0.17"][0], char(17));
}

TEST_F(SimulatorTest, DhcpByteShowsSupportAndState) {
    start(R"(
[inactive]
mac = 02-00-00-00-00-01
ip = 127.0.0.21
dhcp = inactive
[active]
mac = 02-00-00-00-00-02
ip = 127.0.0.22
dhcp = active
[unsupported]
mac = 02-00-00-00-00-03
ip = 127.0.0.23
dhcp = unsupported
[odd]
mac = 02-00-00-00-00-04
ip = 127.0.0.24
dhcp = 0x12
)");
    send(scan());
    std::map<QString, char> dhcpBySource;
    for (const auto& answer : receiveUpTo(*tool, 4))
        dhcpBySource[answer.source] = answer.bytes[19];
    EXPECT_EQ(dhcpBySource, (std::map<QString, char>{{"127.0.0.21", 0x10},
                                                     {"127.0.0.22", 0x11},
                                                     {"127.0.0.23", 0x00},
                                                     {"127.0.0.24", 0x12}}));
}

TEST_F(SimulatorTest, AnswersGoToTheSenderInTheDevicesSubnetAndByBroadcastOtherwise) {
    start(R"(
[in-subnet]
mac = 02-00-00-00-00-01
ip = 127.0.0.30
netmask = 255.0.0.0
[foreign]
mac = 02-00-00-00-00-02
ip = 10.9.0.5
netmask = 255.255.255.0
[link-local]
mac = 02-00-00-00-00-03
ip = 169.254.3.4
netmask = 255.255.0.0
[forced-broadcast]
mac = 02-00-00-00-00-04
ip = 127.0.0.31
netmask = 255.0.0.0
reply = broadcast
[forced-sender]
mac = 02-00-00-00-00-05
ip = 10.9.0.6
netmask = 255.255.255.0
reply = sender
)");
    send(scan());
    std::map<QString, QString> destinationBySource;
    for (const auto& answer : receiveUpTo(*tool, 5)) {
        destinationBySource[answer.source] = answer.destination;
        EXPECT_EQ(answer.sourcePort, protocol::kDevicePort);
    }
    EXPECT_EQ(destinationBySource, (std::map<QString, QString>{
                                       {"127.0.0.30", "127.0.0.1"},
                                       {"10.9.0.5", "255.255.255.255"},
                                       {"169.254.3.4", "255.255.255.255"},
                                       {"127.0.0.31", "255.255.255.255"},
                                       {"10.9.0.6", "127.0.0.1"},
                                   }));
}

TEST_F(SimulatorTest, ScanSentToOneAddressIsAnsweredByTheDevicesHavingIt) {
    start(R"(
[alone]
mac = 02-00-00-00-00-01
ip = 127.0.0.40
[twin-a]
mac = 02-00-00-00-00-02
ip = 127.0.0.41
[twin-b]
mac = 02-00-00-00-00-03
ip = 127.0.0.41
)");
    send(scan(), "127.0.0.41");
    const auto answers = receiveUpTo(*tool, 3, 500);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].source, "127.0.0.41");
    EXPECT_EQ(answers[1].source, "127.0.0.41");
    EXPECT_EQ(answers[0].bytes.mid(2, 6), mac("02-00-00-00-00-02"));
    EXPECT_EQ(answers[1].bytes.mid(2, 6), mac("02-00-00-00-00-03"));
    EXPECT_NE(simulator->output().find("twin-a, twin-b share the address 127.0.0.41"),
              std::string::npos);
}
