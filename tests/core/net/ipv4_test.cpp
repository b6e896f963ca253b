#include "net/ipv4.h"

#include <array>

#include <gtest/gtest.h>

using namespace net;

TEST(IpTextToInt, ConvertsLeadingZerosShiftedOctetsAndFailures) {
    EXPECT_EQ(ipTextToInt("192.168.001.010"), ipTextToInt("192.168.1.10"));
    EXPECT_EQ(ipTextToInt("192.168.1.10"), 0xC0A8010Au);
    EXPECT_EQ(ipTextToInt("10.0.0.256"), kIpFailure);
    EXPECT_EQ(ipTextToInt(""), kIpFailure);
    EXPECT_EQ(ipTextToInt("1.2.3"), 0x00010203u);
    EXPECT_EQ(ipTextToInt("a.b.c.d"), 0u);
    EXPECT_EQ(ipTextToInt("0.0.0.0"), 0u);
    EXPECT_EQ(ipTextToInt("255.255.255.255"), kIpFailure);
    // More than three dots shift the leading octets out.
    EXPECT_EQ(ipTextToInt("9.1.2.3.4"), 0x01020304u);
    // Signs, blanks and letters are skipped.
    EXPECT_EQ(ipTextToInt("-1.2. 3.x4"), 0x01020304u);
}

TEST(IpText, CanonicalFormsFromValuesAndBytes) {
    EXPECT_EQ(intToIpText(0), "0.0.0.0");
    EXPECT_EQ(intToIpText(0xC0A80014u), "192.168.0.20");
    EXPECT_EQ(intToIpText(0x0A6409FFu), "10.100.9.255");
    EXPECT_EQ(intToIpText(ipTextToInt("255.255.000.000")), "255.255.0.0");
    const std::array<quint8, 6> bytes{0xC0, 0xA8, 0x00, 0x14, 0x00, 0x00};
    EXPECT_EQ(ipTextFromBytes(bytes, 0), "192.168.0.20");
    EXPECT_EQ(ipTextFromBytes(bytes, 2), "0.20.0.0");
    EXPECT_EQ(ipTextFromBytes(bytes, 4), "0.0.0.0"); // past the end reads zeros
}

TEST(IsValidIpText, AcceptsDottedQuadsOnly) {
    EXPECT_TRUE(isValidIpText("0.0.0.0"));
    EXPECT_TRUE(isValidIpText("192.168.001.010"));
    EXPECT_TRUE(isValidIpText("-1.2.3.4")); // the piece check lets -1 through
    EXPECT_TRUE(isValidIpText(" 1.2.3.4"));
    EXPECT_TRUE(isValidIpText("$a.2.3.4"));
    EXPECT_FALSE(isValidIpText("255.255.255.255"));
    EXPECT_FALSE(isValidIpText("1.2.3"));
    EXPECT_FALSE(isValidIpText("1.2.3.4."));
    EXPECT_FALSE(isValidIpText("1..3.4"));
    EXPECT_FALSE(isValidIpText("1.2.3.a"));
    EXPECT_FALSE(isValidIpText("192.168.1.300"));
    EXPECT_FALSE(isValidIpText("1.2.3.4 "));
    EXPECT_FALSE(isValidIpText(""));
    EXPECT_FALSE(isValidIpText("99999999999.1.1.1"));
}

TEST(IsLinkLocalIp, ThirdOctetOneTo254) {
    EXPECT_TRUE(isLinkLocalIp("169.254.1.1"));
    EXPECT_TRUE(isLinkLocalIp("169.254.1.255"));
    EXPECT_TRUE(isLinkLocalIp("169.254.10.20"));
    EXPECT_FALSE(isLinkLocalIp("169.254.0.1"));
    EXPECT_FALSE(isLinkLocalIp("169.254.255.1"));
    EXPECT_FALSE(isLinkLocalIp("169.254.1"));
    EXPECT_FALSE(isLinkLocalIp("169.25.1.1"));
    EXPECT_FALSE(isLinkLocalIp("169.254.x.1"));
    EXPECT_FALSE(isLinkLocalIp("0169.254.1.1"));
}

TEST(IsInSameSubnet, MaskedComparisonExcludingTheAdapterItself) {
    EXPECT_TRUE(isInSameSubnet("192.168.1.10", "255.255.255.0", "192.168.1.20"));
    EXPECT_FALSE(isInSameSubnet("192.168.1.10", "255.255.255.0", "192.168.2.20"));
    EXPECT_FALSE(isInSameSubnet("192.168.1.10", "255.255.255.0", "192.168.1.10"));
    EXPECT_FALSE(isInSameSubnet(" 192.168.1.10", "255.255.255.0", "192.168.1.10 "));
    EXPECT_TRUE(isInSameSubnet("127.0.0.1", "255.0.0.0", "127.0.0.5"));
    // Malformed texts never pass.
    EXPECT_FALSE(isInSameSubnet("192.168.1.10", "255.255.255.0", ""));
    EXPECT_FALSE(isInSameSubnet("abc", "255.255.255.0", "192.168.1.20"));
    EXPECT_FALSE(isInSameSubnet("192.168.1.10", "255.255.255.0", "192.168.1.x"));
}
