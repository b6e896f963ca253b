#include "simulator_test.h"

#include <QDateTime>

namespace {

std::string device(const std::string& name, const std::string& macText, const std::string& ip,
                   const std::string& extra) {
    return "[" + name + "]\nmac = " + macText + "\nip = " + ip + "\nnetmask = 255.0.0.0\n" + extra +
           "\n";
}

QByteArray withAddress(const char* macText, const char* addressText) {
    return *protocol::macBytesFromText(macText) + protocol::addressBytes(addressText);
}

QByteArray status(quint8 code, quint8 value) {
    return protocol::buildFrame(code, QByteArray(1, char(value)));
}

} // namespace

TEST_F(SimulatorTest, SilentReadsLeaveTheScanAnswered) {
    start(device("mute", "02-00-00-00-00-01", "127.0.0.70", "layout = short17\nsilent = reads"));
    ASSERT_TRUE(ask(scan()));
    EXPECT_TRUE(staysSilent(frame(protocol::dcReadNetmask, mac("02-00-00-00-00-01"))));
    EXPECT_TRUE(staysSilent(frame(protocol::dcReadGateway, mac("02-00-00-00-00-01"))));
    EXPECT_TRUE(ask(frame(protocol::dcBlink, mac("02-00-00-00-00-01"))));
}

TEST_F(SimulatorTest, SilentSetsNeitherAnswerNorChangeAnything) {
    start(device("mute", "02-00-00-00-00-01", "127.0.0.71", "silent = sets"));
    EXPECT_TRUE(staysSilent(
        frame(protocol::dcSetIpTemporary, withAddress("02-00-00-00-00-01", "127.0.0.72"))));
    EXPECT_TRUE(staysSilent(frame(protocol::dcSetDhcp, QByteArray(1, 1)), "127.0.0.71"));
    const auto answer = ask(scan());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->source, "127.0.0.71");
    EXPECT_EQ(answer->bytes[19], char(0x10));
}

TEST_F(SimulatorTest, OneSilentRequestLeavesTheOthersAnswered) {
    start(device("half", "02-00-00-00-00-01", "127.0.0.73", "silent = ip-permanent"));
    const auto temporary =
        ask(frame(protocol::dcSetIpTemporary, withAddress("02-00-00-00-00-01", "127.0.0.74")));
    ASSERT_TRUE(temporary);
    EXPECT_EQ(temporary->bytes, status(0x83, 0));
    EXPECT_TRUE(staysSilent(
        frame(protocol::dcSetIpPermanent, withAddress("02-00-00-00-00-01", "127.0.0.74"))));
}

TEST_F(SimulatorTest, RefusalsCarryTheScriptedStatusAndChangeNothing) {
    start(device("not-allowed", "02-00-00-00-00-01", "127.0.0.75",
                 "ip-status = 1\ndhcp-status = 1\nblink-status = 1") +
          device("not-possible", "02-00-00-00-00-02", "127.0.0.76",
                 "ip-status = 2\ndhcp-status = 2\nblink-status = 2"));
    const struct {
        const char* mac;
        const char* ip;
        quint8 status;
    } devices[] = {{"02-00-00-00-00-01", "127.0.0.75", 1}, {"02-00-00-00-00-02", "127.0.0.76", 2}};
    for (const auto& refusing : devices) {
        const auto temporary =
            ask(frame(protocol::dcSetIpTemporary, withAddress(refusing.mac, "127.0.0.77")));
        ASSERT_TRUE(temporary);
        EXPECT_EQ(temporary->bytes, status(0x83, refusing.status));
        EXPECT_EQ(temporary->source, refusing.ip);
        const auto permanent =
            ask(frame(protocol::dcSetIpPermanent, withAddress(refusing.mac, "127.0.0.77")));
        ASSERT_TRUE(permanent);
        EXPECT_EQ(permanent->bytes, status(0x82, refusing.status));
        const auto dhcp = ask(frame(protocol::dcSetDhcp, QByteArray(1, 1)), refusing.ip);
        ASSERT_TRUE(dhcp);
        EXPECT_EQ(dhcp->bytes, status(0x8C, refusing.status));
        const auto blink = ask(frame(protocol::dcBlink, mac(refusing.mac)));
        ASSERT_TRUE(blink);
        EXPECT_EQ(blink->bytes, status(0x84, refusing.status));
    }
    send(scan());
    for (const auto& answer : receiveUpTo(*tool, 2)) {
        EXPECT_NE(answer.source, "127.0.0.77");
        EXPECT_EQ(answer.bytes[19], char(0x10));
    }
}

TEST_F(SimulatorTest, ADelayedDeviceAnswersAfterItsDelay) {
    start(device("slow", "02-00-00-00-00-01", "127.0.0.78", "delay = 400") +
          device("quick", "02-00-00-00-00-02", "127.0.0.79", ""));
    send(scan());
    const auto answers = receiveUpTo(*tool, 2);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].source, "127.0.0.79");
    EXPECT_EQ(answers[1].source, "127.0.0.78");
    const auto records = simulator->waitForTraffic(
        [](const auto& records) { return testsupport::countRecords(records, true) == 2; });
    const auto timeOf = [](const testsupport::TrafficRecord& record) {
        return QDateTime::fromString(QString::fromStdString(record.time), Qt::ISODateWithMs);
    };
    ASSERT_EQ(records.size(), 3u);
    EXPECT_FALSE(records[0].sent);
    EXPECT_EQ(records[2].source, "127.0.0.78:55808");
    EXPECT_GE(timeOf(records[0]).msecsTo(timeOf(records[2])), 400);
}

TEST_F(SimulatorTest, DevicesSharingAnAddressBothTakeTheDhcpRequest) {
    start(device("first", "02-00-00-00-00-01", "127.0.0.80", "") +
          device("second", "02-00-00-00-00-02", "127.0.0.80", "") +
          device("bystander", "02-00-00-00-00-03", "127.0.0.81", ""));
    send(frame(protocol::dcSetDhcp, QByteArray(1, 1)), "127.0.0.80");
    const auto answers = receiveUpTo(*tool, 3, 500);
    ASSERT_EQ(answers.size(), 2u);
    for (const auto& answer : answers) {
        EXPECT_EQ(answer.source, "127.0.0.80");
        EXPECT_EQ(answer.bytes, status(0x8C, 0));
    }
    send(scan());
    std::map<QByteArray, char> dhcpByMac;
    for (const auto& answer : receiveUpTo(*tool, 3))
        dhcpByMac[answer.bytes.mid(2, 6)] = answer.bytes[19];
    EXPECT_EQ(dhcpByMac, (std::map<QByteArray, char>{{mac("02-00-00-00-00-01"), 0x11},
                                                     {mac("02-00-00-00-00-02"), 0x11},
                                                     {mac("02-00-00-00-00-03"), 0x10}}));
}
