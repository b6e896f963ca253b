// The endpoint inside a namespace that holds only loopback: the adapter is 127.0.0.1, peers
// use further loopback addresses or foreign addresses added to lo as /32.
#include "protocol/udp_endpoint.h"

#include "support/endpoint_intake.h"
#include "support/event_pump.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include <QByteArray>

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <tuple>
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

    const std::unique_ptr<TestNetwork> network = TestNetwork::tier1();
    UdpEndpoint endpoint;
    testsupport::TakenDatagrams taken;
};

TEST_F(EndpointOnLoopback, UnicastAnswersArriveWithTheirSourceAddress) {
    open();
    taken.takeOnArrival(endpoint);
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
    taken.takeOnArrival(endpoint);
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
    taken.takeOnArrival(endpoint);

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

    // Another program holds the adapter's port, willing to share it or not: the endpoint
    // would take only some of the answers, or none.
    for (const UdpPeer::Options holding :
         {UdpPeer::Options{}, UdpPeer::Options{.reuseAddress = true},
          UdpPeer::Options{.reusePort = true}}) {
        UdpPeer holder(QStringLiteral("127.0.0.1"), 55808, holding);
        ASSERT_TRUE(holder.isOpen());
        UdpEndpoint refused;
        ASSERT_TRUE(refused.create(&error));
        error = 0;
        EXPECT_FALSE(refused.bind("127.0.0.1", &error)) << holding.reuseAddress;
        EXPECT_EQ(error, EADDRINUSE) << holding.reuseAddress;
    }
    // Beside a program bound to every address, as the simulator is, the adapter's own
    // address is the endpoint's alone.
    UdpPeer everyAddress(QStringLiteral("0.0.0.0"), 55808, {.reuseAddress = true});
    ASSERT_TRUE(everyAddress.isOpen());
    ASSERT_TRUE(endpoint.create(&error));
    EXPECT_TRUE(endpoint.bind("127.0.0.1", &error)) << error;
}

TEST_F(EndpointOnLoopback, EveryCallWithoutASocketFailsWithNotASocket) {
    int error = 0;
    EXPECT_EQ(endpoint.handle(), 0);
    EXPECT_FALSE(endpoint.bind("127.0.0.1", &error));
    EXPECT_EQ(error, ENOTSOCK);
    error = 0;
    EXPECT_FALSE(endpoint.startEvents(&error));
    EXPECT_EQ(error, ENOTSOCK);
    EXPECT_TRUE(endpoint.takeDatagrams(10).empty());
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

TEST_F(EndpointOnLoopback, ADatagramLongerThanTheBufferComesAsAnErrorInItsPlace) {
    open();
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    QByteArray tooLong(1502, '\x5A');
    const QByteArray fits(1501, '\x33');
    ASSERT_TRUE(peer.sendTo(answerNumbered(1), "127.0.0.1", 55808));
    ASSERT_TRUE(peer.sendTo(tooLong, "127.0.0.1", 55808));
    ASSERT_TRUE(peer.sendTo(fits, "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return endpoint.datagramsRead() == 3; }));

    const std::vector<protocol::ReceivedDatagram> read = endpoint.takeDatagrams(10);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].bytes, answerNumbered(1));
    EXPECT_EQ(read[0].error, 0);
    EXPECT_EQ(read[1].error, EMSGSIZE);
    EXPECT_TRUE(read[1].bytes.isEmpty());
    EXPECT_EQ(read[1].sourceIp, "127.0.0.5");
    EXPECT_EQ(read[2].bytes, fits);
    EXPECT_EQ(read[2].error, 0);
    EXPECT_EQ(endpoint.takeReceiveFailure(), 0) << "one datagram's error is not the socket's";
}

TEST_F(EndpointOnLoopback, AnEmptyDatagramIsReceivedAsZeroBytes) {
    open();
    taken.takeOnArrival(endpoint);
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    ASSERT_TRUE(peer.sendTo(QByteArray(), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return !taken.empty(); }));
    EXPECT_TRUE(taken.datagrams().front().bytes.isEmpty());
    EXPECT_EQ(taken.datagrams().front().source, "127.0.0.5");
}

// One announcement per hand-over: a taker that leaves datagrams behind is not reminded,
// and one that has found the queue empty hears of the next datagram.
TEST_F(EndpointOnLoopback, ArrivalsAreAnnouncedAgainOnlyOnceTheQueueWasFoundEmpty) {
    open();
    int announcements = 0;
    QObject::connect(&endpoint, &UdpEndpoint::datagramsArrived, &endpoint,
                     [&] { ++announcements; });
    EXPECT_TRUE(endpoint.takeDatagrams(10).empty());
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(peer.sendTo(answerNumbered(i), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return endpoint.datagramsRead() == 3 && announcements > 0; }));
    pumpRounds(20);
    EXPECT_EQ(announcements, 1);

    std::vector<protocol::ReceivedDatagram> read = endpoint.takeDatagrams(1);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].bytes, answerNumbered(0));
    ASSERT_TRUE(peer.sendTo(answerNumbered(3), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return endpoint.datagramsRead() == 4; }));
    pumpRounds(20);
    EXPECT_EQ(announcements, 1);

    read = endpoint.takeDatagrams(10);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[2].bytes, answerNumbered(3));
    ASSERT_TRUE(peer.sendTo(answerNumbered(4), "127.0.0.1", 55808));
    EXPECT_TRUE(pumpUntil([&] { return announcements == 2; }));
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

