#include "simulator_test.h"

namespace {

constexpr const char* kDevice = R"(
[gw]
mac = 00-11-22-33-44-55
ip = 127.0.0.60
netmask = 255.0.0.0
gateway = 127.0.0.1
dhcp = inactive
)";

QByteArray withAddress(const char* macText, const char* addressText) {
    return *protocol::macBytesFromText(macText) + protocol::addressBytes(addressText);
}

} // namespace

class ChangeRequestTest : public SimulatorTest {
protected:
    // The scan answer of the one device in the simulator.
    protocol::ScanAnswer scanned() {
        const auto answer = ask(scan());
        EXPECT_TRUE(answer);
        protocol::ReceiveBuffer buffer{};
        if (answer)
            std::copy_n(answer->bytes.begin(), std::min<qsizetype>(answer->bytes.size(), 1501),
                        buffer.begin());
        return protocol::decodeScanAnswer(buffer);
    }
    static QByteArray answerWithStatus(quint8 code, quint8 status) {
        return protocol::buildFrame(code, QByteArray(1, char(status)));
    }
};

TEST_F(ChangeRequestTest, TemporaryIpTakesEffectAtOnceAndIsAnsweredFromTheNewAddress) {
    start(kDevice);
    const auto answer =
        ask(frame(protocol::dcSetIpTemporary, withAddress("00-11-22-33-44-55", "127.0.0.61")));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, answerWithStatus(0x83, 0));
    EXPECT_EQ(answer->source, "127.0.0.61");
    EXPECT_EQ(scanned().ip, "127.0.0.61");
    // The DHCP request goes to the device's address: only the new one reaches it now.
    EXPECT_TRUE(staysSilent(frame(protocol::dcSetDhcp, QByteArray(1, 1)), "127.0.0.60"));
    const auto dhcp = ask(frame(protocol::dcSetDhcp, QByteArray(1, 1)), "127.0.0.61");
    ASSERT_TRUE(dhcp);
    EXPECT_EQ(dhcp->source, "127.0.0.61");
}

TEST_F(ChangeRequestTest, ADeviceCanAnswerAnIpChangeFromItsOldAddress) {
    start(std::string(kDevice) + "answer-ip-change-from = old\n");
    const auto answer =
        ask(frame(protocol::dcSetIpTemporary, withAddress("00-11-22-33-44-55", "127.0.0.62")));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->source, "127.0.0.60");
    const auto permanent =
        ask(frame(protocol::dcSetIpPermanent, withAddress("00-11-22-33-44-55", "127.0.0.62")));
    ASSERT_TRUE(permanent);
    EXPECT_EQ(permanent->bytes, answerWithStatus(0x82, 0));
    EXPECT_EQ(permanent->source, "127.0.0.62");
}

TEST_F(ChangeRequestTest, PermanentValuesWaitForTheRestart) {
    start(kDevice);
    const char* const device = "00-11-22-33-44-55";
    ASSERT_TRUE(ask(frame(protocol::dcSetIpPermanent, withAddress(device, "127.0.0.63"))));
    ASSERT_TRUE(ask(frame(protocol::dcSetNetmaskPermanent, withAddress(device, "255.255.0.0"))));
    ASSERT_TRUE(ask(frame(protocol::dcSetGatewayPermanent, withAddress(device, "127.0.0.2"))));
    protocol::ScanAnswer before = scanned();
    EXPECT_EQ(before.ip, "127.0.0.60");
    EXPECT_EQ(before.netmask, "255.0.0.0");
    EXPECT_EQ(before.gateway, "127.0.0.1");

    EXPECT_TRUE(staysSilent(frame(protocol::dcRestart, mac(device))));
    protocol::ScanAnswer after = scanned();
    EXPECT_EQ(after.ip, "127.0.0.63");
    EXPECT_EQ(after.netmask, "255.255.0.0");
    EXPECT_EQ(after.gateway, "127.0.0.2");
}

TEST_F(ChangeRequestTest, ARestartDropsTemporaryValues) {
    start(kDevice);
    const char* const device = "00-11-22-33-44-55";
    const auto netmask =
        ask(frame(protocol::dcSetNetmaskTemporary, withAddress(device, "255.255.255.0")));
    ASSERT_TRUE(netmask);
    EXPECT_EQ(netmask->bytes, answerWithStatus(0x89, 0));
    const auto gateway =
        ask(frame(protocol::dcSetGatewayTemporary, withAddress(device, "127.0.0.9")));
    ASSERT_TRUE(gateway);
    EXPECT_EQ(gateway->bytes, answerWithStatus(0x8A, 0));
    const auto read = ask(frame(protocol::dcReadGateway, mac(device)));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, frame(0x87, address("127.0.0.9")));
    EXPECT_EQ(scanned().netmask, "255.255.255.0");

    EXPECT_TRUE(staysSilent(frame(protocol::dcRestart, mac(device))));
    const protocol::ScanAnswer after = scanned();
    EXPECT_EQ(after.netmask, "255.0.0.0");
    EXPECT_EQ(after.gateway, "127.0.0.1");
}

