// The reads of short answers for many devices at once, as the command line runs them.
#include "engine_bench.h"

#include "engine/endpoint_session.h"

#include <gtest/gtest.h>

using namespace enginetest;
using engine::AddressState;
using testsupport::ScanAnswerFields;

namespace {

constexpr int kWait = 1000;
constexpr int kScanEnd = 2500 + engine::Discovery::kScanEndPauseMs;
constexpr int kGrace = engine::EndpointSession::kCloseGraceMs;

QString macOf(int n) {
    return QStringLiteral("02-00-00-00-00-%1").arg(n, 2, 16, QLatin1Char('0')).toUpper();
}

ScanAnswerFields shortAnswer(int n, const QString& ip) {
    return {.mac = macOf(n), .ip = ip, .length = 17};
}

struct ParallelBench : EngineBench {
    explicit ParallelBench(int inFlight = 32) { engine.setParallelReads(inFlight, kWait); }

    // The MACs of the reads sent from the mark on, one per device (the netmask read).
    QStringList readMacsSince(std::size_t mark) const {
        QStringList macs;
        for (const QByteArray& frame : framesSince(mark)) {
            if (quint8(frame[1]) == 0x05)
                macs << QString::fromLatin1(frame.mid(2, 6).toHex('-').toUpper());
        }
        return macs;
    }
    void answerReads(const QString& ip, const QString& netmask, const QString& gateway) {
        answer(ip, testsupport::readAnswerFrame(0x87, gateway));
        answer(ip, testsupport::readAnswerFrame(0x85, netmask));
    }
};

} // namespace

TEST(ParallelReads, ManyDevicesAreReadAtOnceAndEachAnswerGoesToItsSender) {
    ParallelBench bench;
    std::vector<ScanAnswerFields> answers;
    for (int n = 1; n <= 40; ++n)
        answers.push_back(shortAnswer(n, QStringLiteral("192.168.0.%1").arg(100 + n)));
    bench.scan(answers);
    EXPECT_EQ(bench.readMacsSince(0).size(), 32);
    // Answered last device first, gateway before netmask; each answer makes room for
    // one of the eight still waiting.
    for (const int n :
         {32, 31, 30, 29, 28, 27, 26, 25, 40, 39, 38, 37, 36, 35, 34, 33, 24, 23, 22, 21,
          20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1}) {
        const QString ip = QStringLiteral("192.168.0.%1").arg(100 + n);
        bench.answerReads(ip, QStringLiteral("255.255.%1.0").arg(n), "192.168.0.1");
    }
    EXPECT_EQ(bench.readMacsSince(0).size(), 40);
    for (int n = 1; n <= 40; ++n) {
        EXPECT_EQ(bench.device(macOf(n)).netmask.text, QStringLiteral("255.255.%1.0").arg(n));
        EXPECT_EQ(bench.device(macOf(n)).completion(), engine::Completion::Complete);
    }
    // The scan ends with its period, not with a read interval per device.
    bench.clock.advance(kScanEnd + kGrace);
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.events.lines.last(), "closed ok");
}

TEST(ParallelReads, DevicesSharingAnIpAreReadOneAfterTheOther) {
    ParallelBench bench;
    bench.scan({shortAnswer(1, "192.168.0.30"), shortAnswer(2, "192.168.0.30"),
                shortAnswer(3, "192.168.0.31")});
    EXPECT_EQ(bench.readMacsSince(0), (QStringList{macOf(1), macOf(3)}));
    const std::size_t mark = bench.sentCount();
    bench.answerReads("192.168.0.30", "255.255.0.0", "192.168.0.1");
    EXPECT_EQ(bench.device(macOf(1)).netmask.text, "255.255.0.0");
    EXPECT_EQ(bench.device(macOf(2)).netmask.state, AddressState::Searching);
    EXPECT_EQ(bench.readMacsSince(mark), QStringList{macOf(2)});
    bench.answerReads("192.168.0.30", "255.0.0.0", "192.168.0.2");
    EXPECT_EQ(bench.device(macOf(1)).netmask.text, "255.255.0.0");
    EXPECT_EQ(bench.device(macOf(2)).netmask.text, "255.0.0.0");
    // An answer that no read waits for, a repeat included, changes nothing.
    bench.answerReads("192.168.0.30", "255.255.255.0", "192.168.0.3");
    EXPECT_EQ(bench.device(macOf(2)).gateway.text, "192.168.0.2");
    EXPECT_TRUE(
        bench.log.contains("Read answer from 192.168.0.30 that no read waits for, ignored"));
}

