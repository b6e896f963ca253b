// The scan and the reads of netmask and gateway, as the engine runs them against played
// devices on a fake clock.
#include "engine_bench.h"

#include "engine/endpoint_session.h"
#include "protocol/frame.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace enginetest;
using engine::AddressField;
using engine::AddressState;
using engine::DhcpMode;
using engine::RestartSupport;
using testsupport::ScanAnswerFields;

namespace {

const QByteArray kScanRequest = QByteArray::fromHex("0101FD");
constexpr int kGrace = engine::EndpointSession::kCloseGraceMs;

ScanAnswerFields shortAnswer(const QString& mac, const QString& ip, int length = 17) {
    return {.mac = mac, .ip = ip, .length = length};
}

QByteArray read(quint8 code, const QString& mac) {
    return commandRequest(code, mac);
}

} // namespace

TEST(Scan, WithoutAnswersTheScanPeriodEndsAndTheEndpointIsClosed) {
    EngineBench bench;
    bench.engine.startScan();
    EXPECT_EQ(bench.framesSince(0), std::vector<QByteArray>{kScanRequest});
    EXPECT_EQ(bench.destinationsSince(0), std::vector<QString>{EngineBench::kBroadcast});
    EXPECT_EQ(bench.events.lines, (QStringList{"cleared", "status Scanning"}));
    EXPECT_EQ(bench.log.lines.last(), "@ Sending scan to 7");
    EXPECT_TRUE(bench.engine.discovery().scanRunning());

    bench.clock.advance(2499);
    EXPECT_EQ(bench.events.lastStatus(), "Scanning");
    bench.clock.advance(1);
    EXPECT_EQ(bench.events.lastStatus(), "Scan_finished");
    EXPECT_EQ(bench.events.matching("finished"), QStringList{"finished unreadable 0 dropped 0"});
    bench.clock.advance(engine::Discovery::kScanEndPauseMs + kGrace - 1);
    EXPECT_TRUE(bench.engine.endpointOpen());
    bench.clock.advance(1);
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.events.lines.last(), "closed ok");
    EXPECT_TRUE(bench.clock.idle());
}

TEST(Scan, ASendFailureIsReportedAndThePeriodRunsOn) {
    EngineBench bench;
    bench.endpoint.sendError = ENETUNREACH;
    bench.engine.startScan();
    EXPECT_EQ(bench.events.matching("failed"), QStringList{"failed Error_sending_scan 101"});
    bench.runUntilIdle();
    EXPECT_EQ(bench.events.lastStatus(), "Scan_finished");
    EXPECT_FALSE(bench.engine.endpointOpen());
}

TEST(Scan, EachAnswerFillsItsRecordByItsLayout) {
    struct Case {
        const char* name;
        ScanAnswerFields answer;
        int typeCode;
        DhcpMode dhcp;
        AddressState addresses;
        RestartSupport restart;
    };
    const Case cases[] = {
        {"dhcp active",
         {.dhcpByte = 0x11},
         0x0101,
         DhcpMode::Active,
         AddressState::Value,
         RestartSupport::Supported},
        {"dhcp inactive",
         {.dhcpByte = 0x10},
         0x0101,
         DhcpMode::NotActive,
         AddressState::Value,
         RestartSupport::Supported},
        {"dhcp unsupported",
         {.deviceType = 0x0777, .dhcpByte = 18},
         0x0300 + 0x77,
         DhcpMode::NotSupported,
         AddressState::Value,
         RestartSupport::NotSupported},
        // N = 17: the type is its low byte alone; N = 18 adds the high bits of mask 0x1B.
        {"short 17",
         {.deviceType = 0x0A2A, .length = 17},
         0x2A,
         DhcpMode::NotReported,
         AddressState::Searching,
         RestartSupport::Unknown},
        {"short 18",
         {.deviceType = 0xFF2A, .length = 18},
         0x1B2A,
         DhcpMode::NotReported,
         AddressState::Searching,
         RestartSupport::Unknown},
    };
    for (const Case& c : cases) {
        EngineBench bench;
        bench.scan({c.answer});
        ASSERT_EQ(bench.engine.devices().count(), 1) << c.name;
        const engine::DeviceRecord& device = bench.engine.devices().at(0);
        EXPECT_EQ(device.mac, c.answer.mac) << c.name;
        EXPECT_EQ(device.ip, c.answer.ip) << c.name;
        EXPECT_EQ(device.typeCode, c.typeCode) << c.name;
        EXPECT_EQ(device.revision, "V1.05") << c.name;
        EXPECT_EQ(device.dhcp, c.dhcp) << c.name;
        EXPECT_EQ(device.netmask.state, c.addresses) << c.name;
        EXPECT_EQ(device.gateway.state, c.addresses) << c.name;
        EXPECT_EQ(device.restart, c.restart) << c.name;
        EXPECT_FALSE(device.duplicateMark) << c.name;
        if (c.addresses == AddressState::Value) {
            EXPECT_EQ(device.netmask.text, "255.0.0.0") << c.name;
            EXPECT_EQ(device.gateway.text, "127.0.0.254") << c.name;
        }
        EXPECT_EQ(bench.events.lastStatus(), "Scanning_OK") << c.name;
    }
}

