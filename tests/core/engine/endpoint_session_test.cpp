// The endpoint as operations meet it: opened once and reused, failures reported and
// survived, datagrams taken in by batches, and closed after a grace period that still takes
// answers in.
#include "engine_bench.h"

#include "engine/endpoint_session.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

using namespace enginetest;
using testsupport::ScanAnswerFields;

namespace {

QByteArray scanAnswer(int device) {
    return testsupport::scanAnswerFrame(
        {.mac = QStringLiteral("02-00-00-00-%1-%2")
                    .arg(device >> 8, 2, 16, QLatin1Char('0'))
                    .arg(device & 0xFF, 2, 16, QLatin1Char('0'))
                    .toUpper(),
         .ip = QStringLiteral("192.168.0.%1").arg(2 + device % 200)});
}

} // namespace

TEST(EndpointSession, OpeningBindsTheAdapterOnceAndReusesTheEndpoint) {
    EngineBench bench;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    bench.engine.openEndpoint(engine::Activity::Blinking);
    EXPECT_EQ(bench.log.lines,
              (QStringList{"@ Create Socket, current handle 0", "@ Bound FSocket handle 7",
                           "@ Start WSAAsyncSelect 7", "@ Create Socket, current handle 7"}));
    EXPECT_EQ(bench.endpoint.creates, 1);
    EXPECT_EQ(bench.endpoint.boundTo, EngineBench::kAdapter);
    EXPECT_TRUE(bench.endpoint.broadcastPermitted);
    EXPECT_TRUE(bench.engine.endpointOpen());
    EXPECT_TRUE(bench.events.lines.isEmpty());
}

TEST(EndpointSession, OpeningFailuresAreReportedAndTheNextOperationTriesAgain) {
    struct Case {
        const char* name;
        int FakeEndpoint::*failure;
        int error;
        QString event;
        bool open;
        bool scanSent;
    };
    // A socket that could not be bound is closed again: what it sent would leave from
    // wherever the system chose, and the answers would go to the port's holder.
    const Case cases[] = {
        {"create", &FakeEndpoint::createError, EMFILE, "failed Socket_error 24", true, false},
        {"bind in use", &FakeEndpoint::bindError, EADDRINUSE, "failed Error_binding_socket 98",
         false, false},
        {"bind", &FakeEndpoint::bindError, EADDRNOTAVAIL, "failed Error_binding_socket 99", false,
         false},
        {"events", &FakeEndpoint::startError, EBADF, "failed Socket_error 9", false, true},
    };
    for (const Case& c : cases) {
        EngineBench bench;
        bench.endpoint.*c.failure = c.error;
        bench.engine.startScan();
        EXPECT_EQ(bench.events.matching("failed").value(0), c.event) << c.name;
        EXPECT_EQ(bench.engine.endpointOpen(), c.open) << c.name;
        EXPECT_EQ(bench.endpoint.sent.size(), c.scanSent ? 1u : 0u) << c.name;
        // Not bound, the scan leaves the list as it was.
        const bool bindFailed = c.failure == &FakeEndpoint::bindError;
        EXPECT_EQ(bench.events.matching("cleared").size(), bindFailed ? 0 : 1) << c.name;
    }
    // A socket that could not be created leaves the handle at 0: the next opening creates it.
    EngineBench bench;
    bench.endpoint.createError = EMFILE;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    EXPECT_EQ(bench.engine.endpointHandle(), 0);
    bench.endpoint.createError = 0;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    EXPECT_EQ(bench.engine.endpointHandle(), 7);
    EXPECT_TRUE(bench.log.contains("@ Start WSAAsyncSelect 7"));
}

TEST(EndpointSession, DatagramsAreTakenInByBatchesInArrivalOrder) {
    EngineBench bench;
    bench.engine.startScan();
    std::vector<engine::ReceivedDatagram> burst;
    for (int device = 0; device < 150; ++device)
        burst.push_back({scanAnswer(device), QStringLiteral("192.168.0.%1").arg(2 + device), 0});
    bench.endpoint.deliver(burst);
    // One batch at once; the rest waits for the event loop's next turn.
    EXPECT_EQ(bench.engine.devices().count(), int(engine::EndpointSession::kBatchSize));
    bench.clock.advance(0);
    EXPECT_EQ(bench.engine.devices().count(), 150);
    EXPECT_EQ(bench.endpoint.batchSizes, (std::vector<std::size_t>{64, 64, 22}));
    EXPECT_EQ(bench.engine.devices().at(149).mac, "02-00-00-00-00-95");
    EXPECT_EQ(bench.log.lines.count("@ Socketmessage received of type: 1"), 150);
    EXPECT_EQ(bench.log.lines.count("@ Socketmessage FD_READ 29"), 150);
}

