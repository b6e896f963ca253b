#include "simulator_test.h"

#include <QRegularExpression>

#include <fstream>

namespace {

constexpr const char* kDevice = "[gw]\nmac = 02-00-00-00-00-01\nip = 127.0.0.90\n";

} // namespace

TEST_F(SimulatorTest, GarbageIsRecordedAndIgnoredWithoutHarm) {
    start(kDevice);
    const QByteArray garbage[] = {
        {},
        hex("01"),
        hex("0101"),
        hex("0101FC"),                                    // wrong checksum
        hex("020101FB"),                                  // length byte too large for a scan
        frame(0x0D),                                      // unknown request
        frame(0x7F, QByteArray(8, 1)),                    // unknown request with a payload
        frame(protocol::dcReadNetmask, hex("020000")),    // MAC cut short
        frame(0x81, hex("020000000001")),                 // an answer, not a request
        QByteArray(3000, char(0xFF)),                     // longer than any frame
        QByteArray::fromStdString(std::string(200, 'x')), // text
    };
    for (const QByteArray& datagram : garbage)
        send(datagram);
    const auto records = simulator->waitForTraffic(
        [&](const auto& records) { return records.size() >= std::size(garbage); });
    ASSERT_EQ(records.size(), std::size(garbage));
    for (std::size_t i = 0; i < std::size(garbage); ++i) {
        EXPECT_FALSE(records[i].sent);
        EXPECT_EQ(records[i].bytes, garbage[i]);
    }
    EXPECT_FALSE(tool->receive(300)) << "garbage is never answered";
    EXPECT_TRUE(simulator->running());
    const auto answer = ask(scan());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->source, "127.0.0.90");
    EXPECT_NE(simulator->output().find("checksum 0xFC, expected 0xFD"), std::string::npos);
}

TEST_F(SimulatorTest, TrafficLogHasOneLinePerDatagramInAFixedForm) {
    start(kDevice);
    ASSERT_TRUE(ask(scan()));
    simulator->waitForTraffic([](const auto& records) { return records.size() == 2; });
    std::ifstream log(simulator->logPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    const QRegularExpression form(QRegularExpression::anchoredPattern(
        R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z (rx|tx) )"
        R"(\d+\.\d+\.\d+\.\d+:\d+ \d+\.\d+\.\d+\.\d+:\d+( [0-9A-F]{2})*)"));
    for (const std::string& line : lines)
        EXPECT_TRUE(form.match(QString::fromStdString(line)).hasMatch()) << line;
    const std::string port = std::to_string(tool->port());
    EXPECT_NE(lines[0].find(" rx 127.0.0.1:" + port + " 255.255.255.255:55808 01 01 FD"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" tx 127.0.0.90:55808 127.0.0.1:" + port + " 1B 81 02 00 00 00 00 01"),
              std::string::npos)
        << lines[1];
}

TEST_F(SimulatorTest, OwnBroadcastAnswersComingBackAreNotTraffic) {
    start("[far]\nmac = 02-00-00-00-00-01\nip = 10.9.0.5\nnetmask = 255.255.255.0\n");
    const auto answer = ask(scan());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->destination, "255.255.255.255");
    EXPECT_TRUE(staysSilent(frame(protocol::dcReadNetmask, mac("02-00-00-00-00-99"))));
    const auto records = simulator->traffic();
    EXPECT_EQ(testsupport::countRecords(records, false), 2u) << "the scan and the read only";
    EXPECT_EQ(testsupport::countRecords(records, true), 1u);
}