TEST(Scan, AnAnswerWritesTheLogLinesOfItsLayout) {
    EngineBench bench;
    bench.engine.setLineIndex([](engine::DeviceId) { return 4; });
    bench.engine.startScan();
    const qsizetype mark = bench.log.lines.size();
    bench.answer("192.168.0.5", testsupport::scanAnswerFrame({.ip = "192.168.0.5"}));
    bench.answer("192.168.0.6",
                 testsupport::scanAnswerFrame(shortAnswer("02-00-00-00-00-06", "192.168.0.6")));
    EXPECT_EQ(bench.log.since(mark),
              (QStringList{"@ Socketmessage received of type: 1", "@ Socketmessage FD_READ 29",
                           "insert at Index 1", "MsgLen von  192.168.0.5 vor entscheidung 27",
                           "Adresse schon da ", "int 16", "int buf dann and mask 16",
                           "@ Socketmessage received of type: 1", "@ Socketmessage FD_READ 19",
                           "insert at Index 2", "MsgLen von  192.168.0.6 vor entscheidung 17",
                           "Add to list index 4", "Start trimer get Params"}));
    // Each device is announced once, with everything its answer said.
    EXPECT_EQ(bench.events.since(2),
              (QStringList{"status Scanning_OK", "added 0", "status Scanning_OK", "added 1"}));
}

TEST(Scan, TheSameDeviceAnsweringAgainKeepsItsRecordAndANewIpGivesAnother) {
    EngineBench bench;
    const QString mac = QStringLiteral("02-00-00-00-00-01");
    bench.scan({{.mac = mac, .ip = "192.168.0.5"},
                shortAnswer(mac, "192.168.0.5"),
                {.mac = mac, .ip = "192.168.0.7"}});
    ASSERT_EQ(bench.engine.devices().count(), 2);
    // The short answer overwrote what the full one had said, but the restart support.
    const engine::DeviceRecord& first = bench.engine.devices().at(0);
    EXPECT_EQ(first.netmask.state, AddressState::Searching);
    EXPECT_EQ(first.dhcp, DhcpMode::NotReported);
    EXPECT_EQ(first.restart, RestartSupport::Supported);
    EXPECT_EQ(bench.engine.devices().at(1).ip, "192.168.0.7");
}

TEST(Scan, DevicesAnsweringWithOneIpAreMarkedUntilAnotherAddressAnswers) {
    EngineBench bench;
    bench.scan({{.mac = "02-00-00-00-00-01", .ip = "192.168.0.30"},
                {.mac = "02-00-00-00-00-02", .ip = "192.168.0.30"}});
    EXPECT_TRUE(bench.engine.devices().at(0).duplicateMark);
    EXPECT_TRUE(bench.engine.devices().at(1).duplicateMark);
    // The first device hears of its new mark.
    EXPECT_EQ(bench.events.matching("changed 0").size(), 1u);
    bench.answer("192.168.0.31",
                 testsupport::scanAnswerFrame({.mac = "02-00-00-00-00-03", .ip = "192.168.0.31"}));
    EXPECT_FALSE(bench.engine.devices().at(0).duplicateMark);
    EXPECT_FALSE(bench.engine.devices().at(1).duplicateMark);
}

