// Blink and restart: one frame each, to the device or to everyone by the destination rule,
// and the endpoint closed after them.
#include "change_test_helpers.h"

#include "engine/endpoint_session.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace enginetest;

namespace {

constexpr int kGrace = engine::EndpointSession::kCloseGraceMs;

} // namespace

TEST(Commands, GoToTheDeviceInTheAdaptersSubnetAndToEveryoneOtherwise) {
    struct Case {
        QString ip;
        bool dhcpTicked;
        QString destination;
    };
    const Case cases[] = {{kDeviceIp, false, kDeviceIp},
                          {kDeviceIp, true, EngineBench::kBroadcast},
                          {"10.9.0.5", false, EngineBench::kBroadcast}};
    for (const Case& c : cases) {
        EngineBench bench;
        bench.engine.setDhcpTicked(c.dhcpTicked);
        bench.engine.openEndpoint(engine::Activity::Blinking);
        bench.engine.blink(engine::Target{kMac, c.ip});
        bench.engine.restart(engine::Target{kMac, c.ip});
        EXPECT_EQ(bench.framesSince(0),
                  (std::vector<QByteArray>{QByteArray::fromHex("0704001122334455F5"),
                                           QByteArray::fromHex("070B001122334455EE")}));
        EXPECT_EQ(bench.destinationsSince(0), (std::vector<QString>{c.destination, c.destination}))
            << c.ip.toStdString() << " " << c.dhcpTicked;
    }
}

TEST(Commands, BlinkShowsItsStatusAndOnlyARefusalChangesIt) {
    for (const quint8 status : {quint8(0), quint8(1), quint8(2)}) {
        EngineBench bench;
        bench.engine.openEndpoint(engine::Activity::Blinking);
        bench.engine.blink(engine::Target{kMac, kDeviceIp});
        EXPECT_EQ(bench.events.lastStatus(), "Blinktest");
        bench.answer(kDeviceIp, testsupport::statusAnswerFrame(0x84, status));
        EXPECT_EQ(bench.events.lastStatus(), status == 1 ? "Blinktest_not_allowed" : "Blinktest");
        bench.clock.advance(kGrace);
        EXPECT_FALSE(bench.engine.endpointOpen());
        EXPECT_EQ(bench.events.matching("closed"), QStringList{"closed ok"});
    }
}

TEST(Commands, WithoutADeviceNothingIsSentAndTheEndpointIsClosedAllTheSame) {
    EngineBench bench;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    bench.engine.blink(std::nullopt);
    bench.engine.restart(std::nullopt);
    // A MAC text that is no MAC gives no frame either.
    bench.engine.restart(engine::Target{"no MAC", kDeviceIp});
    EXPECT_TRUE(bench.endpoint.sent.empty());
    EXPECT_EQ(bench.log.since(3),
              (QStringList{"No device line, blink not sent", "Send device restart!",
                           "No device line, restart not sent", "Send device restart!",
                           "No device line, restart not sent"}));
    bench.clock.advance(kGrace);
    EXPECT_FALSE(bench.engine.endpointOpen());
}

TEST(Commands, ASendFailureIsReportedAndTheEndpointIsClosed) {
    EngineBench bench;
    bench.endpoint.sendError = EACCES;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    bench.engine.blink(engine::Target{kMac, kDeviceIp});
    bench.engine.restart(engine::Target{kMac, kDeviceIp});
    EXPECT_EQ(bench.events.matching("failed"),
              (QStringList{"failed Error_Sending_blink 13", "failed Error_sending_restart 13"}));
    bench.runUntilIdle();
    EXPECT_FALSE(bench.engine.endpointOpen());
}

TEST(Commands, ABlinkDuringAScanLeavesTheScansEndpointOpen) {
    EngineBench bench;
    bench.scan({{.mac = kMac, .ip = kDeviceIp}});
    bench.engine.blink(engine::Target{kMac, kDeviceIp});
    bench.clock.advance(kGrace);
    EXPECT_TRUE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.log.lines.last(), "@ doCloseSocket handle 7");
    bench.answer("192.168.0.9",
                 testsupport::scanAnswerFrame({.mac = kOtherMac, .ip = "192.168.0.9"}));
    EXPECT_EQ(bench.engine.devices().count(), 2);
    bench.runUntilIdle();
    EXPECT_FALSE(bench.engine.endpointOpen());
}