TEST(EndpointSession, ADatagramThatCannotBeReadIsCountedAndTheIntakeGoesOn) {
    EngineBench bench;
    bench.engine.startScan();
    const qsizetype logMark = bench.log.lines.size();
    bench.endpoint.deliver({{QByteArray(), QString(), EMSGSIZE},
                            {QByteArray(1600, '\x81'), QStringLiteral("192.168.0.9"), 0},
                            {scanAnswer(1), QStringLiteral("192.168.0.3"), 0},
                            {QByteArray(), QStringLiteral("192.168.0.4"), 0}});
    EXPECT_EQ(bench.engine.devices().count(), 1);
    const QStringList lines = bench.log.since(logMark);
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"@ Socketmessage received of type: 1",
                                            "@ Socketmessage FD_READ error 90 from ",
                                            "@ Socketmessage received of type: 1",
                                            "@ Socketmessage FD_READ error 90 from 192.168.0.9"}));
    // An empty datagram is read, and nothing is done with it.
    EXPECT_EQ(lines.mid(lines.size() - 2),
              (QStringList{"@ Socketmessage received of type: 1", "@ Socketmessage FD_READ 0"}));
    EXPECT_TRUE(bench.events.matching("failed").isEmpty());

    bench.endpoint.drops = 12;
    bench.clock.advance(2500);
    EXPECT_EQ(bench.events.matching("finished"), QStringList{"finished unreadable 2 dropped 12"});
    EXPECT_TRUE(bench.log.contains("@ Datagrams that could not be read: 2"));
    EXPECT_TRUE(
        bench.log.contains("@ Datagrams dropped by the system for want of receive buffer: 12"));
}

TEST(EndpointSession, TheEndpointIsWritableOnceAfterItsEventsStart) {
    EngineBench bench;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    const qsizetype mark = bench.log.lines.size();
    bench.endpoint.announceWritable();
    EXPECT_EQ(bench.log.since(mark),
              (QStringList{"@ Socketmessage received of type: 2", "@ Socketmessage FD_WRITE "}));
}

TEST(EndpointSession, ClosingWaitsTheGracePeriodAndTakesLateAnswersIn) {
    EngineBench bench;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    bench.engine.blink(engine::Target{"02-00-00-00-00-01", "192.168.0.5"});
    bench.clock.advance(engine::EndpointSession::kCloseGraceMs - 1);
    EXPECT_TRUE(bench.engine.endpointOpen());
    bench.answer("192.168.0.5", testsupport::statusAnswerFrame(0x84, 1));
    EXPECT_EQ(bench.events.lastStatus(), "Blinktest_not_allowed");
    const qsizetype mark = bench.log.lines.size();
    bench.clock.advance(1);
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.log.since(mark),
              (QStringList{"@ doCloseSocket handle 7", "@ CloseSocket closed 7",
                           "@ CloseSocket success do buttons 0"}));
    EXPECT_EQ(bench.events.matching("closed"), QStringList{"closed ok"});

    // A close with nothing open only logs.
    bench.engine.restart(std::nullopt);
    bench.clock.advance(engine::EndpointSession::kCloseGraceMs);
    EXPECT_EQ(bench.log.lines.last(), "@ doCloseSocket handle 0");
    EXPECT_EQ(bench.events.matching("closed").size(), 1);
}

TEST(EndpointSession, AFailedCloseIsLoggedAndTheOperationEndsAllTheSame) {
    EngineBench bench;
    bench.endpoint.closeError = EIO;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    bench.engine.blink(std::nullopt);
    const qsizetype mark = bench.log.lines.size();
    bench.clock.advance(engine::EndpointSession::kCloseGraceMs);
    EXPECT_EQ(bench.log.since(mark),
              (QStringList{"@ doCloseSocket handle 7", "@ CloseSocket Error5",
                           "@ CloseSocket error do  buttons 0"}));
    EXPECT_EQ(bench.events.matching("closed"), QStringList{"closed with error"});
}

TEST(EndpointSession, ClosesFollowOneAnotherEachAfterItsOwnGracePeriod) {
    EngineBench bench;
    bench.engine.openEndpoint(engine::Activity::Blinking);
    bench.engine.blink(std::nullopt);
    bench.engine.restart(std::nullopt);
    bench.clock.advance(engine::EndpointSession::kCloseGraceMs);
    EXPECT_FALSE(bench.engine.endpointOpen());
    EXPECT_EQ(bench.log.lines.count("@ doCloseSocket handle 7"), 1);
    EXPECT_FALSE(bench.log.contains("@ doCloseSocket handle 0"));
    bench.clock.advance(engine::EndpointSession::kCloseGraceMs);
    EXPECT_EQ(bench.log.lines.last(), "@ doCloseSocket handle 0");
}

TEST(EndpointSession, AnAnswerArrivingWhileOneIsHandledWaitsForTheNextTurn) {
    EngineBench bench;
    bench.engine.startScan();
    // A front end whose handling lets the endpoint announce more (as a dialog's event loop
    // would) must not see the intake start inside itself.
    bool once = true;
    QObject::connect(&bench.engine.events(), &engine::Events::deviceAdded, [&] {
        if (std::exchange(once, false))
            bench.answer("192.168.0.4", scanAnswer(2));
    });
    const qsizetype mark = bench.log.lines.size();
    bench.answer("192.168.0.3", scanAnswer(1));
    EXPECT_EQ(bench.engine.devices().count(), 1);
    EXPECT_EQ(bench.log.since(mark).last(), "int buf dann and mask 16");
    bench.clock.advance(0);
    EXPECT_EQ(bench.engine.devices().count(), 2);
}