TEST(ParallelReads, ADeviceThatDoesNotAnswerIsAskedOnceMoreThenGivenUp) {
    struct Case {
        const char* name;
        bool answersTheSecond;
        AddressState ends;
    };
    const Case cases[] = {{"silent", false, AddressState::NotAvailable},
                          {"first answer lost", true, AddressState::Value}};
    for (const Case& c : cases) {
        ParallelBench bench;
        engine::Intervals intervals;
        intervals.scanPeriod = 500;
        bench.engine.setIntervals(intervals);
        bench.scan({shortAnswer(1, "192.168.0.40")});
        bench.clock.advance(kWait - 1);
        EXPECT_EQ(bench.readMacsSince(0).size(), 1) << c.name;
        bench.clock.advance(1);
        EXPECT_EQ(bench.readMacsSince(0).size(), 2) << c.name;
        if (c.answersTheSecond)
            bench.answerReads("192.168.0.40", "255.255.255.0", "192.168.0.1");
        // Given up two waits after the first read; an answer ends the reads at once.
        bench.clock.advance(kWait - 1);
        EXPECT_EQ(bench.engine.endpointOpen(), !c.answersTheSecond) << c.name;
        bench.runUntilIdle();
        EXPECT_EQ(bench.readMacsSince(0).size(), 2) << c.name;
        EXPECT_EQ(bench.device(macOf(1)).netmask.state, c.ends) << c.name;
        EXPECT_FALSE(bench.engine.endpointOpen()) << c.name;
        EXPECT_EQ(bench.events.matching("closed").size(), 1) << c.name;
    }
}

TEST(ParallelReads, CopiesAreReadOnceAndOnlyAnswersBeforeTheEndpointClosesAreRead) {
    ParallelBench bench;
    bench.scan({shortAnswer(1, "192.168.0.50"), shortAnswer(1, "192.168.0.50"),
                shortAnswer(1, "192.168.0.50")});
    bench.answerReads("192.168.0.50", "255.255.255.0", "192.168.0.1");
    EXPECT_EQ(bench.readMacsSince(0).size(), 1);
    // Within the closing grace: read, and the endpoint closes only after its answers.
    bench.clock.advance(kScanEnd + kGrace - 1);
    const std::size_t mark = bench.sentCount();
    bench.endpoint.deliver(
        {{testsupport::scanAnswerFrame(shortAnswer(2, "192.168.0.51")), "192.168.0.51", 0}});
    bench.clock.advance(1);
    EXPECT_EQ(bench.readMacsSince(mark), QStringList{macOf(2)});
    EXPECT_TRUE(bench.engine.endpointOpen());
    EXPECT_TRUE(bench.events.matching("closed").isEmpty());
    bench.answerReads("192.168.0.51", "255.255.0.0", "192.168.0.1");
    EXPECT_EQ(bench.device(macOf(2)).completion(), engine::Completion::Complete);
    // Within the grace that follows: no longer read, whatever keeps arriving.
    bench.clock.advance(kGrace - 1);
    bench.endpoint.deliver(
        {{testsupport::scanAnswerFrame(shortAnswer(3, "192.168.0.52")), "192.168.0.52", 0}});
    bench.runUntilIdle();
    EXPECT_EQ(bench.readMacsSince(mark).size(), 1);
    EXPECT_EQ(bench.device(macOf(3)).netmask.state, AddressState::NotAvailable);
    EXPECT_FALSE(bench.engine.endpointOpen());
}
