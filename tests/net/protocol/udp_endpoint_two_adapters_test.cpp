// A PC with two adapters, each leading to a LAN of its own. Devices in a foreign subnet can
// only answer by limited broadcast; the endpoint must take those arriving on its adapter and
// no others, and send its scan out of that adapter.
#include "protocol/udp_endpoint.h"

#include "support/endpoint_intake.h"
#include "support/event_pump.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include <cerrno>
#include <memory>
#include <string>

#include <gtest/gtest.h>

using protocol::UdpEndpoint;
using testsupport::pumpRounds;
using testsupport::pumpUntil;
using testsupport::Segment;
using testsupport::TestNetwork;
using testsupport::UdpPeer;

namespace {

const QString kBroadcast = QStringLiteral("255.255.255.255");
const QByteArray kScan = QByteArray::fromHex("0101FD");
const QString kForeignOnChosen = QStringLiteral("10.9.0.5");
const QString kForeignOnOther = QStringLiteral("10.9.0.6");
const QString kLocalOnChosen = QStringLiteral("10.77.0.20");
const QString kLocalOnOther = QStringLiteral("10.78.0.20");

QByteArray answerNamed(const char* name) {
    return QByteArray::fromHex("1B81") + QByteArray(name).leftJustified(25, '.');
}

class TwoAdapters : public ::testing::Test {
protected:
    void SetUp() override {
        std::string whyNot;
        network = TestNetwork::tier2(&whyNot);
        if (!network)
            GTEST_SKIP() << whyNot;
        for (const QString& device : {kForeignOnChosen, kLocalOnChosen})
            ASSERT_NO_THROW(network->devices().addAddress(device.toStdString() + "/32"));
        for (const QString& device : {kForeignOnOther, kLocalOnOther})
            ASSERT_NO_THROW(network->otherSegment().addAddress(device.toStdString() + "/32"));
    }

    // A plain socket in a segment, standing in for a device there.
    static std::unique_ptr<UdpPeer> deviceIn(const Segment& segment, const QString& address) {
        std::unique_ptr<UdpPeer> device;
        segment.ns()->enter([&] {
            device = std::make_unique<UdpPeer>(address, 55808, UdpPeer::Options{true, true, 0});
        });
        EXPECT_TRUE(device->isOpen()) << address.toStdString() << ": " << device->error();
        return device;
    }

    void open(const std::string& adapterIp) {
        ASSERT_NO_FATAL_FAILURE(
            testsupport::openEndpoint(endpoint, QString::fromStdString(adapterIp)));
        taken.takeOnArrival(endpoint);
    }

    std::unique_ptr<TestNetwork> network;
    UdpEndpoint endpoint;
    testsupport::TakenDatagrams taken;
};

TEST_F(TwoAdapters, BroadcastAnswersAreTakenOnlyFromTheChosenAdaptersInterface) {
    // Sees every broadcast that reaches the PC, so the one not taken is known to have come.
    UdpPeer everything(QStringLiteral("0.0.0.0"), 55808, {true, true, 0});
    ASSERT_TRUE(everything.isOpen());
    open(network->devices().pcAddress());
    const auto onChosen = deviceIn(network->devices(), kForeignOnChosen);
    const auto onOther = deviceIn(network->otherSegment(), kForeignOnOther);

    ASSERT_TRUE(onOther->sendTo(answerNamed("other LAN"), kBroadcast, 55808));
    const auto arrived = everything.receive();
    ASSERT_TRUE(arrived);
    ASSERT_EQ(arrived->bytes, answerNamed("other LAN"));
    ASSERT_TRUE(onChosen->sendTo(answerNamed("chosen LAN"), kBroadcast, 55808));

    ASSERT_TRUE(
        pumpUntil([&] { return taken.contains(answerNamed("chosen LAN"), kForeignOnChosen); }));
    pumpRounds(50);
    EXPECT_FALSE(taken.contains(answerNamed("other LAN"), kForeignOnOther));
    EXPECT_EQ(taken.size(), 1u);
}

TEST_F(TwoAdapters, TheOtherAdapterTakesTheOtherLansBroadcasts) {
    open(network->otherSegment().pcAddress());
    const auto onChosen = deviceIn(network->devices(), kForeignOnChosen);
    const auto onOther = deviceIn(network->otherSegment(), kForeignOnOther);
    ASSERT_TRUE(onChosen->sendTo(answerNamed("first LAN"), kBroadcast, 55808));
    ASSERT_TRUE(onOther->sendTo(answerNamed("second LAN"), kBroadcast, 55808));

    ASSERT_TRUE(
        pumpUntil([&] { return taken.contains(answerNamed("second LAN"), kForeignOnOther); }));
    pumpRounds(50);
    EXPECT_EQ(taken.size(), 1u);
}

TEST_F(TwoAdapters, ASecondBindFailsAndLeavesTheFirstAdapterInPlace) {
    open(network->devices().pcAddress());
    int error = 0;
    EXPECT_FALSE(
        endpoint.bind(QString::fromStdString(network->otherSegment().pcAddress()), &error));
    EXPECT_EQ(error, EINVAL);
    const auto onChosen = deviceIn(network->devices(), kForeignOnChosen);
    const auto onOther = deviceIn(network->otherSegment(), kForeignOnOther);
    ASSERT_TRUE(onOther->sendTo(answerNamed("other LAN"), kBroadcast, 55808));
    ASSERT_TRUE(onChosen->sendTo(answerNamed("chosen LAN"), kBroadcast, 55808));
    ASSERT_TRUE(
        pumpUntil([&] { return taken.contains(answerNamed("chosen LAN"), kForeignOnChosen); }));
    pumpRounds(50);
    EXPECT_EQ(taken.size(), 1u);
}

TEST_F(TwoAdapters, UnicastAnswersFromTheAdaptersSubnetAreTaken) {
    open(network->devices().pcAddress());
    const auto device = deviceIn(network->devices(), kLocalOnChosen);
    ASSERT_TRUE(device->sendTo(answerNamed("unicast"),
                               QString::fromStdString(network->devices().pcAddress()), 55808));
    EXPECT_TRUE(pumpUntil([&] { return taken.contains(answerNamed("unicast"), kLocalOnChosen); }));
}

TEST_F(TwoAdapters, TheScanBroadcastLeavesThroughTheChosenAdapterOnly) {
    open(network->devices().pcAddress());
    const auto listenerOnChosen = deviceIn(network->devices(), "0.0.0.0");
    const auto listenerOnOther = deviceIn(network->otherSegment(), "0.0.0.0");

    int error = 0;
    ASSERT_TRUE(endpoint.sendTo(kScan, kBroadcast, &error)) << error;
    const auto scan = listenerOnChosen->receive();
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->bytes, kScan);
    EXPECT_EQ(scan->source.toStdString(), network->devices().pcAddress());
    EXPECT_EQ(scan->sourcePort, 55808);
    EXPECT_EQ(scan->destination, kBroadcast);

    // A request to a device on the other LAN goes there by routing; it is the first thing
    // that LAN hears, so the scan never went out there.
    ASSERT_TRUE(endpoint.sendTo(QByteArray::fromHex("0705"), kLocalOnOther, &error)) << error;
    const auto first = listenerOnOther->receive();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes, QByteArray::fromHex("0705"));
    EXPECT_EQ(first->destination, kLocalOnOther);
}

} // namespace