TEST_F(ChangeRequestTest, DhcpIsSwitchedThroughTheDevicesAddressAndShownInTheScan) {
    start(kDevice);
    const auto on = ask(frame(protocol::dcSetDhcp, QByteArray(1, 1)), "127.0.0.60");
    ASSERT_TRUE(on);
    EXPECT_EQ(on->bytes, hex("028C0071"));
    EXPECT_EQ(scanned().dhcpByte, 0x11);
    const auto off = ask(frame(protocol::dcSetDhcp, QByteArray(1, 0)), "127.0.0.60");
    ASSERT_TRUE(off);
    EXPECT_EQ(off->bytes, hex("028C0071"));
    EXPECT_EQ(scanned().dhcpByte, 0x10);
}

TEST_F(ChangeRequestTest, DevicesWithoutDhcpRefuseItAndIgnoreRestarts) {
    start(R"(
[plain]
mac = 00-11-22-33-44-55
ip = 127.0.0.64
permanent-ip = 127.0.0.65
dhcp = unsupported
)");
    const auto answer = ask(frame(protocol::dcSetDhcp, QByteArray(1, 1)), "127.0.0.64");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, answerWithStatus(0x8C, 2));
    EXPECT_TRUE(staysSilent(frame(protocol::dcRestart, mac("00-11-22-33-44-55"))));
    EXPECT_EQ(scanned().ip, "127.0.0.64");
}

TEST_F(ChangeRequestTest, AddressesNoDeviceCanTakeAreRefusedAsNotPossible) {
    start(kDevice);
    for (const char* impossible : {"0.0.0.0", "255.255.255.255", "224.0.0.1"}) {
        const auto answer =
            ask(frame(protocol::dcSetIpTemporary, withAddress("00-11-22-33-44-55", impossible)));
        ASSERT_TRUE(answer) << impossible;
        EXPECT_EQ(answer->bytes, answerWithStatus(0x83, 2)) << impossible;
    }
    EXPECT_EQ(scanned().ip, "127.0.0.60");
}

TEST_F(ChangeRequestTest, TheSevenRequestsOfSwitchingDhcpOffAreAnsweredInTurn) {
    start(std::string(kDevice) + "dhcp = active\n");
    const char* const device = "00-11-22-33-44-55";
    const struct {
        QByteArray request;
        const char* destination;
        quint8 answerCode;
        const char* source;
    } steps[] = {
        {frame(protocol::dcSetDhcp, QByteArray(1, 0)), "127.0.0.60", 0x8C, "127.0.0.60"},
        {frame(protocol::dcSetIpTemporary, withAddress(device, "127.0.0.66")), "255.255.255.255",
         0x83, "127.0.0.66"},
        {frame(protocol::dcSetIpPermanent, withAddress(device, "127.0.0.66")), "255.255.255.255",
         0x82, "127.0.0.66"},
        {frame(protocol::dcSetNetmaskTemporary, withAddress(device, "255.255.0.0")),
         "255.255.255.255", 0x89, "127.0.0.66"},
        {frame(protocol::dcSetNetmaskPermanent, withAddress(device, "255.255.0.0")),
         "255.255.255.255", 0x86, "127.0.0.66"},
        {frame(protocol::dcSetGatewayTemporary, withAddress(device, "127.0.0.1")),
         "255.255.255.255", 0x8A, "127.0.0.66"},
        {frame(protocol::dcSetGatewayPermanent, withAddress(device, "127.0.0.1")),
         "255.255.255.255", 0x88, "127.0.0.66"},
    };
    for (const auto& step : steps) {
        const auto answer = ask(step.request, step.destination);
        ASSERT_TRUE(answer) << step.request.toHex().constData();
        EXPECT_EQ(answer->bytes, answerWithStatus(step.answerCode, 0));
        EXPECT_EQ(answer->source, step.source);
    }
    const protocol::ScanAnswer after = scanned();
    EXPECT_EQ(after.ip, "127.0.0.66");
    EXPECT_EQ(after.netmask, "255.255.0.0");
    EXPECT_EQ(after.dhcpByte, 0x10);
}