TEST_F(EndpointOnLoopback, ClosingEndsTheAnnouncementsAndKeepsWhatWasRead) {
    open();
    int announcements = 0;
    QObject::connect(&endpoint, &UdpEndpoint::datagramsArrived, &endpoint, [&] {
        ++announcements;
        int error = 0;
        EXPECT_TRUE(endpoint.close(&error)) << error;
    });
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    ASSERT_TRUE(peer.sendTo(answerNumbered(7), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return announcements > 0; }));
    ASSERT_TRUE(peer.sendTo(answerNumbered(8), "127.0.0.1", 55808));
    pumpRounds(20);
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(endpoint.handle(), 0);
    const quint64 read = endpoint.datagramsRead();
    EXPECT_GE(read, 1u);
    EXPECT_EQ(endpoint.takeDatagrams(10).size(), read);
}

TEST_F(EndpointOnLoopback, AReopenedEndpointBindsTheSameAddressAgain) {
    open();
    int error = 0;
    ASSERT_TRUE(endpoint.close(&error)) << error;
    EXPECT_EQ(endpoint.handle(), 0);
    open();
    taken.takeOnArrival(endpoint);
    UdpPeer foreign(QStringLiteral("10.9.0.7"), 55808);
    ASSERT_TRUE(foreign.sendTo(answerNumbered(9), kBroadcast, 55808));
    ASSERT_TRUE(foreign.sendTo(answerNumbered(10), "127.0.0.1", 55808));
    EXPECT_TRUE(pumpUntil([&] { return taken.size() == 2; }));
}

TEST_F(EndpointOnLoopback, TheWildcardAddressTakesUnicastsAndBroadcasts) {
    open(QStringLiteral("0.0.0.0"));
    taken.takeOnArrival(endpoint);
    UdpPeer foreign(QStringLiteral("10.9.0.7"), 55808, {.reuseAddress = true});
    ASSERT_TRUE(foreign.sendTo(answerNumbered(11), kBroadcast, 55808));
    ASSERT_TRUE(foreign.sendTo(answerNumbered(12), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return taken.size() == 2; }));
    pumpRounds(20);
    EXPECT_EQ(taken.size(), 2u);
}

// Sends numbered answers on another thread, as fast as it can: from one device, or from as
// many devices (at 127.0.x.y) as there are answers.
class BurstSender {
public:
    enum class Devices { One, Many };

    BurstSender(const QString& destination, int answers, Devices devices = Devices::One)
        : thread([this, destination, answers, devices] {
              UdpPeer sender(devices == Devices::One ? QStringLiteral("10.9.0.7")
                                                     : QStringLiteral("0.0.0.0"),
                             55808, {.reuseAddress = true});
              for (int i = 0; i < answers; ++i) {
                  const QString source =
                      devices == Devices::One
                          ? QString()
                          : QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(1 + i % 250);
                  allSent =
                      sender.sendFrom(source, answerNumbered(i), destination, 55808) && allSent;
              }
          }) {}
    ~BurstSender() { finish(); }
    bool finish() {
        if (thread.joinable())
            thread.join();
        return allSent;
    }

private:
    bool allSent = true;
    std::thread thread;
};

// Takes datagrams until none has come for a while.
std::vector<int> takeNumbered(UdpEndpoint& endpoint, int expected) {
    std::vector<int> numbers;
    int idleRounds = 0;
    while (int(numbers.size()) < expected && idleRounds < 2000) {
        const std::vector<protocol::ReceivedDatagram> read = endpoint.takeDatagrams(64);
        for (const protocol::ReceivedDatagram& datagram : read)
            numbers.push_back(datagram.bytes.mid(2).toInt());
        idleRounds = read.empty() ? idleRounds + 1 : 0;
        if (read.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return numbers;
}

// Where the numbers first leave the order 0, 1, 2, ...; their count when they never do.
std::size_t outOfSentOrderAt(const std::vector<int>& numbers) {
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i] != int(i))
            return i;
    }
    return numbers.size();
}

// The UI thread does not take anything while 10,000 answers arrive; none may be lost, and
// they are handed over in the order they came.
class EndpointBurst : public EndpointOnLoopback,
                      public ::testing::WithParamInterface<const char*> {};

