#include "support/loopback_devices.h"

#include "support/event_pump.h"

#include "protocol/frame.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {

const QByteArray kScanRequest = QByteArray::fromHex("0101FD");

} // namespace

LoopbackDevices::LoopbackDevices()
    : peer(QStringLiteral("0.0.0.0"), protocol::kDevicePort, UdpPeer::Options{true, true, 0}) {
    // A zero interval runs once per pump of the program, never while it sleeps.
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [this] { drain(); });
}

void LoopbackDevices::answerScan(const std::vector<Answer>& answers, const QString& destination) {
    if (!waitFor(kScanRequest))
        return;
    for (const Answer& answer : answers)
        EXPECT_TRUE(send(answer, destination)) << "answer not sent, error " << peer.error();
}

std::optional<UdpPeer::Datagram> LoopbackDevices::waitFor(const QByteArray& bytes,
                                                          int safetyLimitMs) {
    std::optional<UdpPeer::Datagram> found;
    pumpUntil(
        [&] {
            drain();
            for (; waited < log.size() && !found; ++waited) {
                if (log[waited].bytes == bytes)
                    found = log[waited];
            }
            return found.has_value();
        },
        safetyLimitMs);
    if (!found)
        ADD_FAILURE() << "no datagram " << bytes.toHex(' ').constData();
    return found;
}

void LoopbackDevices::answerBy(Script given) {
    script = std::move(given);
    poll.start();
}

void LoopbackDevices::stopAnswering() {
    poll.stop();
    script = nullptr;
}

bool LoopbackDevices::send(const Answer& answer, const QString& destination) {
    return peer.sendFrom(answer.first, answer.second, destination, protocol::kDevicePort);
}

void LoopbackDevices::drain() {
    // A request taken here is answered as if the poll had taken it: a test that looks at the
    // requests must not keep them from the devices.
    while (auto datagram = takeOne()) {
        if (!script)
            continue;
        for (const Answer& answer : script(*datagram))
            EXPECT_TRUE(send(answer)) << "answer not sent, error " << peer.error();
    }
}

std::vector<QByteArray> LoopbackDevices::requests() const {
    std::vector<QByteArray> bytes;
    for (const UdpPeer::Datagram& datagram : log) {
        if (datagram.bytes.size() > 1 && quint8(datagram.bytes[1]) < 0x80)
            bytes.push_back(datagram.bytes);
    }
    return bytes;
}

std::optional<UdpPeer::Datagram> LoopbackDevices::takeOne() {
    auto datagram = peer.receive(0);
    if (datagram)
        log.push_back(*datagram);
    return datagram;
}

} // namespace testsupport
