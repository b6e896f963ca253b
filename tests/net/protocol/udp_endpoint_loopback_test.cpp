// The endpoint inside a namespace that holds only loopback: the adapter is 127.0.0.1, peers
// use further loopback addresses or foreign addresses added to lo as /32.
#include "protocol/udp_endpoint.h"

#include "support/endpoint_intake.h"
#include "support/event_pump.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include <QByteArray>

#include <cerrno>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using protocol::UdpEndpoint;
using testsupport::pumpRounds;
using testsupport::pumpUntil;
using testsupport::TestNetwork;
using testsupport::UdpPeer;

namespace {

const QByteArray kScan = QByteArray::fromHex("0101FD");
const QString kBroadcast = QStringLiteral("255.255.255.255");

QByteArray answerNumbered(int number) {
    QByteArray frame = QByteArray::fromHex("1B81");
    frame.append(QByteArray::number(number).rightJustified(25, '0'));
    return frame;
}

class EndpointOnLoopback : public ::testing::Test {
protected:
    // A foreign subnet's device, reachable only by broadcast in real life.
    void SetUp() override { ASSERT_NO_THROW(network->devices().addAddress("10.9.0.7/32")); }

    void open(const QString& adapterIp = QStringLiteral("127.0.0.1")) {
        ASSERT_NO_FATAL_FAILURE(testsupport::openEndpoint(endpoint, adapterIp));
    }

    // Waits until the kernel holds a datagram for the endpoint's own socket.
    bool datagramWaiting() const {
        pollfd waiting{endpoint.handle(), POLLIN, 0};
        return ::poll(&waiting, 1, 5000) == 1;
    }

    const std::unique_ptr<TestNetwork> network = TestNetwork::tier1();
    UdpEndpoint endpoint;
    testsupport::TakenDatagrams taken;
};

TEST_F(EndpointOnLoopback, UnicastAnswersArriveWithTheirSourceAddress) {
    open();
    taken.takeOnReadable(endpoint);
    UdpPeer neighbour(QStringLiteral("127.0.0.5"), 55808);
    UdpPeer foreign(QStringLiteral("10.9.0.7"), 55808);
    ASSERT_TRUE(neighbour.isOpen() && foreign.isOpen());
    ASSERT_TRUE(neighbour.sendTo(answerNumbered(1), "127.0.0.1", 55808));
    ASSERT_TRUE(foreign.sendTo(answerNumbered(2), "127.0.0.1", 55808));

    ASSERT_TRUE(pumpUntil([&] { return taken.size() == 2; }));
    EXPECT_TRUE(taken.contains(answerNumbered(1), "127.0.0.5"));
    EXPECT_TRUE(taken.contains(answerNumbered(2), "10.9.0.7"));
    EXPECT_TRUE(taken.errors().empty());
}

TEST_F(EndpointOnLoopback, LimitedBroadcastsOnTheAdapterInterfaceArrive) {
    open();
    taken.takeOnReadable(endpoint);
    UdpPeer foreign(QStringLiteral("10.9.0.7"), 55808);
    ASSERT_TRUE(foreign.isOpen());
    ASSERT_TRUE(foreign.sendTo(answerNumbered(3), kBroadcast, 55808));

    ASSERT_TRUE(pumpUntil([&] { return taken.contains(answerNumbered(3), "10.9.0.7"); }));
    // One copy only: the adapter's own socket does not see limited broadcasts.
    pumpRounds(20);
    EXPECT_EQ(taken.size(), 1u);
}

TEST_F(EndpointOnLoopback, SharesThePortWithASimulatorOnTheWildcardAddress) {
    UdpPeer simulator(QStringLiteral("0.0.0.0"), 55808, {.reuseAddress = true});
    ASSERT_TRUE(simulator.isOpen()) << simulator.error();
    open();
    taken.takeOnReadable(endpoint);

    int error = 0;
    ASSERT_TRUE(endpoint.sendTo(kScan, kBroadcast, &error)) << error;
    const auto scan = simulator.receive();
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->bytes, kScan);
    EXPECT_EQ(scan->source, "127.0.0.1");
    EXPECT_EQ(scan->sourcePort, 55808);
    EXPECT_EQ(scan->destination, kBroadcast);