TEST(Reads, ShortAnswersAreReadOneDevicePerIntervalNetmaskFirst) {
    EngineBench bench;
    const QString macA = QStringLiteral("02-00-00-00-00-01");
    const QString macB = QStringLiteral("02-00-00-00-00-02");
    bench.scan({shortAnswer(macA, "192.168.0.21"), shortAnswer(macB, "10.9.0.5", 18)});
    EXPECT_EQ(bench.engine.discovery().readQueue().size(), 2u);
    EXPECT_TRUE(bench.events.matching("reads").isEmpty());
    const std::size_t mark = bench.sentCount();

    bench.clock.advance(1499);
    EXPECT_EQ(bench.sentCount(), mark);
    bench.clock.advance(1);
    EXPECT_EQ(bench.framesSince(mark), std::vector<QByteArray>{read(0x05, macA)});
    bench.answer("192.168.0.21", testsupport::readAnswerFrame(0x85, "255.255.255.0"));
    bench.clock.advance(engine::Discovery::kReadGapMs);
    EXPECT_EQ(bench.framesSince(mark),
              (std::vector<QByteArray>{read(0x05, macA), read(0x07, macA)}));
    bench.answer("192.168.0.21", testsupport::readAnswerFrame(0x87, "192.168.0.1"));
    EXPECT_EQ(bench.device(macA).netmask, AddressField::value("255.255.255.0"));
    EXPECT_EQ(bench.device(macA).gateway, AddressField::value("192.168.0.1"));
    EXPECT_EQ(bench.device(macA).completion(), engine::Completion::Complete);
    // While the reads go on, each answer shows how far they are.
    EXPECT_TRUE(bench.events.matching("status Reading_OK").isEmpty());
    EXPECT_EQ(bench.engine.discovery().lastGateway(), "192.168.0.1");

    // The next device, outside the adapter's subnet, is read by broadcast.
    bench.clock.advance(1500);
    EXPECT_EQ(bench.framesSince(mark + 2),
              (std::vector<QByteArray>{read(0x05, macB), read(0x07, macB)}));
    EXPECT_EQ(bench.destinationsSince(mark),
              (std::vector<QString>{"192.168.0.21", "192.168.0.21", EngineBench::kBroadcast,
                                    EngineBench::kBroadcast}));
    EXPECT_EQ(bench.events.matching("reads"),
              (QStringList{"reads 1 of 2", "reads 1 of 2", "reads 1 of 2", "reads 2 of 2"}));
    // Once the reads are over, a late answer is a plain read.
    bench.runUntilIdle();
    bench.engine.readMissing(macB, true, false);
    bench.answer("10.9.0.5", testsupport::readAnswerFrame(0x85, "255.255.255.0"));
    EXPECT_EQ(bench.events.lastStatus(), "Reading_OK");
    EXPECT_TRUE(bench.log.contains("Getting list Index: 02-00-00-00-00-01"));
    EXPECT_TRUE(bench.log.contains("        Insert to List for 192.168.0.21"));
    EXPECT_TRUE(bench.log.contains("Preparing Message Gateway for IP 10.9.0.5"));
}

TEST(Reads, DevicesThatNeverAnswerEndNotAvailableOrNotConfigurable) {
    EngineBench bench;
    bench.scan({shortAnswer("02-00-00-00-00-01", "192.168.0.21"),
                shortAnswer("02-00-00-00-00-02", "169.254.3.4")});
    bench.runUntilIdle();
    EXPECT_EQ(bench.engine.devices().at(0).completion(), engine::Completion::NotAvailable);
    EXPECT_EQ(bench.engine.devices().at(1).completion(), engine::Completion::NotConfigurable);
    EXPECT_EQ(bench.engine.devices().at(1).gateway.state, AddressState::NotConfigurable);
    EXPECT_TRUE(bench.log.contains("Stop timer getParams"));
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_TRUE(bench.events.matching("failed").isEmpty());
}

TEST(Reads, TheReadsEndingDuringTheScanPeriodLeaveTheEndpointOpenForLaterAnswers) {
    EngineBench bench;
    engine::Intervals intervals;
    intervals.readPace = 100;
    bench.engine.setIntervals(intervals);
    bench.scan({shortAnswer("02-00-00-00-00-01", "192.168.0.21")});
    // Read at 100 ms, the empty queue found at 200 ms, the reads ended at 500 ms.
    bench.clock.advance(1000);
    EXPECT_TRUE(bench.log.contains("Stop timer getParams"));
    EXPECT_FALSE(bench.engine.discovery().readsRunning());
    bench.clock.advance(1000);
    EXPECT_TRUE(bench.engine.endpointOpen());
    EXPECT_TRUE(bench.log.lines.filter("doCloseSocket").isEmpty());
    bench.answer("192.168.0.22",
                 testsupport::scanAnswerFrame({.mac = "02-00-00-00-00-02", .ip = "192.168.0.22"}));
    EXPECT_EQ(bench.engine.devices().count(), 2);
    bench.runUntilIdle();
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.log.lines.filter("doCloseSocket").size(), 1);
}

TEST(Reads, AReadThatCannotBeSentIsReportedAndItsGatewayIsNotAskedFor) {
    EngineBench bench;
    bench.scan({shortAnswer("02-00-00-00-00-01", "192.168.0.21")});
    bench.endpoint.sendError = ENETUNREACH;
    const std::size_t mark = bench.sentCount();
    bench.clock.advance(1500 + engine::Discovery::kReadGapMs);
    EXPECT_EQ(bench.sentCount(), mark);
    EXPECT_EQ(bench.events.matching("failed"),
              QStringList{"failed Some_parameters_not_retreived_scan_again 0"});
    EXPECT_EQ(bench.log.lines.filter("Preparing Message").size(), 1);
    EXPECT_TRUE(bench.log.contains("@ 101"));
}

