#include "protocol/frame.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

ReceiveBuffer bufferOf(const QByteArray& datagram) {
    ReceiveBuffer buffer{};
    std::copy_n(datagram.begin(), std::min<qsizetype>(datagram.size(), buffer.size()),
                buffer.begin());
    return buffer;
}

} // namespace

TEST(BuildFrame, WorkedExamplesAndChecksumWrap) {
    EXPECT_EQ(buildFrame(dcScan, {}), hex("0101FD"));
    const QByteArray mac = *macBytesFromText("02-11-22-33-44-55");
    EXPECT_EQ(buildFrame(dcReadNetmask, mac), hex("07050211223344"
                                                  "55F2"));
    EXPECT_EQ(buildFrame(dcSetIpPermanent, mac + addressBytes("192.168.0.20")),
              hex("0B020211223344"
                  "55C0A8001475"));
    EXPECT_EQ(buildFrame(dcSetDhcp, QByteArray(1, 1)), hex("020C01F0"));
    EXPECT_EQ(buildFrame(dcSetDhcp, QByteArray(1, 0)), hex("020C00F1"));
    const QByteArray other = *macBytesFromText("00-11-22-33-44-55");
    EXPECT_EQ(buildFrame(dcBlink, other), hex("070400112233"
                                              "4455F5"));
    EXPECT_EQ(buildFrame(dcRestart, other), hex("070B00112233"
                                                "4455EE"));
    EXPECT_EQ(buildFrame(dcSetNetmaskTemporary, other + addressBytes("255.255.000.000")),
              hex("0B09001122334455FFFF0000EE"));
}

TEST(MacText, ConvertsBothWaysAndRefusesNonHex) {
    EXPECT_EQ(macBytesFromText("0a-Bc-00-ff-10-99"), hex("0ABC00FF1099"));
    // Separators are not examined.
    EXPECT_EQ(macBytesFromText("0A:BC:00:FF:10:99"), hex("0ABC00FF1099"));
    EXPECT_FALSE(macBytesFromText("0G-BC-00-FF-10-99"));
    EXPECT_FALSE(macBytesFromText("0A-BC-00-FF-10"));
    EXPECT_FALSE(macBytesFromText(" A-BC-00-FF-10-99"));
    const ReceiveBuffer buffer = bufferOf(hex("1B81020A2233445F"));
    EXPECT_EQ(macTextFromBytes(buffer, 2), "02-0A-22-33-44-5F");
    // Near the end of the buffer the missing bytes read as zero.
    EXPECT_EQ(macTextFromBytes(buffer, kReceiveBufferSize - 2), "00-00-00-00-00-00");
}

TEST(ScanAnswer, DecodesTheCompleteWorkedExample) {
    const ScanAnswer a =
        decodeScanAnswer(bufferOf(hex("1B8102112233445"
                                      "5C0A800142A56312E30350111FFFFFF00C0A800012A")));
    EXPECT_EQ(a.length, 27);
    EXPECT_EQ(a.mac, "02-11-22-33-44-55");
    EXPECT_EQ(a.ip, "192.168.0.20");
    EXPECT_EQ(a.deviceType, 298);
    EXPECT_EQ(a.revision, "V1.05");
    EXPECT_TRUE(a.carriesParams);
    EXPECT_EQ(a.dhcpByte, 0x11);
    EXPECT_EQ(dhcpStateOf(a.dhcpByte), DhcpState::Active);
    EXPECT_EQ(a.netmask, "255.255.255.0");
    EXPECT_EQ(a.gateway, "192.168.0.1");
}

TEST(ScanAnswer, ShortLayoutsAndTheHighTypeBits) {
    QByteArray n17 = hex("1181021122334455C0A800142A56312E303501");
    n17[18] = char(0xFF);
    EXPECT_EQ(deviceTypeCode(bufferOf(n17)), 0x2A);
    EXPECT_FALSE(decodeScanAnswer(bufferOf(n17)).carriesParams);

    QByteArray n18 = n17;
    n18[0] = 18;
    EXPECT_EQ(deviceTypeCode(bufferOf(n18)), 0x2A + 0x1B00);
    EXPECT_FALSE(decodeScanAnswer(bufferOf(n18)).carriesParams);

    // N = 19 ending right after the DHCP byte: netmask and gateway read as zeros.
    const ScanAnswer n19 =
        decodeScanAnswer(bufferOf(hex("1381021122334455C0A800142A56312E30350010")));
    EXPECT_TRUE(n19.carriesParams);
    EXPECT_EQ(n19.netmask, "0.0.0.0");
    EXPECT_EQ(n19.gateway, "0.0.0.0");
    EXPECT_EQ(dhcpStateOf(n19.dhcpByte), DhcpState::NotActive);
    EXPECT_EQ(dhcpStateOf(18), DhcpState::NotSupported);
}

TEST(ScanAnswer, RevisionKeepsEightBitCharacters) {
    const ScanAnswer a = decodeScanAnswer(bufferOf(hex("1181021122334455C0A80014"
                                                       "2A80E920302000")));
    EXPECT_EQ(a.revision, QString::fromUtf8("\u20AC\u00E9 0 "));
}

TEST(ScanAnswer, AnyBufferContentDecodesWithoutFault) {
    ReceiveBuffer buffer{};
    for (int seed = 0; seed < 256; ++seed) {
        buffer.fill(quint8(seed));
        const ScanAnswer a = decodeScanAnswer(buffer);
        EXPECT_EQ(a.mac.size(), 17);
        EXPECT_EQ(a.revision.size(), 5);
    }
}