    ASSERT_TRUE(endpoint.sendTo(QByteArray::fromHex("0705"), "127.0.0.9", &error)) << error;
    const auto request = simulator.receive();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->destination, "127.0.0.9");

    // Answers from two simulated devices, one to the adapter address and one by broadcast.
    ASSERT_TRUE(simulator.sendFrom("127.0.0.9", answerNumbered(4), "127.0.0.1", 55808));
    ASSERT_TRUE(simulator.sendFrom("10.9.0.7", answerNumbered(5), kBroadcast, 55808))
        << simulator.error();
    ASSERT_TRUE(pumpUntil([&] {
        return taken.contains(answerNumbered(4), "127.0.0.9") &&
               taken.contains(answerNumbered(5), "10.9.0.7");
    }));
}

TEST_F(EndpointOnLoopback, SendFailuresGiveTheirErrorNumbers) {
    int error = 0;
    ASSERT_TRUE(endpoint.create(&error));
    ASSERT_TRUE(endpoint.bind("127.0.0.1", &error));
    EXPECT_FALSE(endpoint.sendTo(kScan, kBroadcast, &error)) << "broadcast not yet permitted";
    EXPECT_EQ(error, EACCES);
    endpoint.permitBroadcast();
    EXPECT_TRUE(endpoint.sendTo(kScan, kBroadcast, &error)) << error;
    for (const char* destination : {"", "no address", "0.0.0.0"}) {
        error = 0;
        EXPECT_FALSE(endpoint.sendTo(kScan, destination, &error)) << destination;
        EXPECT_EQ(error, EADDRNOTAVAIL) << destination;
    }
}

TEST_F(EndpointOnLoopback, BindFailuresGiveTheirErrorNumbers) {
    int error = 0;
    for (const char* adapter :
         {"10.200.0.1", "not an address", "", "255.255.255.255", "224.0.0.1"}) {
        UdpEndpoint refused;
        ASSERT_TRUE(refused.create(&error));
        error = 0;
        EXPECT_FALSE(refused.bind(adapter, &error)) << adapter;
        EXPECT_EQ(error, EADDRNOTAVAIL) << adapter;
    }

    // Someone holds the adapter's port without sharing it.
    UdpPeer exclusive(QStringLiteral("127.0.0.1"), 55808);
    ASSERT_TRUE(exclusive.isOpen());
    ASSERT_TRUE(endpoint.create(&error));
    EXPECT_FALSE(endpoint.bind("127.0.0.1", &error));
    EXPECT_EQ(error, EADDRINUSE);
    // The program goes on with the unbound socket, which can still send.
    endpoint.permitBroadcast();
    EXPECT_TRUE(endpoint.sendTo(kScan, kBroadcast, &error)) << error;
}

TEST_F(EndpointOnLoopback, EveryCallWithoutASocketFailsWithNotASocket) {
    protocol::ReceiveBuffer buffer;
    qsizetype received = -1;
    QString source;
    int error = 0;
    EXPECT_EQ(endpoint.handle(), 0);
    EXPECT_FALSE(endpoint.bind("127.0.0.1", &error));
    EXPECT_EQ(error, ENOTSOCK);
    error = 0;
    EXPECT_FALSE(endpoint.startEvents(&error));
    EXPECT_EQ(error, ENOTSOCK);
    error = 0;
    EXPECT_FALSE(endpoint.receive(buffer, &received, &source, &error));
    EXPECT_EQ(error, ENOTSOCK);
    EXPECT_EQ(received, 0);
    error = 0;
    EXPECT_FALSE(endpoint.sendTo(kScan, kBroadcast, &error));
    EXPECT_EQ(error, ENOTSOCK);
    error = 0;
    EXPECT_FALSE(endpoint.close(&error));
    EXPECT_EQ(error, ENOTSOCK);
}

TEST_F(EndpointOnLoopback, AFailedCreateLeavesNoHandleAndTheNextCreateWorks) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Use up every descriptor below a small limit.
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &small), 0);
    std::vector<int> filler;
    for (int fd = ::dup(STDERR_FILENO); fd >= 0; fd = ::dup(STDERR_FILENO))
        filler.push_back(fd);

    int error = 0;
    const bool created = endpoint.create(&error);
    for (int fd : filler)
        ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);

    EXPECT_FALSE(created);
    EXPECT_EQ(error, EMFILE);
    EXPECT_EQ(endpoint.handle(), 0);
    ASSERT_TRUE(endpoint.create(&error)) << error;
    EXPECT_GT(endpoint.handle(), 0);
    EXPECT_TRUE(endpoint.bind("127.0.0.1", &error)) << error;
}

