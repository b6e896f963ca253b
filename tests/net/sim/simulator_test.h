#pragma once

#include "protocol/frame.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

// Datagrams until count have arrived or the safety limit is reached.
inline std::vector<testsupport::UdpPeer::Datagram>
receiveUpTo(testsupport::UdpPeer& peer, std::size_t count, int safetyLimitMs = 5000) {
    std::vector<testsupport::UdpPeer::Datagram> datagrams;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(safetyLimitMs);
    while (datagrams.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        auto datagram = peer.receive(int(left));
        if (!datagram)
            break;
        datagrams.push_back(std::move(*datagram));
    }
    return datagrams;
}

// A tier-1 network (the test's own namespace, loopback only) with the simulator in it and
// a plain socket standing for the tool at 127.0.0.1. The socket takes a free port on every
// address, so it receives unicast and broadcast answers alike; the devices answer to the
// requester's port.
class SimulatorTest : public ::testing::Test {
protected:
    static constexpr int kBurstBufferBytes = 32 * 1024 * 1024;

    void SetUp() override {
        network = testsupport::TestNetwork::tier1();
        tool = std::make_unique<testsupport::UdpPeer>(
            "0.0.0.0", 0, testsupport::UdpPeer::Options{true, true, kBurstBufferBytes});
        ASSERT_TRUE(tool->isOpen()) << tool->error();
    }

    void start(const std::string& deviceFile, std::vector<std::string> arguments = {}) {
        simulator = network->devices().startSimulator(deviceFile, std::move(arguments));
    }

    static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }
    static QByteArray mac(const char* text) { return *protocol::macBytesFromText(text); }
    static QByteArray address(const char* text) { return protocol::addressBytes(text); }
    static QByteArray frame(quint8 code, const QByteArray& payload = {}) {
        return protocol::buildFrame(code, payload);
    }
    static QByteArray scan() { return frame(protocol::dcScan); }

    void send(const QByteArray& request, const QString& destination = "255.255.255.255") {
        ASSERT_TRUE(tool->sendFrom("127.0.0.1", request, destination, protocol::kDevicePort))
            << tool->error();
    }

    // Sends a request and gives the next datagram that arrives.
    std::optional<testsupport::UdpPeer::Datagram>
    ask(const QByteArray& request, const QString& destination = "255.255.255.255") {
        send(request, destination);
        return tool->receive();
    }

    // True when nothing answers the request: the simulator has recorded it, and neither
    // within a grace period nor in its log does an answer follow.
    bool staysSilent(const QByteArray& request, const QString& destination = "255.255.255.255") {
        const std::size_t before = simulator->traffic().size();
        send(request, destination);
        const auto receivedAt = [&](const std::vector<testsupport::TrafficRecord>& records) {
            for (std::size_t i = before; i < records.size(); ++i)
                if (!records[i].sent && records[i].bytes == request)
                    return i;
            return records.size();
        };
        const auto records = simulator->waitForTraffic(
            [&](const auto& records) { return receivedAt(records) < records.size(); });
        if (receivedAt(records) == records.size() || tool->receive(300))
            return false;
        const auto after = simulator->traffic();
        for (std::size_t i = receivedAt(after); i < after.size(); ++i)
            if (after[i].sent)
                return false;
        return true;
    }

    std::unique_ptr<testsupport::TestNetwork> network;
    std::unique_ptr<testsupport::UdpPeer> tool;
    std::unique_ptr<testsupport::SimulatorProcess> simulator;
};
