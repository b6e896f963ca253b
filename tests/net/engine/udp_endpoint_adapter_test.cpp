// The program's endpoint as the engine meets it, on loopback: datagrams announced, taken in
// order with their source, a datagram too long for the buffer reported in its place.
#include "engine/udp_endpoint_adapter.h"

#include "support/event_pump.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include <cerrno>

#include <gtest/gtest.h>

namespace {

struct CountingListener : engine::EndpointListener {
    void datagramsArrived() override { ++arrivals; }
    void writable() override { ++writables; }
    int arrivals = 0;
    int writables = 0;
};

} // namespace

TEST(UdpEndpointAdapter, HandsOverWhatArrivedAndSendsToTheDevicePort) {
    const auto network = testsupport::TestNetwork::tier1();
    testsupport::UdpPeer device(QStringLiteral("127.0.0.9"), 55808);
    ASSERT_TRUE(device.isOpen()) << device.error();
    engine::UdpEndpointAdapter endpoint;
    CountingListener listener;
    endpoint.setListener(&listener);
    int error = 0;
    ASSERT_TRUE(endpoint.create(&error)) << error;
    ASSERT_TRUE(endpoint.bind(QStringLiteral("127.0.0.1"), &error)) << error;
    endpoint.permitBroadcast();
    ASSERT_TRUE(endpoint.startEvents(&error)) << error;
    EXPECT_NE(endpoint.handle(), 0);
    ASSERT_TRUE(testsupport::pumpUntil([&] { return listener.writables == 1; }));

    ASSERT_TRUE(device.sendTo(QByteArray::fromHex("0185"), "127.0.0.1", 55808));
    ASSERT_TRUE(device.sendTo(QByteArray(1600, 'x'), "127.0.0.1", 55808));
    ASSERT_TRUE(device.sendTo(QByteArray::fromHex("0187"), "127.0.0.1", 55808));
    std::vector<engine::ReceivedDatagram> taken;
    ASSERT_TRUE(testsupport::pumpUntil([&] {
        if (listener.arrivals > 0) {
            for (auto& datagram : endpoint.takeDatagrams(64))
                taken.push_back(std::move(datagram));
        }
        return taken.size() >= 3;
    }));
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].bytes, QByteArray::fromHex("0185"));
    EXPECT_EQ(taken[0].sourceIp, "127.0.0.9");
    EXPECT_EQ(taken[0].error, 0);
    EXPECT_EQ(taken[1].error, EMSGSIZE);
    EXPECT_TRUE(taken[1].bytes.isEmpty());
    EXPECT_EQ(taken[2].bytes, QByteArray::fromHex("0187"));
    EXPECT_TRUE(endpoint.takeDatagrams(64).empty());

    ASSERT_TRUE(endpoint.sendTo(QByteArray::fromHex("0101FD"), "127.0.0.9", &error)) << error;
    const auto request = device.receive();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->bytes, QByteArray::fromHex("0101FD"));
    ASSERT_TRUE(endpoint.close(&error)) << error;
    EXPECT_EQ(endpoint.handle(), 0);
}