TEST_F(EndpointOnLoopback, TheSocketNeverGetsHandleZeroWhichMeansNoSocket) {
    const int standardInput = ::dup(STDIN_FILENO);
    ASSERT_GE(standardInput, 0);
    ::close(STDIN_FILENO);
    int error = 0;
    const bool created = endpoint.create(&error);
    ::dup2(standardInput, STDIN_FILENO);
    ::close(standardInput);
    ASSERT_TRUE(created) << error;
    EXPECT_GT(endpoint.handle(), 0);
}

TEST_F(EndpointOnLoopback, ADatagramLongerThanTheBufferIsAReceiveErrorAndConsumed) {
    open();
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    QByteArray tooLong(1502, '\x5A');
    tooLong[0] = '\x11';
    const QByteArray fits(1501, '\x33');
    ASSERT_TRUE(peer.sendTo(tooLong, "127.0.0.1", 55808));
    ASSERT_TRUE(peer.sendTo(fits, "127.0.0.1", 55808));
    ASSERT_TRUE(datagramWaiting());

    protocol::ReceiveBuffer buffer;
    qsizetype received = -1;
    QString source;
    int error = 0;
    EXPECT_FALSE(endpoint.receive(buffer, &received, &source, &error));
    EXPECT_EQ(error, EMSGSIZE);
    EXPECT_EQ(received, 0);
    EXPECT_EQ(buffer[0], 0x11);
    EXPECT_EQ(buffer[1500], 0x5A);

    ASSERT_TRUE(endpoint.receive(buffer, &received, &source, &error)) << error;
    EXPECT_EQ(received, 1501);
    EXPECT_EQ(buffer[1500], 0x33);
    EXPECT_EQ(source, "127.0.0.5");
}

TEST_F(EndpointOnLoopback, AnEmptyDatagramIsReceivedAsZeroBytes) {
    open();
    taken.takeOnReadable(endpoint);
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    ASSERT_TRUE(peer.sendTo(QByteArray(), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return !taken.empty(); }));
    EXPECT_TRUE(taken.datagrams().front().bytes.isEmpty());
    EXPECT_EQ(taken.datagrams().front().source, "127.0.0.5");
}

TEST_F(EndpointOnLoopback, ReceivingWithNothingWaitingGivesZeroBytesAndAZeroFilledBuffer) {
    open();
    protocol::ReceiveBuffer buffer;
    buffer.fill(0xEE);
    qsizetype received = -1;
    QString source;
    int error = 0;
    EXPECT_TRUE(endpoint.receive(buffer, &received, &source, &error));
    EXPECT_EQ(received, 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1500], 0);
}

TEST_F(EndpointOnLoopback, ReadableComesAgainAfterEventsAreEnabledWithDataWaiting) {
    open();
    int readableCount = 0;
    QObject::connect(&endpoint, &UdpEndpoint::readable, &endpoint, [&] { ++readableCount; });
    endpoint.setEventsEnabled(false);
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    ASSERT_TRUE(peer.sendTo(answerNumbered(6), "127.0.0.1", 55808));
    ASSERT_TRUE(datagramWaiting());
    pumpRounds(50);
    EXPECT_EQ(readableCount, 0);

    endpoint.setEventsEnabled(true);
    EXPECT_TRUE(pumpUntil([&] { return readableCount > 0; }));
}

TEST_F(EndpointOnLoopback, AHandlerThatProcessesEventsIsNotReEntered) {
    open();
    int depth = 0;
    int deepest = 0;
    QObject::connect(&endpoint, &UdpEndpoint::readable, &endpoint, [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        taken.takeFrom(endpoint);
        pumpRounds(3); // the intake pumps after each datagram
        --depth;
    });
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    constexpr int kAnswers = 500;
    for (int i = 0; i < kAnswers; ++i)
        ASSERT_TRUE(peer.sendTo(answerNumbered(i), "127.0.0.1", 55808));
    ASSERT_TRUE(datagramWaiting());

    ASSERT_TRUE(pumpUntil([&] { return taken.size() == kAnswers; }));
    EXPECT_EQ(deepest, 1);
}