TEST_P(EndpointBurst, TenThousandAnswersOfOneDeviceArriveWhileTheUiThreadIsBusy) {
    open();
    constexpr int kAnswers = 10000;
    BurstSender device(QString::fromLatin1(GetParam()), kAnswers);
    ASSERT_TRUE(device.finish());

    const std::vector<int> numbers = takeNumbered(endpoint, kAnswers);
    EXPECT_EQ(numbers.size(), std::size_t(kAnswers));
    EXPECT_EQ(outOfSentOrderAt(numbers), numbers.size());
    EXPECT_EQ(endpoint.datagramsDropped(), 0u);
    EXPECT_EQ(endpoint.datagramsRead(), quint64(kAnswers));
}

INSTANTIATE_TEST_SUITE_P(UnicastAndBroadcast, EndpointBurst,
                         ::testing::Values("127.0.0.1", "255.255.255.255"));

// With the buffer a stock desktop grants an ordinary user, the answers of many devices are
// spread over several sockets with buffers of their own, which hold the whole burst while
// nothing reads; they still come in the order they were sent.
TEST_F(EndpointOnLoopback, TenThousandDevicesThroughADesktopsBuffersComeInTheOrderSent) {
    UdpEndpoint small(212992);
    ASSERT_NO_FATAL_FAILURE(testsupport::openEndpoint(small, QStringLiteral("127.0.0.1")));
    constexpr int kAnswers = 10000;
    BurstSender devices(QStringLiteral("127.0.0.1"), kAnswers, BurstSender::Devices::Many);
    ASSERT_TRUE(devices.finish());

    const std::vector<int> numbers = takeNumbered(small, kAnswers);
    EXPECT_EQ(numbers.size(), std::size_t(kAnswers));
    EXPECT_EQ(outOfSentOrderAt(numbers), numbers.size());
    EXPECT_EQ(small.datagramsDropped(), 0u);
}

TEST_F(EndpointOnLoopback, ClosingDuringABurstLosesNothingItHadRead) {
    open();
    int announcementsAfterClose = 0;
    bool closed = false;
    QObject::connect(&endpoint, &UdpEndpoint::datagramsArrived, &endpoint,
                     [&] { announcementsAfterClose += closed ? 1 : 0; });
    constexpr int kAnswers = 10000;
    BurstSender devices(QStringLiteral("127.0.0.1"), kAnswers);
    std::vector<int> numbers;
    while (numbers.size() < 500) {
        for (const protocol::ReceivedDatagram& datagram : endpoint.takeDatagrams(16))
            numbers.push_back(datagram.bytes.mid(2).toInt());
    }
    int error = 0;
    ASSERT_TRUE(endpoint.close(&error)) << error;
    closed = true;
    const quint64 read = endpoint.datagramsRead();
    for (const protocol::ReceivedDatagram& datagram : endpoint.takeDatagrams(SIZE_MAX))
        numbers.push_back(datagram.bytes.mid(2).toInt());
    EXPECT_EQ(numbers.size(), read);
    EXPECT_EQ(outOfSentOrderAt(numbers), numbers.size());
    EXPECT_TRUE(devices.finish());
    pumpRounds(50);
    EXPECT_EQ(announcementsAfterClose, 0);
    EXPECT_EQ(endpoint.datagramsRead(), read);
    EXPECT_TRUE(endpoint.takeDatagrams(10).empty());
}

// Datagrams that come while nothing reads overflow a small buffer; the system's count of
// them is reported, also for drops after the last datagram read.
TEST_F(EndpointOnLoopback, DatagramsTheSystemDroppedAreCounted) {
    UdpEndpoint tiny(2048);
    int error = 0;
    ASSERT_TRUE(tiny.create(&error));
    ASSERT_TRUE(tiny.bind("127.0.0.1", &error)) << error;
    UdpPeer peer(QStringLiteral("127.0.0.5"), 55808);
    constexpr int kSent = 300;
    for (int i = 0; i < kSent; ++i)
        ASSERT_TRUE(peer.sendTo(answerNumbered(i), "127.0.0.1", 55808));
    ASSERT_TRUE(tiny.startEvents(&error));
    ASSERT_TRUE(pumpUntil([&] { return tiny.datagramsRead() > 0; }));
    pumpRounds(20);
    const quint64 held = tiny.datagramsRead();
    EXPECT_LT(held, quint64(kSent));
    // The next datagram brings the count with it; closing asks for the rest.
    ASSERT_TRUE(peer.sendTo(answerNumbered(kSent), "127.0.0.1", 55808));
    ASSERT_TRUE(pumpUntil([&] { return tiny.datagramsRead() == held + 1; }));
    EXPECT_EQ(tiny.datagramsDropped(), quint64(kSent) - held);
    ASSERT_TRUE(tiny.close(&error));
    EXPECT_EQ(tiny.datagramsDropped(), quint64(kSent) - held);
    EXPECT_TRUE(tiny.create(&error));
    EXPECT_EQ(tiny.datagramsDropped(), 0u) << "a new socket counts afresh";
    EXPECT_EQ(tiny.datagramsRead(), 0u);
}

} // namespace