TEST(Reads, ReadAnswersGoToEveryDeviceAtTheSenderAddressAndNoOther) {
    EngineBench bench;
    bench.scan({shortAnswer("02-00-00-00-00-01", "10.0.0.5"),
                shortAnswer("02-00-00-00-00-02", "10.0.0.5"),
                shortAnswer("02-00-00-00-00-03", "10.0.0.50")});
    bench.answer("10.0.0.5", testsupport::readAnswerFrame(0x85, "255.255.0.0"));
    EXPECT_EQ(bench.engine.devices().at(0).netmask.text, "255.255.0.0");
    EXPECT_EQ(bench.engine.devices().at(1).netmask.text, "255.255.0.0");
    EXPECT_EQ(bench.engine.devices().at(2).netmask.state, AddressState::Searching);
    // An address no device has changes nothing.
    bench.answer("10.0.0.99", testsupport::readAnswerFrame(0x87, "10.0.0.1"));
    EXPECT_EQ(bench.engine.devices().at(0).gateway.state, AddressState::Searching);
}

TEST(Reads, ANewScanDropsTheReadsStillToDo) {
    EngineBench bench;
    bench.scan({shortAnswer("02-00-00-00-00-01", "192.168.0.21"),
                shortAnswer("02-00-00-00-00-02", "192.168.0.22"),
                shortAnswer("02-00-00-00-00-03", "192.168.0.23")});
    bench.clock.advance(1500);
    const std::size_t mark = bench.sentCount();
    bench.engine.startScan();
    EXPECT_TRUE(
        bench.log.contains("Scan started, netmask and gateway reads dropped for 2 devices"));
    EXPECT_TRUE(bench.engine.discovery().readQueue().empty());
    EXPECT_EQ(bench.engine.devices().count(), 0);
    bench.runUntilIdle();
    EXPECT_EQ(bench.framesSince(mark), std::vector<QByteArray>{kScanRequest});
}

TEST(Reads, SelectingADeviceReadsWhatIsMissingAndClosesTheEndpoint) {
    EngineBench bench;
    const QString mac = QStringLiteral("02-00-00-00-00-01");
    bench.scan({shortAnswer(mac, "192.168.0.21")});
    bench.runUntilIdle();
    const std::size_t mark = bench.sentCount();
    bench.engine.readMissing(mac, true, true);
    EXPECT_EQ(bench.framesSince(mark), (std::vector<QByteArray>{read(0x05, mac), read(0x07, mac)}));
    bench.answer("192.168.0.21", testsupport::readAnswerFrame(0x85, "255.255.255.0"));
    bench.clock.advance(kGrace);
    EXPECT_EQ(bench.device(mac).netmask.text, "255.255.255.0");
    EXPECT_EQ(bench.device(mac).gateway.state, AddressState::NotAvailable);
    EXPECT_FALSE(bench.engine.endpointOpen());
}

TEST(Destination, UnicastOnlyInsideTheAdaptersSubnetAndWithoutTheDhcpBox) {
    struct Case {
        QString adapter;
        QString device;
        bool dhcpTicked;
        QString expected;
    };
    const Case cases[] = {
        {"192.168.0.1", "192.168.0.44", false, "192.168.0.44"},
        {"192.168.0.1", "192.168.0.44", true, "255.255.255.255"},
        {"192.168.0.1", "192.168.1.44", false, "255.255.255.255"},
        {"192.168.0.1", "192.168.0.1", false, "255.255.255.255"}, // the adapter itself
        {"10.1.0.1", "10.1.200.3", false, "10.1.200.3"},
        {"192.168.000.001", "192.168.0.44", false, "255.255.255.255"}, // no such interface
        {"192.168.0.1", "", false, "255.255.255.255"},
    };
    for (const Case& c : cases) {
        EngineBench bench;
        bench.engine.setAdapter(c.adapter);
        bench.engine.setDhcpTicked(c.dhcpTicked);
        EXPECT_EQ(bench.engine.destinationFor(c.device), c.expected)
            << c.adapter.toStdString() << " " << c.device.toStdString();
    }
    EngineBench bench;
    bench.engine.destinationFor("192.168.0.44");
    EXPECT_EQ(bench.log.lines,
              (QStringList{"Anzahl network interfaces 2", "Subnetmask found 255.255.255.0"}));
}