TEST_F(EndpointOnLoopback, WritableIsAnnouncedOnceAfterTheStart) {
    int writableCount = 0;
    QObject::connect(&endpoint, &UdpEndpoint::writable, &endpoint, [&] { ++writableCount; });
    open();
    EXPECT_EQ(writableCount, 0) << "announced from the event loop, not from startEvents()";
    pumpRounds(20);
    EXPECT_EQ(writableCount, 1);

    // Closed before the event loop ran: nothing is announced for the closed socket.
    int error = 0;
    ASSERT_TRUE(endpoint.close(&error));
    ASSERT_TRUE(endpoint.create(&error));
    ASSERT_TRUE(endpoint.startEvents(&error));
    ASSERT_TRUE(endpoint.close(&error));
    pumpRounds(20);
    EXPECT_EQ(writableCount, 1);
}

TEST_F(EndpointOnLoopback, ClosingInsideTheReadableHandlerEndsTheEvents) {
    open();
    int readableCount = 0;
    QObject::connect(&endpoint, &UdpEndpoint::readable, &endpoint, [&] {
        ++readableCount;
        int error = 0;
        EXPECT_TRUE(endpoint.close(&error)) << error;
    });
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    ASSERT_TRUE(peer.sendTo(answerNumbered(7), "127.0.0.1", 55808));
    ASSERT_TRUE(peer.sendTo(answerNumbered(8), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return readableCount > 0; }));
    pumpRounds(20);
    EXPECT_EQ(readableCount, 1);
    EXPECT_EQ(endpoint.handle(), 0);
}

TEST_F(EndpointOnLoopback, AReopenedEndpointBindsTheSameAddressAgain) {
    open();
    int error = 0;
    ASSERT_TRUE(endpoint.close(&error)) << error;
    EXPECT_EQ(endpoint.handle(), 0);
    open();
    taken.takeOnReadable(endpoint);
    UdpPeer foreign(QStringLiteral("10.9.0.7"), 55808);
    ASSERT_TRUE(foreign.sendTo(answerNumbered(9), kBroadcast, 55808));
    ASSERT_TRUE(foreign.sendTo(answerNumbered(10), "127.0.0.1", 55808));
    EXPECT_TRUE(pumpUntil([&] { return taken.size() == 2; }));
}

TEST_F(EndpointOnLoopback, TheWildcardAddressTakesUnicastsAndBroadcasts) {
    open(QStringLiteral("0.0.0.0"));
    taken.takeOnReadable(endpoint);
    UdpPeer foreign(QStringLiteral("10.9.0.7"), 55808, {.reuseAddress = true});
    ASSERT_TRUE(foreign.sendTo(answerNumbered(11), kBroadcast, 55808));
    ASSERT_TRUE(foreign.sendTo(answerNumbered(12), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return taken.size() == 2; }));
    pumpRounds(20);
    EXPECT_EQ(taken.size(), 2u);
}

// The UI thread is busy while the answers of 10,000 devices arrive; none may be lost.
class EndpointBurst : public EndpointOnLoopback,
                      public ::testing::WithParamInterface<const char*> {};

TEST_P(EndpointBurst, TenThousandAnswersArriveWhileTheUiThreadIsBusy) {
    open();
    taken.takeOnReadable(endpoint);
    constexpr int kAnswers = 10000;
    const QString destination = QString::fromLatin1(GetParam());
    bool allSent = true;
    // The devices answer from another thread while this one does not process events.
    std::thread devices([&] {
        UdpPeer device(QStringLiteral("10.9.0.7"), 55808);
        for (int i = 0; i < kAnswers; ++i)
            allSent = device.sendTo(answerNumbered(i), destination, 55808) && allSent;
    });
    devices.join();
    ASSERT_TRUE(allSent);

    int idleRounds = 0;
    while (taken.size() < std::size_t(kAnswers) && idleRounds < 1000) {
        const std::size_t before = taken.size();
        pumpRounds(1);
        idleRounds = taken.size() == before ? idleRounds + 1 : 0;
    }
    EXPECT_EQ(taken.size(), std::size_t(kAnswers));
    EXPECT_TRUE(taken.errors().empty());
}

INSTANTIATE_TEST_SUITE_P(UnicastAndBroadcast, EndpointBurst,
                         ::testing::Values("127.0.0.1", "255.255.255.255"));

} // namespace
